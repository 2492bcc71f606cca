#include "Reporter.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace qznb {

namespace {

constexpr std::size_t shownHeadBytes = Reporter::shownPathBytes / 4;

bool continuesCharacter(char ch)
{
    return (static_cast<unsigned char>(ch) & 0xC0) == 0x80;
}

void appendEscaped(std::string &out, const char *begin, const char *end)
{
    for (const char *at = begin; at != end; ++at) {
        const char ch = *at;
        const auto byte = static_cast<unsigned char>(ch);
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            const char escaped[5] = {'\\', static_cast<char>('0' + (byte >> 6)),
                                     static_cast<char>('0' + ((byte >> 3) & 7)), static_cast<char>('0' + (byte & 7)),
                                     '\0'};
            out += escaped;
        } else {
            out += ch;
        }
    }
}

} // namespace

std::string Reporter::printable(const std::string &path)
{
    std::string out;
    if (path.size() <= shownPathBytes) {
        out.reserve(path.size());
        appendEscaped(out, path.data(), path.data() + path.size());
        return out;
    }
    // Cut between characters, never inside one, so the line stays valid text.
    std::size_t head = shownHeadBytes;
    while (head > 0 && continuesCharacter(path[head]))
        --head;
    std::size_t tail = path.size() - (shownPathBytes - shownHeadBytes);
    while (tail < path.size() && continuesCharacter(path[tail]))
        ++tail;
    appendEscaped(out, path.data(), path.data() + head);
    out += "...";
    appendEscaped(out, path.data() + tail, path.data() + path.size());
    return out;
}

void Reporter::line(int fd, const std::string &text) const
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

void Reporter::removing(const std::string &path) const
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

void Reporter::failure(const std::string &path, const std::string &reason) const
{
    line(STDERR_FILENO, "qznb: " + printable(path) + ": " + reason);
}

void Reporter::failure(const std::string &path, int error) const
{
    failure(path, std::strerror(error));
}

} // namespace qznb
