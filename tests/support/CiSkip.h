#pragma once

#include <QtTest>

// For a row that needs what the CI machine has: root, the right to become another user, the
// immutable flag (chattr), mounting (tmpfs, loop devices) and mkfs.ext4. Elsewhere the row
// steps aside and says why; under CI=true it fails, since a skip there would pass a row that
// never ran.
#define SKIP_OR_FAIL_IN_CI(reason)                                                                                     \
    do {                                                                                                               \
        if (qgetenv("CI") == "true")                                                                                   \
            QFAIL(qPrintable(QString::fromUtf8("CI=true, but this run lacks what the row needs: ")                     \
                             + QString::fromUtf8(reason)));                                                            \
        QSKIP(reason);                                                                                                 \
    } while (false)
