#include "ui/views/SettingsBindings.h"

#include "core/Keys.h"
#include "platform/MainThread.h"
#include "platform/UserDefaults.h"
#include "targets/base/PrefsPaneBuilder.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QRadioButton>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kLevelKey = u"secureDeleteLevel"_s;
const QString kSecureKey = u"enableSecureDelete"_s;

// Runs `apply` on the main thread whenever `key` changes, for as long as `control` lives.
void follow(QWidget *control, const QString &key, std::function<void()> apply)
{
    platform::UserDefaults &defaults = platform::UserDefaults::standardUserDefaults();
    QPointer<QWidget> guarded(control);
    auto run = [guarded, apply] {
        if (guarded)
            apply();
    };
    defaults.addObserver(key, control, [run](const QString &, int, const QVariant &, const QVariant &) {
        if (platform::MainThread::isMainThread())
            run();
        else
            platform::MainThread::dispatch(run);
    });
    QPointer<platform::UserDefaults> owner(&defaults);
    QObject::connect(control, &QObject::destroyed, [owner, key, control] {
        if (owner)
            owner->removeObserver(key, control);
    });
}

qint64 level()
{
    return platform::UserDefaults::standardUserDefaults().integerForKey(kLevelKey);
}

void setLevel(qint64 value)
{
    platform::UserDefaults &defaults = platform::UserDefaults::standardUserDefaults();
    if (defaults.integerForKey(kLevelKey) != value || !defaults.objectForKey(kLevelKey).isValid())
        defaults.setInteger(value, kLevelKey);
}

// The level control follows the secure-removal switch: without it the level means nothing.
void enableWithSecureRemoval(QWidget *control)
{
    auto apply = [control] {
        control->setEnabled(platform::UserDefaults::standardUserDefaults().boolForKey(kSecureKey));
    };
    apply();
    follow(control, kSecureKey, apply);
}

void bindLevelComboBox(QComboBox *box)
{
    auto show = [box] {
        const int index = int(std::clamp<qint64>(level(), 0, qMax(0, box->count() - 1)));
        if (box->currentIndex() != index)
            box->setCurrentIndex(index);
    };
    show();
    QObject::connect(box, &QComboBox::activated, box, [](int index) { setLevel(index); });
    follow(box, kLevelKey, show);
    enableWithSecureRemoval(box);
}

void bindLevelRadioButton(QRadioButton *button, int value)
{
    auto show = [button, value] {
        const bool on = level() == value;
        if (button->isChecked() != on)
            button->setChecked(on);
    };
    show();
    QObject::connect(button, &QAbstractButton::clicked, button, [value] { setLevel(value); });
    follow(button, kLevelKey, show);
    enableWithSecureRemoval(button);
}

} // namespace

void SettingsBindings::bindChildren(QWidget *form)
{
    if (!form)
        return;
    static const QStringList switches = {kSecureKey, u"enableTips"_s, u"enableSFX"_s,
                                         keys::EnableAnimations};
    for (QCheckBox *box : form->findChildren<QCheckBox *>()) {
        if (switches.contains(box->objectName()))
            PrefsPaneBuilder::bind(box, box->objectName());
    }
    for (QComboBox *box : form->findChildren<QComboBox *>()) {
        if (box->objectName() == kLevelKey)
            bindLevelComboBox(box);
    }
    const QString radioPrefix = kLevelKey + QLatin1Char('_');
    for (QRadioButton *button : form->findChildren<QRadioButton *>()) {
        bool ok = false;
        const int value = button->objectName().startsWith(radioPrefix)
            ? button->objectName().mid(radioPrefix.size()).toInt(&ok)
            : -1;
        if (ok)
            bindLevelRadioButton(button, value);
    }
}
