#include "platform/gui/Modal.h"

#include <QEventLoop>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace platform {

namespace {

struct Run
{
    QPointer<QWidget> window;
    QEventLoop *loop = nullptr;
    int code = Modal::ModalResponseStop;
    bool stopped = false;
};

// Main thread only, like the windows themselves.
QList<Run *> &runs()
{
    static QList<Run *> stack;
    return stack;
}

QHash<QWidget *, std::function<void(int)>> &sheets()
{
    static QHash<QWidget *, std::function<void(int)>> open;
    return open;
}

Modal::Observer &observerSlot()
{
    static Modal::Observer observer;
    return observer;
}

void stopRun(Run *run, int code)
{
    if (run->stopped)
        return;
    run->stopped = true;
    run->code = code;
    if (run->loop)
        run->loop->exit(code);
}

void notifyObserver(QWidget *window, bool isSheet)
{
    QPointer<QWidget> guard(window);
    // Queued, so that the observer runs inside the modal loop with the window up.
    QTimer::singleShot(0, window, [guard, isSheet] {
        if (guard && observerSlot())
            observerSlot()(guard, isSheet);
    });
}

} // namespace

int Modal::runModalForWindow(QWidget *window)
{
    if (!window)
        return ModalResponseAbort;
    Run run;
    run.window = window;
    runs().append(&run);

    const Qt::WindowModality previous = window->windowModality();
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    window->raise();
    window->activateWindow();
    if (observerSlot())
        notifyObserver(window, false);

    QEventLoop loop;
    run.loop = &loop;
    if (!run.stopped)
        loop.exec(QEventLoop::DialogExec);
    run.loop = nullptr;
    runs().removeAll(&run);
    if (run.window && run.window->windowModality() == Qt::ApplicationModal) {
        // Modality can only change while hidden; put it back for the window's next use.
        const bool visible = run.window->isVisible();
        run.window->hide();
        run.window->setWindowModality(previous);
        if (visible)
            run.window->show();
    }
    return run.code;
}

void Modal::stopModal()
{
    stopModalWithCode(ModalResponseStop);
}

void Modal::stopModalWithCode(int code)
{
    if (!runs().isEmpty())
        stopRun(runs().last(), code);
}

void Modal::abortModal()
{
    stopModalWithCode(ModalResponseAbort);
}

void Modal::endModalForWindow(QWidget *window, int code)
{
    for (Run *run : runs())
        if (run->window == window)
            stopRun(run, code);
}

QWidget *Modal::modalWindow()
{
    return runs().isEmpty() ? nullptr : runs().last()->window.data();
}

bool Modal::isRunning(QWidget *window)
{
    for (Run *run : runs())
        if (run->window == window && !run->stopped)
            return true;
    return false;
}

void Modal::beginSheet(QWidget *sheet, QWidget *parent, std::function<void(int)> completion)
{
    if (!sheet)
        return;
    sheets().insert(sheet, std::move(completion));
    sheet->hide();
    if (parent && sheet->parentWidget() != parent) {
        const Qt::WindowFlags flags = sheet->windowFlags() | Qt::Sheet | Qt::Dialog;
        sheet->setParent(parent, flags);
    }
    sheet->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    sheet->show();
    sheet->raise();
    if (observerSlot())
        notifyObserver(sheet, true);
}

void Modal::endSheet(QWidget *sheet, int code)
{
    if (!sheet)
        return;
    if (isRunning(sheet)) {
        endModalForWindow(sheet, code);
        return;
    }
    const auto it = sheets().find(sheet);
    if (it == sheets().end())
        return;
    auto completion = std::move(it.value());
    sheets().erase(it);
    sheet->hide();
    if (completion)
        completion(code);
}

void Modal::setObserver(Observer observer)
{
    observerSlot() = std::move(observer);
}

} // namespace platform
