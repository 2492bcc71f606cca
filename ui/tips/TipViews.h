#pragma once

#include <QWidget>

#include <memory>

class QLabel;
class TipController;
namespace Ui {
class TipViews;
}

// The tip contents of the interface file: one small view per tip, kept in a container that is
// never shown. A tip borrows its view while it is on screen and gives it back afterwards.
class TipViews : public QWidget
{
    Q_OBJECT
public:
    explicit TipViews(QWidget *parent = nullptr);
    ~TipViews() override;

    QWidget *prefsAppListView() const;
    QWidget *mainAppsListView() const;
    QWidget *mainScanButtonView() const;
    QWidget *mainHelpButtonView() const;
    QWidget *resultsListView() const;
    QWidget *resultsShredButtonView() const;
    QLabel *resultsShredButtonTextField() const;
    QLabel *resultsListTextField() const;
    QWidget *problemStatusView() const;
    QWidget *couldNotCleanStatusView() const;
    QWidget *cleanSystemView() const;
    QWidget *tempCleaningFailView() const;

    // Sets the controller's content-view outlets to these views.
    void setContentViews(TipController &tips) const;

private:
    std::unique_ptr<Ui::TipViews> m_ui;
};
