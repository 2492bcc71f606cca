#pragma once

#include "targets/base/PaneSwitches.h"

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

// A module's settings pane: a title ("Safari Settings"), the module's identifier and a view
// made the first time it is asked for. The view is built by the pane builder from the
// module's table of switches and is named after the pane's interface file ("SafariPrefsView").
class MasterPrefsViewController : public QObject
{
    Q_OBJECT
public:
    ~MasterPrefsViewController() override;

    QString identifier() const;
    void setIdentifier(const QString &identifier);

    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }

    QString nibName() const { return m_nibName; }
    const PaneSwitches &switches() const { return m_switches; }

    // Made on first use. The pane deletes it with itself unless someone else has taken it
    // over by giving it a parent (the settings window's box) and deleted it first.
    QWidget *view();
    bool isViewLoaded() const { return !m_view.isNull(); }

protected:
    MasterPrefsViewController(const QString &nibName, const PaneSwitches &switches, QObject *parent = nullptr);

private:
    mutable QMutex m_mutex;
    QString m_identifier;
    QString m_title;
    QString m_nibName;
    PaneSwitches m_switches;
    QPointer<QWidget> m_view;
};
