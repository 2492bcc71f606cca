#include "core/ShredOutputParser.h"

#include <QString>
#include <QUtf8StringView>

#include <climits>

using namespace Qt::StringLiterals;

namespace {

const QString removingPrefix = u"removing"_s;
const QString doneWord = u"done"_s;

// The integer a text starts with, read as a C library would: leading blanks, an optional
// sign, then digits; 0 when there are none; clamped to the int range.
int leadingInteger(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        value = value * 10 + (text.at(i).unicode() - u'0');
        if (value > qint64(INT_MAX) + 1)
            break;
    }
    if (negative)
        return value > qint64(INT_MAX) ? INT_MIN : int(-value);
    return value > INT_MAX ? INT_MAX : int(value);
}

} // namespace

void ShredOutputParser::reset(bool isDir, int dirItemCount)
{
    m_isDone = false;
    m_isDir = isDir;
    m_dirItemCount = dirItemCount;
    m_currentCount = 0;
}

std::optional<int> ShredOutputParser::appendData(const QByteArray &chunk)
{
    // Output that is not text is not a message of the tool.
    if (!QUtf8StringView(chunk.constData(), chunk.size()).isValidUtf8())
        return std::nullopt;
    const QString s = QString::fromUtf8(chunk).trimmed();

    const bool startsRemoving = s.startsWith(removingPrefix);
    const bool endsDone = s.endsWith(doneWord);
    std::optional<int> percentage;

    if (s.startsWith(doneWord) || (endsDone && !startsRemoving)) {
        m_isDone = true;
        if (m_isDir) {
            ++m_currentCount;
            percentage = folderPercentage();
        }
    } else if (s.endsWith(u'%') && !startsRemoving && !m_isDir) {
        percentage = leadingInteger(QString(s).remove(u'%'));
    }

    if (startsRemoving && endsDone)
        m_isDone = true;
    return percentage;
}

int ShredOutputParser::folderPercentage() const
{
    // A folder whose count came out 0 (its files appeared after counting, or could not be
    // listed) has nothing to divide by: each finished file then shows the folder as complete.
    if (m_dirItemCount <= 0)
        return 100;
    const float share = float(m_currentCount) / float(m_dirItemCount) * 100.0f;
    const int percent = share >= float(INT_MAX) ? INT_MAX : int(share);
    return percent == 0 ? 1 : percent;
}
