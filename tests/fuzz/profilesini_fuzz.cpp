// Fuzz target: the reader of a Mozilla browser's profiles.ini, on the input as the file.

#include "targets/mozilla/MozillaProfilesIni.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto chosen = mozilla::defaultProfileIn(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    // What is chosen is one of the file's own paths, never made up.
    if (chosen && chosen->path.isEmpty())
        __builtin_trap();
    return 0;
}
