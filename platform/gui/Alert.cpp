#include "platform/gui/Alert.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMutex>
#include <QPixmap>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace platform {

namespace {
QMutex responderMutex;
Alert::Responder &responderSlot()
{
    static Alert::Responder responder;
    return responder;
}
} // namespace

void Alert::setResponder(Responder responder)
{
    QMutexLocker lock(&responderMutex);
    responderSlot() = std::move(responder);
}

QStringList Alert::buttonTitles() const
{
    return m_buttons.isEmpty() ? QStringList{u"OK"_s} : m_buttons;
}

int Alert::runModal(QWidget *parent)
{
    const QStringList titles = buttonTitles();
    Responder responder;
    {
        QMutexLocker lock(&responderMutex);
        responder = responderSlot();
    }
    m_withdrawn = false;
    if (responder) {
        bool suppress = false;
        const int answer = responder(*this, suppress);
        m_suppressed = m_showsSuppression && suppress;
        return m_withdrawn ? WithdrawnReturn : answer;
    }
    // Without a screen nobody could answer: take the default button rather than hang.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        m_suppressed = false;
        return FirstButtonReturn;
    }

    QMessageBox box(parent);
    box.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    box.setText(m_messageText);
    box.setInformativeText(m_informativeText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    widenInformativeText(box);
    switch (m_style) {
    case Style::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Style::Informational:
        box.setIcon(QMessageBox::Information);
        break;
    case Style::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    if (m_icon && !m_icon->isNull())
        box.setIconPixmap(QPixmap::fromImage(m_icon->scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation)));

    QList<QAbstractButton *> buttons;
    for (int i = 0; i < titles.size(); ++i) {
        // Roles only place the buttons; the answer comes from the order they were added.
        const auto role = i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole;
        QPushButton *button = box.addButton(titles[i], role);
        buttons.append(button);
        if (i == 0)
            box.setDefaultButton(button);
        if (titles[i] == QLatin1String("Cancel") || titles[i] == QLatin1String("No"))
            box.setEscapeButton(button);
    }
    QCheckBox *suppression = nullptr;
    if (m_showsSuppression) {
        suppression =
            new QCheckBox(m_suppressionTitle.isEmpty() ? u"Do not show this message again"_s : m_suppressionTitle);
        box.setCheckBox(suppression);
    }
    m_box = &box;
    box.exec();
    m_box = nullptr;
    if (m_withdrawn)
        return WithdrawnReturn;
    m_suppressed = suppression && suppression->isChecked();
    const int index = int(buttons.indexOf(box.clickedButton()));
    // Closed without a button (no escape button): the default answer.
    return FirstButtonReturn + (index < 0 ? 0 : index);
}

void Alert::widenInformativeText(QMessageBox &box)
{
    if (QLabel *text = box.findChild<QLabel *>(u"qt_msgbox_informativelabel"_s)) {
        text->setMinimumWidth(InformativeTextMinimumWidth);
        // An address or a path in the text is there to be copied.
        text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
}

void Alert::withdraw()
{
    m_withdrawn = true;
    if (m_box)
        m_box->done(0);
}

void Alert::setPanel(const QString &title, const QString &message, const QString &defaultButton,
                     const QString &alternateButton, const QString &otherButton)
{
    m_isPanel = true;
    setMessageText(title);
    setInformativeText(message);
    m_buttons.clear();
    m_panelAnswers.clear();
    // Empty titles are left out, but each answer keeps the meaning of its slot.
    const QString titlesInSlot[3] = {defaultButton.isEmpty() ? u"OK"_s : defaultButton, alternateButton, otherButton};
    const int codes[3] = {AlertDefaultReturn, AlertAlternateReturn, AlertOtherReturn};
    for (int i = 0; i < 3; ++i) {
        if (titlesInSlot[i].isEmpty())
            continue;
        addButtonWithTitle(titlesInSlot[i]);
        m_panelAnswers.append(codes[i]);
    }
}

int Alert::runPanel()
{
    const int answer = runModal();
    if (answer == WithdrawnReturn)
        return WithdrawnReturn;
    const int index = answer - FirstButtonReturn;
    return index >= 0 && index < m_panelAnswers.size() ? m_panelAnswers[index] : AlertDefaultReturn;
}

int Alert::runAlertPanel(const QString &title, const QString &message, const QString &defaultButton,
                         const QString &alternateButton, const QString &otherButton)
{
    Alert alert;
    alert.setPanel(title, message, defaultButton, alternateButton, otherButton);
    return alert.runPanel();
}

} // namespace platform
