#include "platform/gui/ChildWindows.h"
#include "platform/gui/WindowGeometry.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>

using platform::ChildWindows;
using platform::WindowGeometry;

class tst_ChildWindows : public QObject
{
    Q_OBJECT
private slots:
    void followsItsParent();
    void removeDetaches();
    void goesWithItsParent();
    void frameInWindow_data();
    void frameInWindow();
};

void tst_ChildWindows::followsItsParent()
{
    QWidget parent(nullptr, Qt::FramelessWindowHint);
    parent.setGeometry(100, 100, 300, 200);
    auto *child = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    child->setGeometry(50, 60, 80, 40);

    ChildWindows::addChildWindow(&parent, child);
    QCOMPARE(child->parentWidget(), &parent);
    QVERIFY(child->isWindow());
    QVERIFY(!child->isVisible()); // not on screen before its parent

    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QVERIFY(child->isVisible());
    QCOMPARE(child->pos(), QPoint(50, 60));

    parent.move(parent.pos() + QPoint(30, 20));
    QTRY_COMPARE(child->pos(), QPoint(80, 80));

    parent.hide();
    QVERIFY(!child->isVisible());
    QCOMPARE(ChildWindows::childWindows(&parent), QList<QWidget *>{child});
}

void tst_ChildWindows::removeDetaches()
{
    QWidget parent(nullptr, Qt::FramelessWindowHint);
    QWidget other(nullptr, Qt::FramelessWindowHint);
    parent.show();
    std::unique_ptr<QWidget> child(new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint));
    ChildWindows::addChildWindow(&parent, child.get());
    QVERIFY(child->isVisible());

    // Not its parent: nothing changes.
    ChildWindows::removeChildWindow(&other, child.get());
    QCOMPARE(child->parentWidget(), &parent);
    QVERIFY(child->isVisible());

    ChildWindows::removeChildWindow(&parent, child.get());
    QVERIFY(!child->isVisible());
    QVERIFY(!child->parentWidget());
    QVERIFY(ChildWindows::childWindows(&parent).isEmpty());
    ChildWindows::removeChildWindow(&parent, child.get()); // twice: nothing
}

void tst_ChildWindows::goesWithItsParent()
{
    auto *parent = new QWidget(nullptr, Qt::FramelessWindowHint);
    QPointer<QWidget> child = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    ChildWindows::addChildWindow(parent, child);
    delete parent;
    QVERIFY(!child);
}

void tst_ChildWindows::frameInWindow_data()
{
    QTest::addColumn<QRect>("inner");  // the widget, in Qt's coordinates of its parent
    QTest::addColumn<QRectF>("frame"); // in the window's coordinates, from its bottom left

    // The window is 300 x 200; the widget sits inside a container placed at (10, 20).
    QTest::newRow("top left") << QRect(0, 0, 50, 30) << QRectF(10, 150, 50, 30);
    QTest::newRow("bottom right") << QRect(240, 150, 50, 30) << QRectF(250, 0, 50, 30);
}

void tst_ChildWindows::frameInWindow()
{
    QFETCH(QRect, inner);
    QFETCH(QRectF, frame);

    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 300, 200);
    auto *container = new QWidget(&window);
    container->setGeometry(10, 20, 290, 180);
    auto *widget = new QWidget(container);
    widget->setGeometry(inner);
    QCOMPARE(WindowGeometry::frameInWindow(widget), frame);

    // Frames count from the bottom of the main screen, and go to Qt's coordinates and back.
    QWidget other(nullptr, Qt::FramelessWindowHint);
    WindowGeometry::setFrame(&other, QRectF(40, 50, 120, 60));
    QCOMPARE(WindowGeometry::frame(&other), QRectF(40, 50, 120, 60));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(other.geometry(), QRect(40, screen.y() + screen.height() - 50 - 60, 120, 60));
}

QTEST_MAIN(tst_ChildWindows)
#include "tst_childwindows.moc"
