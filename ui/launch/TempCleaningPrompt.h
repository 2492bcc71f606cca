#pragma once

#include "ui/launch/LaunchChain.h"
#include "ui/launch/TempCleaningPanel.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <mutex>
#include <optional>

class FileController;
class ShredController;

// The first launch prompt: leftover files of an earlier run in the private temporary folder.
// When there are any, the user is asked whether to remove them; "Yes" shows the cleaning
// panel as a sheet on the main window and runs it modally while the removal engine empties
// the folder in the background. The engine reports from its own thread; the result is
// carried over to the main thread before the panel is touched.
class TempCleaningPrompt : public QObject
{
    Q_OBJECT
public:
    // Notifications are posted with `poster` as their object (the main window's controller).
    explicit TempCleaningPrompt(const void *poster, QObject *parent = nullptr);
    ~TempCleaningPrompt() override;

    // Outlets.
    void setFileControl(FileController *control) { m_fileControl = control; }
    void setShredControl(ShredController *control) { m_shredControl = control; }
    void setTempCleaningPanel(TempCleaningPanel *panel);
    TempCleaningPanel *tempCleaningPanel() const { return m_panel; }
    void setMainWindow(QWidget *window) { m_mainWindow = window; }

    // Stop when the folders held anything to offer and the user was asked.
    LaunchChain checkTempDir();
    // Returns when the panel has been closed.
    void showTempCleaningPanel();
    void hideTempCleaningPanel();
    // The engine's outcome; any thread.
    void setTempCleaningSuccess();
    // `leftItems`: one line per item that could not be removed, with why.
    void setTempCleaningFailure(const QString &leftItems = {});

private:
    void receiveResult(bool success, const QString &leftItems = {});
    void showResult();

    const void *m_poster;
    FileController *m_fileControl = nullptr;
    ShredController *m_shredControl = nullptr;
    QPointer<TempCleaningPanel> m_panel;
    QPointer<QWidget> m_mainWindow;
    // The outcome handed over from the engine's thread, under our own lock only; the main
    // thread looks for it while the panel runs, since Qt's event queue is out of the thread
    // checker's sight.
    std::mutex m_resultMutex;
    std::optional<bool> m_result;
    QString m_leftItems;
    QTimer m_resultPoll;
};
