#pragma once

#include <cstddef>
#include <string>

namespace qznb {

// Verbose lines on standard output and failures on standard error. Every line goes out in a
// single write(2), so a reader of a pipe never sees half a line:
//   removing <path>      before each file (anything but a folder) is touched
//   <N>%                 overwrite progress of that file, N rising, at most once per percent
//   done                 the file is gone
// Small files inside a folder are overwritten in batches; each one's "removing" and "done"
// lines then follow one another once it is gone.
class Reporter
{
public:
    explicit Reporter(bool verbose)
        : m_verbose(verbose)
    {}

    void removing(const std::string &path) const;
    void percent(int value) const;
    void done() const;
    void failure(const std::string &path, const std::string &reason) const;
    void failure(const std::string &path, int error) const;

    // Control characters would split a line in two, so they are shown as \ooo (and "\" as "\\").
    // A path longer than shownPathBytes keeps its start and its end around "...": each line
    // is bounded, so a tree of any depth gives output in proportion to its files, not to the
    // square of its depth.
    static std::string printable(const std::string &path);
    static constexpr std::size_t shownPathBytes = 1024;

private:
    void line(int fd, const std::string &text) const;

    bool m_verbose;
};

} // namespace qznb
