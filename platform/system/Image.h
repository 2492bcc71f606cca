#pragma once

#include <QImage>
#include <QString>

#include <memory>

namespace platform {

// Images are shared: rows that hold the same image show a change made to it.
using ImagePtr = std::shared_ptr<QImage>;

// An image resource of the main bundle by file name ("FlashCookie.icns",
// "FlashCookieSmall.png"); a null pointer when it is missing or cannot be decoded.
// "NSApplicationIcon" is the application's own icon.
ImagePtr imageNamed(const QString &name);

} // namespace platform
