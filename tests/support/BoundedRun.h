#pragma once

#include <QByteArray>
#include <QList>

#include <chrono>
#include <future>

#include <fcntl.h>
#include <unistd.h>

// Runs `work` on a thread of its own and answers its result. Work that still waits after
// `patience` is taken to hang on one of `pipes`: each is then opened from both ends until the
// work returns, so a blocked open or read sees an end of file, and `hung` tells the test,
// which fails with its own message instead of stopping the suite.
template <typename Work>
auto boundedRun(Work work, const QList<QByteArray> &pipes, bool &hung,
                std::chrono::seconds patience = std::chrono::seconds(30))
{
    auto answer = std::async(std::launch::async, std::move(work));
    hung = answer.wait_for(patience) != std::future_status::ready;
    while (answer.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        for (const QByteArray &pipe : pipes) {
            for (int mode : {O_WRONLY, O_RDONLY}) {
                const int fd = ::open(pipe.constData(), mode | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0)
                    ::close(fd);
            }
        }
    }
    return answer.get();
}
