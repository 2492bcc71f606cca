#include "platform/system/Dictionary.h"

#include <memory>

namespace platform {

bool isEmptyValue(const QVariant &value)
{
    if (!value.isValid())
        return true;
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<QString>())
        return value.toString().isNull();
    // A raw pointer type holding null.
    if (value.isNull())
        return true;
    // Records travel as std::shared_ptr<T>; every instantiation has the same layout, so the
    // stored pointer can be read through shared_ptr<void>.
    if (QByteArrayView(type.name()).startsWith("std::shared_ptr<"))
        return !*static_cast<const std::shared_ptr<void> *>(value.constData());
    return false;
}

QVariantMap dictionaryWithPairs(std::initializer_list<std::pair<QString, QVariant>> pairs)
{
    QVariantMap result;
    for (const auto &[key, value] : pairs) {
        if (isEmptyValue(value))
            break;
        result.insert(key, value);
    }
    return result;
}

bool isNumberValue(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

} // namespace platform
