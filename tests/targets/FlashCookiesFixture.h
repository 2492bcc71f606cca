#pragma once

#include "ModuleFixture.h"

#include "targets/flashcookies/FlashCookiesController.h"

namespace flashcookiesfixture {

inline const QList<TraceSpec> traces = {
    {"Flash Cookies History", "flashCookieHistory", 'H', "Library/Preferences/Macromedia/Flash Player/macromedia.com",
     "Dir"},
    {"Flash Cookies Shared Objects", "flashCookieSharedObjects", 'H',
     "Library/Preferences/Macromedia/Flash Player/#SharedObjects", "Dir"},
};

// No application bundle: the player's folder is all there is.
struct Fixture : ModuleFixture<FlashCookiesController>
{
    static constexpr const char *scanKey = "scanFlashCookies";
    Fixture()
        : ModuleFixture(scanKey, traces, false)
    {}

    bool writeEveryTrace() { return writeMissingTraces(); }
};

} // namespace flashcookiesfixture
