#include "platform/ExchangeItems.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace platform {

ExchangeResult exchangeItems(const QByteArray &first, const QByteArray &second)
{
    if (renameat2(AT_FDCWD, first.constData(), AT_FDCWD, second.constData(), RENAME_EXCHANGE) == 0)
        return ExchangeResult::Exchanged;
    return errno == EINVAL || errno == ENOSYS || errno == ENOTSUP ? ExchangeResult::Unsupported
                                                                 : ExchangeResult::Failed;
}

} // namespace platform
