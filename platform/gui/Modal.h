#pragma once

#include <functional>

class QWidget;

namespace platform {

// Modal runs of whole windows and window-modal sheets, on the main thread's event loop.
// runModalForWindow shows the window application-modal and returns when the run is stopped;
// runs nest, and stopModal ends the innermost. A window that is not running modally but is
// ended with endSheet is simply hidden, and its completion (if begun as a sheet) is called.
class Modal
{
public:
    static constexpr int ModalResponseStop = -1000;
    static constexpr int ModalResponseAbort = -1001;
    static constexpr int ModalResponseContinue = -1002;

    static int runModalForWindow(QWidget *window);
    static void stopModal();
    static void stopModalWithCode(int code);
    static void abortModal();
    // Ends the modal run of this window (wherever it sits in the nesting) or the sheet.
    static void endModalForWindow(QWidget *window, int code = ModalResponseStop);
    // The window of the innermost run; null when none runs.
    static QWidget *modalWindow();
    static bool isRunning(QWidget *window);

    // A sheet: the window shown window-modal over `parent`. endSheet hides it and calls the
    // completion with the code. Without a parent it is shown application-modal.
    static void beginSheet(QWidget *sheet, QWidget *parent, std::function<void(int code)> completion = {});
    static void endSheet(QWidget *sheet, int code = ModalResponseStop);

    // Test seam: called from inside the modal run, once the window is up, for each window
    // that goes modal (isSheet false) or is begun as a sheet (isSheet true). It may stop it.
    using Observer = std::function<void(QWidget *window, bool isSheet)>;
    static void setObserver(Observer observer);
};

} // namespace platform
