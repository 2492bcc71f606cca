#include "targets/chrome/ChromeParameters.h"

namespace {

// Extensions keep their settings in Local Storage: cleaning must not reset them.
const QStringList extensionStorage = {QStringLiteral("chrome-extension_")};

} // namespace

ChromeParameters ChromeParameters::chrome()
{
    return {QStringLiteral("com.google.Chrome"),
            QStringLiteral("Chrome"),
            QStringLiteral("ChromePrefsView"),
            QStringLiteral("Library/Application Support/Google/Chrome/Default"),
            QStringLiteral("Library/Caches/Google/Chrome/Default/Cache"),
            extensionStorage};
}

ChromeParameters ChromeParameters::chromium()
{
    return {QStringLiteral("org.chromium.Chromium"),
            QStringLiteral("Chromium"),
            QStringLiteral("ChromiumPrefsView"),
            QStringLiteral("Library/Application Support/Chromium/Default"),
            QStringLiteral("Library/Caches/Chromium/Default/Cache"),
            extensionStorage};
}
