#pragma once

#include <QByteArray>

namespace platform {

enum class ExchangeResult {
    Exchanged,
    Unsupported, // the file system (or the system) has no atomic swap: nothing changed
    Failed,      // a path is missing, or on another file system: nothing changed
};

// Swaps the entries at two byte paths in one step, neither link followed: each path names
// the other's item afterwards, and no reader ever finds either path empty.
ExchangeResult exchangeItems(const QByteArray &first, const QByteArray &second);
// The same for two entries each named relative to an open folder (or AT_FDCWD).
ExchangeResult exchangeItemsAt(int firstDir, const QByteArray &first, int secondDir, const QByteArray &second);

} // namespace platform
