#include "ui/views/SettingsBindings.h"

#include "core/Settings.h"
#include "platform/system/MainThread.h"
#include "platform/system/UserDefaults.h"
#include "targets/base/PrefsPaneBuilder.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QRadioButton>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString &levelKey()
{
    return Settings::name(Settings::Key::SecureDeleteLevel);
}

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

SecureLevel level()
{
    return Settings::secureLevel();
}

// A control's index or number is a level; one past the levels there are is held to the last.
void setLevel(int value)
{
    const SecureLevel chosen = SecureLevel(value);
    if (level() != chosen || !Settings::value(Settings::Key::SecureDeleteLevel).isValid())
        Settings::setSecureLevel(chosen);
}

// The level control follows the secure-removal switch: without it the level means nothing.
void enableWithSecureRemoval(QWidget *control)
{
    auto apply = [control] { control->setEnabled(Settings::boolValue(Settings::Key::EnableSecureDelete)); };
    apply();
    follow(control, Settings::name(Settings::Key::EnableSecureDelete), apply);
}

void bindLevelComboBox(QComboBox *box)
{
    auto show = [box] {
        const int index = std::clamp(int(level()), 0, qMax(0, box->count() - 1));
        if (box->currentIndex() != index)
            box->setCurrentIndex(index);
    };
    show();
    QObject::connect(box, &QComboBox::activated, box, [](int index) { setLevel(index); });
    follow(box, levelKey(), show);
    enableWithSecureRemoval(box);
}

void bindLevelRadioButton(QRadioButton *button, int value)
{
    auto show = [button, value] {
        const bool on = int(level()) == value;
        if (button->isChecked() != on)
            button->setChecked(on);
    };
    show();
    QObject::connect(button, &QAbstractButton::clicked, button, [value] { setLevel(value); });
    follow(button, levelKey(), show);
    enableWithSecureRemoval(button);
}

} // namespace

bool SettingsBindings::isBoundCheckBox(const QString &name)
{
    const auto rows = Settings::table();
    return std::any_of(rows.begin(), rows.end(), [&name](const Settings::Entry &row) {
        return row.control == Settings::Control::CheckBox && row.name == name;
    });
}

void SettingsBindings::bindChildren(QWidget *form)
{
    if (!form)
        return;
    for (QCheckBox *box : form->findChildren<QCheckBox *>()) {
        if (isBoundCheckBox(box->objectName()))
            PrefsPaneBuilder::bind(box, box->objectName());
    }
    for (QComboBox *box : form->findChildren<QComboBox *>()) {
        if (box->objectName() == levelKey())
            bindLevelComboBox(box);
    }
    const QString radioPrefix = levelKey() + QLatin1Char('_');
    for (QRadioButton *button : form->findChildren<QRadioButton *>()) {
        bool ok = false;
        const int value =
            button->objectName().startsWith(radioPrefix) ? button->objectName().mid(radioPrefix.size()).toInt(&ok) : -1;
        if (ok)
            bindLevelRadioButton(button, value);
    }
}
