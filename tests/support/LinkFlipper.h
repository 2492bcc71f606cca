#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

// For a race test: until destroyed, a second thread keeps putting at `path`, in turn, a
// symbolic link to `target` and a regular file holding `contents`, each renamed into place.
class LinkFlipper
{
public:
    LinkFlipper(const QString &path, const QString &target, const QByteArray &contents);
    ~LinkFlipper();
    LinkFlipper(const LinkFlipper &) = delete;
    LinkFlipper &operator=(const LinkFlipper &) = delete;

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Folders named "d" nested `levels` deep below `base`, with a file "f" every `fileEvery`
// levels; built relative to open folders, since the whole path is too long for one call.
bool makeDeepTree(const QString &base, int levels, int fileEvery);
