#pragma once

#include <QtTest>

// Under the thread-checker build (NIMBREL_SANITIZE_THREAD), a test whose only reports come
// from Qt's own uninstrumented threads steps aside and says which; everywhere else it runs.
#ifdef NIMBREL_SANITIZE_THREAD
#define SKIP_UNDER_THREAD_CHECKER(reason) QSKIP("thread checker: only Qt's own threads report here: " reason)
#else
#define SKIP_UNDER_THREAD_CHECKER(reason)                                                                              \
    do {                                                                                                               \
    } while (false)
#endif
