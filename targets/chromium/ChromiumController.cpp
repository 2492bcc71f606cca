#include "targets/chromium/ChromiumController.h"

ChromiumController::ChromiumController(QObject *parent)
    : ChromiumLayoutModule(ChromeParameters::chromium(), parent)
{
    setCleaningHandler(&ChromiumController::cleanChromium);
}
