#include "targets/chrome/ChromeController.h"

ChromeController::ChromeController(QObject *parent)
    : ChromiumLayoutModule(ChromeParameters::chrome(), parent)
{
    setCleaningHandler(&ChromeController::cleanChrome);
}
