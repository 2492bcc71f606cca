#pragma once

#include <QString>

#include <string_view>

#include <sys/types.h>

class FileController;

// The browser's store of downloads it can resume or show again ("shared_proto_db" in the
// profile): one LevelDB store that several of the browser's components share, each keying its
// records with its own number and "_" ("21_download,<guid>" for the downloads). The browser
// puts a download back into its list at start from here, so the list is cleared here too;
// the other components' records, and the store's own "metadata" store inside it, stay.
class DownloadRecordStore
{
public:
    static const QString folderName; // "shared_proto_db"

    static bool isDownloadKey(std::string_view key);

    struct Rewrite
    {
        bool read = false; // the store was read whole
        QString fresh;     // the new store; empty when the old one held no download
    };
    // Writes, in the private folder where the store would be set aside, a new store holding
    // every record of `store` but the downloads', read through the checked folder. Not read
    // when the store cannot be read whole (a running browser holds it, it is damaged) or no
    // new one could be written; nothing is left behind then, nor when there was no download.
    static Rewrite writeWithoutDownloads(const QString &store);

    // Sets `store` aside and puts `fresh` in its place with the old store's `permissions`,
    // its "metadata" store moved back in. Answers the folder set aside, for the removal
    // engine; empty when nothing was changed (the store could not be set aside, a browser
    // opened it meanwhile, the new one could not take its place).
    static QString replace(const FileController &files, const QString &store, const QString &fresh, mode_t permissions);
};
