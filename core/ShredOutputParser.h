#pragma once

#include <QByteArray>

#include <optional>

// Reads the secure-removal tool's verbose output, one chunk at a time, and tells the engine
// which percentage to show. A chunk is looked at only at its start and its end, once trimmed:
// "removing <path>" starts a file, "<N>%" is a file's progress and "done" a finished file.
// For a folder the progress is the share of its files reported done.
class ShredOutputParser
{
public:
    // Starts a new removal: a folder of `dirItemCount` counted files, or a single item.
    void reset(bool isDir, int dirItemCount);

    // One chunk of output; the percentage to send for it, if any.
    std::optional<int> appendData(const QByteArray &chunk);

    bool isDone() const { return m_isDone; }
    bool isDir() const { return m_isDir; }
    int dirItemCount() const { return m_dirItemCount; }
    int currentCount() const { return m_currentCount; }

private:
    int folderPercentage() const;

    bool m_isDone = false;
    bool m_isDir = false;
    int m_dirItemCount = 0;
    int m_currentCount = 0;
};
