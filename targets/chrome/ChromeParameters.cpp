#include "targets/chrome/ChromeParameters.h"

using namespace Qt::StringLiterals;

namespace {

// Extensions keep their settings in Local Storage: cleaning must not reset them.
const QStringList extensionStorage = {u"chrome-extension_"_s};

} // namespace

ChromeParameters ChromeParameters::chrome()
{
    return {u"com.google.Chrome"_s,
            u"Chrome"_s,
            u"ChromePrefsView"_s,
            u"Library/Application Support/Google/Chrome/Default"_s,
            u"Library/Caches/Google/Chrome/Default/Cache"_s,
            extensionStorage};
}

ChromeParameters ChromeParameters::chromium()
{
    return {u"org.chromium.Chromium"_s,
            u"Chromium"_s,
            u"ChromiumPrefsView"_s,
            u"Library/Application Support/Chromium/Default"_s,
            u"Library/Caches/Chromium/Default/Cache"_s,
            extensionStorage};
}
