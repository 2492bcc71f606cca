#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

// One page of the setup assistant: a title and a view made from the page's form. The page
// deletes its view with itself unless the view's parent (the assistant's box) deleted it
// first.
class WizardPageController : public QObject
{
    Q_OBJECT
public:
    ~WizardPageController() override;

    QString title() const { return m_title; }
    QString nibName() const { return m_nibName; }
    QWidget *view() const { return m_view.data(); }

protected:
    WizardPageController(const QString &nibName, const QString &title, QObject *parent);
    // Makes the view from the page's form (a uic class) and takes it.
    template <typename Form>
    QWidget *loadForm()
    {
        auto *view = new QWidget;
        Form form;
        form.setupUi(view);
        setView(view);
        return view;
    }
    void setView(QWidget *view);

private:
    QString m_nibName;
    QString m_title;
    QPointer<QWidget> m_view;
};
