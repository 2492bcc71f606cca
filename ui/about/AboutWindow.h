#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QZScrewView;
namespace Ui {
class AboutWindow;
}

// The About window of the main interface file: the two link labels and the four screws. Every
// way of closing it (the close box, Escape, close()) ends in the dialog's finished signal.
class AboutWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AboutWindow(QWidget *parent = nullptr);
    ~AboutWindow() override;

    QLabel *supportLink() const;
    QLabel *companyLink() const;
    // Screws 1 to 4, in the order they are shown.
    QZScrewView *screw(int number) const;

private:
    std::unique_ptr<Ui::AboutWindow> m_ui;
};
