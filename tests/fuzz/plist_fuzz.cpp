// Fuzz target: the property-list readers with their limits, XML and binary, and what a rewrite
// does with a list they accept: its values, and the writers, whose bytes must read back to the
// same tree node for node.

#include "platform/plist/PropertyList.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using platform::PropertyList;

namespace {

[[noreturn]] void fail(const char *format, const char *what)
{
    std::fprintf(stderr, "plist_fuzz: the %s writer %s\n", format, what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<PropertyList> list = PropertyList::fromData(bytes);
    if (!list)
        return 0;
    list->toVariant();
    // A clean writes a list back in the format it was read in, and a writer that cannot hold
    // a value would change it silently: that writer must give back the very tree. The binary
    // format holds every value either reader takes, so its writer must too. XML holds no
    // fraction of a second and no lone surrogate, which a binary list may: its writer is run
    // on a binary list all the same, for what the sanitizers see.
    for (const PropertyList::Format format : {PropertyList::Format::Binary, PropertyList::Format::Xml}) {
        const char *name = format == PropertyList::Format::Binary ? "binary" : "XML";
        const bool mustKeep = format == list->format() || format == PropertyList::Format::Binary;
        const std::optional<QByteArray> written = list->toData(format);
        if (!mustKeep)
            continue;
        if (!written)
            fail(name, "refused a list the reader accepted");
        const std::optional<PropertyList> readBack = PropertyList::fromData(*written);
        if (!readBack)
            fail(name, "wrote bytes the reader refuses");
        if (!readBack->isIdenticalTo(*list))
            fail(name, "changed a value the reader kept");
    }
    return 0;
}
