#include "Reporter.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace qznb {

std::string Reporter::printable(const std::string& path)
{
    std::string out;
    out.reserve(path.size());
    for (const char ch : path) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            const char escaped[5] = {'\\', static_cast<char>('0' + (byte >> 6)),
                                     static_cast<char>('0' + ((byte >> 3) & 7)),
                                     static_cast<char>('0' + (byte & 7)), '\0'};
            out += escaped;
        } else {
            out += ch;
        }
    }
    return out;
}

void Reporter::line(int fd, const std::string& text) const
{
    const std::string whole = text + '\n';
    std::size_t written = 0;
    while (written < whole.size()) {
        const ssize_t n = write(fd, whole.data() + written, whole.size() - written);
        if (n > 0)
            written += static_cast<std::size_t>(n);
        else if (!(n < 0 && errno == EINTR))
            return; // nobody listens any more; the removal carries on regardless
    }
}

void Reporter::removing(const std::string& path) const
{
    if (m_verbose)
        line(STDOUT_FILENO, "removing " + printable(path));
}

void Reporter::percent(int value) const
{
    if (m_verbose)
        line(STDOUT_FILENO, std::to_string(value) + '%');
}

void Reporter::done() const
{
    if (m_verbose)
        line(STDOUT_FILENO, "done");
}

void Reporter::failure(const std::string& path, const std::string& reason) const
{
    line(STDERR_FILENO, "qznb: " + printable(path) + ": " + reason);
}

void Reporter::failure(const std::string& path, int error) const
{
    failure(path, std::strerror(error));
}

} // namespace qznb
