// Fuzz target: the property-list readers with their limits, XML and binary, and what a rewrite
// does with a list they accept (its values, both writers and the read-back comparison).

#include "platform/PropertyList.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

using platform::PropertyList;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<PropertyList> list = PropertyList::fromData(bytes);
    if (!list)
        return 0;
    list->toVariant();
    for (const PropertyList::Format format : {PropertyList::Format::Binary, PropertyList::Format::Xml}) {
        const std::optional<QByteArray> written = list->toData(format);
        if (!written)
            continue;
        if (const std::optional<PropertyList> readBack = PropertyList::fromData(*written))
            readBack->isIdenticalTo(*list);
    }
    return 0;
}
