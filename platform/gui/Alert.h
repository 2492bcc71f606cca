#pragma once

#include "platform/system/Image.h"

#include <QString>
#include <QStringList>

#include <functional>

class QMessageBox;
class QWidget;

namespace platform {

// A modal alert over QMessageBox. Buttons answer in the order they were added: the first
// 1000, the second 1001, the third 1002 (the first is the default button). With no button
// added, a single "OK" is shown. An optional suppression check box ("Do not show this message
// again") can be read back after the run.
class Alert
{
public:
    static constexpr int FirstButtonReturn = 1000;
    static constexpr int SecondButtonReturn = 1001;
    static constexpr int ThirdButtonReturn = 1002;

    // The older panel call answers these instead.
    static constexpr int AlertDefaultReturn = 1;
    static constexpr int AlertAlternateReturn = 0;
    static constexpr int AlertOtherReturn = -1;
    // What runModal and the panel answer when the alert was withdrawn while it was up.
    static constexpr int WithdrawnReturn = -1001;

    enum class Style { Warning, Informational, Critical };

    void setMessageText(const QString &text) { m_messageText = text; }
    QString messageText() const { return m_messageText; }
    void setInformativeText(const QString &text) { m_informativeText = text; }
    QString informativeText() const { return m_informativeText; }
    void addButtonWithTitle(const QString &title) { m_buttons.append(title); }
    // The titles as shown: "OK" alone when none was added.
    QStringList buttonTitles() const;
    void setAlertStyle(Style style) { m_style = style; }
    Style alertStyle() const { return m_style; }
    void setIcon(const ImagePtr &icon) { m_icon = icon; }
    ImagePtr icon() const { return m_icon; }

    void setShowsSuppressionButton(bool shows) { m_showsSuppression = shows; }
    bool showsSuppressionButton() const { return m_showsSuppression; }
    void setSuppressionButtonTitle(const QString &title) { m_suppressionTitle = title; }
    QString suppressionButtonTitle() const { return m_suppressionTitle; }
    // Whether the suppression box was ticked when the alert was answered.
    bool suppressionButtonState() const { return m_suppressed; }

    // True for alerts made by runAlertPanel.
    bool isPanel() const { return m_isPanel; }

    // Shows the alert application-modally and returns the answer (1000, 1001, ...).
    int runModal(QWidget *parent = nullptr);

    // Takes the alert down while it is up: what it asks about no longer holds. runModal then
    // answers WithdrawnReturn, whatever button (or test responder) answered.
    void withdraw();
    bool isWithdrawn() const { return m_withdrawn; }

    // Makes this alert the older panel (see runAlertPanel); runPanel shows it and answers as
    // the panel does (or WithdrawnReturn).
    void setPanel(const QString &title, const QString &message, const QString &defaultButton,
                  const QString &alternateButton = {}, const QString &otherButton = {});
    int runPanel();

    // The older panel call: the title in bold, the message below, then the default, alternate
    // and other buttons (empty titles are left out). Answers 1 (default), 0 (alternate) or
    // -1 (other).
    static int runAlertPanel(const QString &title, const QString &message, const QString &defaultButton,
                             const QString &alternateButton = {}, const QString &otherButton = {});

    // Test seam: when set, every alert is answered by the responder instead of being shown.
    // It returns the button answer (1000, 1001, 1002; panels too) and may tick `suppress`.
    using Responder = std::function<int(const Alert &alert, bool &suppress)>;
    static void setResponder(Responder responder);

    // The message box wraps the informative text at the width of the message, so a short
    // message made a tall, narrow alert; its text gets this width at least.
    static constexpr int InformativeTextMinimumWidth = 320;
    static void widenInformativeText(QMessageBox &box);

private:
    QString m_messageText;
    QString m_informativeText;
    QStringList m_buttons;
    Style m_style = Style::Warning;
    ImagePtr m_icon;
    bool m_showsSuppression = false;
    QString m_suppressionTitle;
    bool m_suppressed = false;
    bool m_isPanel = false;
    bool m_withdrawn = false;
    QList<int> m_panelAnswers;
    QMessageBox *m_box = nullptr; // while it is up
};

} // namespace platform
