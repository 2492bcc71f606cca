#include "platform/plist/PlistDates.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace platform::plistdates {

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar, and back.
qint64 daysFromCivil(qint64 y, int m, int d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(qint64 z, qint64 *y, int *m, int *d)
{
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    *d = int(doy - (153 * mp + 2) / 5 + 1);
    *m = int(mp < 10 ? mp + 3 : mp - 9);
    *y = yoe + era * 400 + (*m <= 2);
}

const qint64 referenceDay = daysFromCivil(2001, 1, 1);

QByteArray twoDigits(qint64 n)
{
    return QByteArray::number(n).rightJustified(2, '0');
}

} // namespace

std::optional<double> parse(QByteArrayView view)
{
    const QByteArray t = view.trimmed().toByteArray();
    const qsizetype dash = t.indexOf('-', 1);
    if (dash < 4 || t.size() != dash + 16)
        return std::nullopt;
    const QByteArray rest = t.mid(dash);
    if (rest[0] != '-' || rest[3] != '-' || rest[6] != 'T' || rest[9] != ':' || rest[12] != ':' || rest[15] != 'Z')
        return std::nullopt;
    auto field = [&rest](int at, int lo, int hi, int *out) {
        const QByteArray two = rest.mid(at, 2);
        bool ok = std::isdigit(uchar(two[0])) && std::isdigit(uchar(two[1]));
        *out = two.toInt();
        return ok && *out >= lo && *out <= hi;
    };
    bool ok = false;
    const qint64 year = t.left(dash).toLongLong(&ok);
    int month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!ok || t.left(dash).startsWith('+') || std::abs(year) > maxYear || !field(1, 1, 12, &month)
        || !field(4, 1, 31, &day) || !field(7, 0, 23, &hour) || !field(10, 0, 59, &minute)
        || !field(13, 0, 59, &second))
        return std::nullopt;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    constexpr int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (day > monthDays[month - 1] + (month == 2 && leap))
        return std::nullopt;
    return double((daysFromCivil(year, month, day) - referenceDay) * 86400 + hour * 3600 + minute * 60 + second);
}

std::optional<QByteArray> format(double secondsSince2001)
{
    const double whole = std::floor(secondsSince2001);
    // 400 million years of seconds: past maxYear either way, and well inside 64 bits.
    if (!(std::fabs(whole) < 1.3e16))
        return std::nullopt;
    const qint64 seconds = qint64(whole);
    const qint64 dayCount = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    const qint64 inDay = seconds - dayCount * 86400;
    qint64 year = 0;
    int month = 0, day = 0;
    civilFromDays(dayCount + referenceDay, &year, &month, &day);
    if (std::abs(year) > maxYear)
        return std::nullopt;
    QByteArray out = QByteArray::number(std::abs(year)).rightJustified(4, '0');
    if (year < 0)
        out.prepend('-');
    out += '-' + twoDigits(month) + '-' + twoDigits(day) + 'T' + twoDigits(inDay / 3600) + ':'
        + twoDigits(inDay / 60 % 60) + ':' + twoDigits(inDay % 60) + 'Z';
    return out;
}

} // namespace platform::plistdates
