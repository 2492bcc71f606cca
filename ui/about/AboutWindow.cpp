#include "ui/about/AboutWindow.h"

#include "ui/about/QZScrewView.h"

#include "ui_AboutWindow.h"

AboutWindow::AboutWindow(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::AboutWindow>())
{
    m_ui->setupUi(this);
}

AboutWindow::~AboutWindow() = default;

QLabel *AboutWindow::supportLink() const
{
    return m_ui->supportLink;
}
QLabel *AboutWindow::companyLink() const
{
    return m_ui->companyLink;
}

QZScrewView *AboutWindow::screw(int number) const
{
    switch (number) {
    case 1:
        return m_ui->screw1;
    case 2:
        return m_ui->screw2;
    case 3:
        return m_ui->screw3;
    case 4:
        return m_ui->screw4;
    default:
        return nullptr;
    }
}
