#pragma once

#include "platform/system/Workspace.h"
#include "support/FakeHome.h"

#include <QFileInfo>
#include <QProcess>
#include <QString>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

// Real processes started from the fake bundles' Contents/MacOS/.
class RunningApps
{
public:
    // Only processes started from the fake home's own system root count as running (see
    // FakeHome), so other test programs' fake applications never reach these tests.
    explicit RunningApps(FakeHome &home)
        : m_home(home)
    {}
    ~RunningApps()
    {
        for (auto &p : m_processes)
            quit(p.get());
    }
    QProcess *launch(const QString &bundleId, const QString &name)
    {
        QString bundle = m_home.rootPath(u"Applications/%1.app"_s.arg(name));
        if (!QFileInfo::exists(bundle))
            bundle = m_home.addRunnableApplication(bundleId, name);
        auto process = std::make_unique<QProcess>();
        process->start(FakeHome::executableOf(bundle), {u"60"_s});
        if (!process->waitForStarted())
            return nullptr;
        m_processes.push_back(std::move(process));
        return m_processes.back().get();
    }
    // Every process started here quits.
    void quitAll()
    {
        for (auto &p : m_processes)
            quit(p.get());
    }
    static void quit(QProcess *process)
    {
        if (process && process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished();
        }
    }

private:
    FakeHome &m_home;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
