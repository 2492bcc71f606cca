#include "targets/chrome/ChromiumController.h"

ChromiumController::ChromiumController(QObject *parent)
    : ChromiumLayoutModule(ChromeParameters::chromium(), parent)
{
}
