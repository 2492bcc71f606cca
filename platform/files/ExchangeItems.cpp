#include "platform/files/ExchangeItems.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace platform {

ExchangeResult exchangeItems(const QByteArray &first, const QByteArray &second)
{
    return exchangeItemsAt(AT_FDCWD, first, AT_FDCWD, second);
}

ExchangeResult exchangeItemsAt(int firstDir, const QByteArray &first, int secondDir, const QByteArray &second)
{
    if (renameat2(firstDir, first.constData(), secondDir, second.constData(), RENAME_EXCHANGE) == 0)
        return ExchangeResult::Exchanged;
    return errno == EINVAL || errno == ENOSYS || errno == ENOTSUP ? ExchangeResult::Unsupported
                                                                  : ExchangeResult::Failed;
}

} // namespace platform
