#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// The text form of a property list date, YYYY-MM-DDTHH:MM:SSZ in the proleptic Gregorian
// calendar with a year zero, counted in seconds from 2001-01-01 00:00:00 UTC. A year may be
// longer than four digits or negative ("-0001" is the year before year zero).
namespace platform::plistdates {

// Years further than this from zero are not read or written.
constexpr qint64 maxYear = 1000000;

// Nothing for text of another form or a date that does not exist.
std::optional<double> parse(QByteArrayView text);
// Whole seconds (a fraction is dropped, as the text has no place for it); nothing beyond
// maxYear or for a value that is not a number.
std::optional<QByteArray> format(double secondsSince2001);

} // namespace platform::plistdates
