#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <initializer_list>
#include <utility>

namespace platform {

// True for the values that count as "nothing" in a travelling dictionary: an invalid
// QVariant, a null QString, or a null shared pointer stored in a QVariant.
bool isEmptyValue(const QVariant &value);

// True for a QVariant holding any integer or floating-point type (not a boolean or text).
bool isNumberValue(const QVariant &value);

// Builds a dictionary from key/value pairs in their order and stops at the first empty
// value: that key and every later one are left out. Every travelling dictionary of the
// program (notification user infos, record summaries) is made with it.
QVariantMap dictionaryWithPairs(std::initializer_list<std::pair<QString, QVariant>> pairs);

} // namespace platform
