#include "targets/chromiumlayout/ChromiumSwitches.h"

#include "core/Keys.h"

using namespace Qt::StringLiterals;

namespace {

struct SwitchWord
{
    const char *word;
    const char *label;
    bool paneDefault;
};

// Cookies are only cleaned when the user asks: losing them signs the user out everywhere.
const SwitchWord switchWords[] = {
    {"Browsing", "Browsing History", true},
    {"Cache", "Cache", true},
    {"Cookies", "Cookies", false},
    {"Downloads", "Download History", true},
    {keys::FlashCookiesId, "Flash Cookies", false},
    {"Forms", "Form Values", true},
    {"LastSession", "Last Session", true},
    {"RecentSearches", "Recent Searches", true},
    {"WebpageIcons", "Webpage Icons", true},
    {"DOM", "DOM Storage", true},
};

const SwitchWord *switchWord(const QString &word)
{
    for (const SwitchWord &w : switchWords) {
        if (word == QLatin1String(w.word))
            return &w;
    }
    return nullptr;
}

} // namespace

ChromiumSwitches::ChromiumSwitches(const QString &appName, const QStringList &words, const QStringList &offWords)
    : m_appName(appName)
    , m_keyPrefix(appName.left(1).toLower() + appName.mid(1))
    , m_words(words)
    , m_offWords(offWords)
{}

QString ChromiumSwitches::scanKey() const
{
    return u"scan"_s + m_appName;
}

QString ChromiumSwitches::key(const QString &word) const
{
    return m_keyPrefix + word;
}

QList<Category> ChromiumSwitches::categories() const
{
    QList<Category> list;
    for (const QString &word : m_words) {
        const SwitchWord *w = switchWord(word);
        list.append({key(word), w ? QString::fromLatin1(w->label) : word, {}, !m_offWords.contains(word)});
    }
    return list;
}

PaneSwitches ChromiumSwitches::paneSwitches() const
{
    return paneSwitchesFor({scanKey(), u"Scan "_s + m_appName}, categories());
}

QVariantMap ChromiumSwitches::paneDefaults() const
{
    QVariantMap defaults{{u"Scan"_s + m_appName, true}};
    for (const QString &word : m_words) {
        const SwitchWord *w = switchWord(word);
        defaults.insert(m_appName + word, !w || w->paneDefault);
    }
    return defaults;
}
