#pragma once

#include <QString>

// A cache as its owner may have left it: a folder at 0555 and one at 0000 (holding another at
// 0000), each with files, beside a read-only file and a file at 0000. Made as `base`/cache and
// owned by the user the removal will run as: nobody when the test runs as root (see
// AsNobody), else the test's own user. Answers the cache's path, or empty on failure.
QString makeLockedCache(const QString &base);

// Gives the owner back every right below `path` (top down), so that a cache that was not
// removed can still be cleaned up after the test.
void unlockTree(const QString &path);
