#include "targets/base/PrefsPaneBuilder.h"

#include "platform/system/MainThread.h"
#include "platform/system/UserDefaults.h"

#include <QCheckBox>
#include <QPointer>
#include <QVBoxLayout>
#include <QWidget>

QWidget *PrefsPaneBuilder::buildView(const QString &nibName, const PaneSwitches &switches)
{
    auto *view = new QWidget;
    view->setObjectName(nibName);

    auto *layout = new QVBoxLayout(view);
    auto *master = new QCheckBox(switches.master.label, view);
    bind(master, switches.master.key);
    layout->addWidget(master);

    auto *categories = new QVBoxLayout;
    categories->setContentsMargins(20, 0, 0, 0);
    for (const PaneSwitch &category : switches.categories) {
        auto *box = new QCheckBox(category.label, view);
        bind(box, category.key);
        categories->addWidget(box);
    }
    layout->addLayout(categories);
    layout->addStretch(1);
    return view;
}

void PrefsPaneBuilder::bind(QCheckBox *box, const QString &key)
{
    platform::UserDefaults &defaults = platform::UserDefaults::standardUserDefaults();
    box->setObjectName(key);
    box->setChecked(defaults.boolForKey(key));

    QObject::connect(box, &QCheckBox::toggled, box, [key](bool checked) {
        platform::UserDefaults &d = platform::UserDefaults::standardUserDefaults();
        if (d.boolForKey(key) != checked || !d.objectForKey(key).isValid())
            d.setBool(checked, key);
    });

    QPointer<QCheckBox> guarded(box);
    auto show = [guarded](bool value) {
        if (guarded && guarded->isChecked() != value)
            guarded->setChecked(value);
    };
    QPointer<platform::UserDefaults> owner(&defaults);
    defaults.addObserver(key, box,
                         [show, owner, key](const QString &, int, const QVariant &, const QVariant &newValue) {
                             // A removed user value falls back to the registered one, so read the effective value.
                             const bool value = owner ? owner->boolForKey(key) : newValue.toBool();
                             if (platform::MainThread::isMainThread())
                                 show(value);
                             else
                                 platform::MainThread::dispatch([show, value] { show(value); });
                         });

    // The registration goes with the check box, and only from the defaults object it was made on.
    QObject::connect(box, &QObject::destroyed, [owner, key, box] {
        if (owner)
            owner->removeObserver(key, box);
    });
}
