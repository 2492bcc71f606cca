#include "platform/PlistRepair.h"

#include "platform/PlistNodes.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace platform::plistrepair {

namespace {

// Raw control bytes only come from string and key text: the writer indents with tabs and
// ends lines with line feeds, which survive a re-read, and escapes the markup characters.
void escapeControlCharacters(QByteArray &xml)
{
    auto needsReference = [](char c) { return uchar(c) < 0x20 && c != '\t' && c != '\n'; };
    if (std::none_of(xml.cbegin(), xml.cend(), needsReference))
        return;
    QByteArray out;
    out.reserve(xml.size() + 64);
    for (const char c : std::as_const(xml)) {
        if (needsReference(c))
            out.append("&#" + QByteArray::number(int(uchar(c))) + ';');
        else
            out.append(c);
    }
    xml = out;
}

} // namespace

void mendXmlText(plist_t root, QByteArray &xml)
{
    escapeControlCharacters(xml);
    const QByteArray dateTag("<date>");
    for (qsizetype at = xml.indexOf(dateTag); at >= 0; at = xml.indexOf(dateTag, at + 1)) {
        const qsizetype year = at + dateTag.size();
        qsizetype digits = 0;
        while (year + digits < xml.size() && std::isdigit(uchar(xml.at(year + digits))))
            ++digits;
        if (digits < 4 && year + digits < xml.size() && xml.at(year + digits) == '-')
            xml.insert(year, QByteArray(4 - digits, '0'));
    }
    const QByteArray zero("<real>0.0</real>");
    if (!xml.contains(zero))
        return;
    // The writer puts reals in tree order, so the n-th element is the n-th real node.
    std::vector<bool> negativeZero;
    plistnodes::forEachNode(root, [&negativeZero](plist_t node) {
        if (PLIST_IS_REAL(node)) {
            double d = 0;
            plist_get_real_val(node, &d);
            negativeZero.push_back(d == 0 && std::signbit(d));
        }
    });
    const QByteArray realTag("<real>");
    size_t index = 0;
    for (qsizetype at = xml.indexOf(realTag); at >= 0 && index < negativeZero.size();
         at = xml.indexOf(realTag, at + 1), ++index) {
        if (negativeZero[index] && xml.mid(at, zero.size()) == zero)
            xml.insert(at + realTag.size(), '-');
    }
}

} // namespace platform::plistrepair
