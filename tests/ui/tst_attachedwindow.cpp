#include "platform/gui/ChildWindows.h"
#include "platform/gui/Compositing.h"
#include "platform/gui/WindowGeometry.h"
#include "support/CiSkip.h"
#include "ui/animation/QZShredAnimationWindow.h"
#include "ui/tips/MAAttachedWindow.h"

#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#if __has_include(<xcb/xcb.h>)
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>

using namespace Qt::StringLiterals;
#define HAVE_XCB_HEADERS 1
#endif

using platform::ChildWindows;
using platform::WindowGeometry;

class tst_AttachedWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void noViewNoWindow();
    void viewIsLentAndGivenBack();
    void pointOfAWindow();
    void outlinePicture_data();
    void outlinePicture();
    void followsAParentThatGrows_data();
    void followsAParentThatGrows();
    void drawnOncePerChange();
    void resizeLaysOutOnce();
    void clearWindowsKeepTheDesktopColormap_data();
    void clearWindowsKeepTheDesktopColormap();
};

void tst_AttachedWindow::initTestCase()
{
    // As the application does at start.
    platform::shareDesktopColormapWithEveryWindow();
}

void tst_AttachedWindow::noViewNoWindow()
{
    QVERIFY(!MAAttachedWindow::initWithView(nullptr, QPointF(10, 10)));
    QVERIFY(!MAAttachedWindow::initWithView(nullptr, QPointF(10, 10), nullptr, 1, 0.0f));
}

void tst_AttachedWindow::viewIsLentAndGivenBack()
{
    QWidget home;
    auto *view = new QWidget(&home);
    view->resize(100, 40);
    {
        auto window = MAAttachedWindow::initWithView(view, QPointF(300, 300), 1);
        QCOMPARE(view->parentWidget(), window.get());
        QVERIFY(!window->isVisible()); // the caller puts it on screen
        QCOMPARE(window->viewFrame(), QRectF(2, 2, 100, 40));
        // The view sits above the arrow's room at the top of the window.
        QCOMPARE(view->geometry(), QRect(2, 18, 100, 40));
    }
    QCOMPARE(view->parentWidget(), &home);
}

void tst_AttachedWindow::pointOfAWindow()
{
    // The point is given in the window's own coordinates, from its bottom left.
    QWidget parent(nullptr, Qt::FramelessWindowHint);
    parent.setGeometry(100, 80, 400, 300);
    QWidget view;
    view.resize(100, 40);
    auto window = MAAttachedWindow::initWithView(&view, QPointF(200, 100), &parent, 2, 6.0f);
    QCOMPARE(window->side(), 2);
    const QPoint point = parent.frameGeometry().topLeft() + QPoint(200, 300 - 100);
    const QRect frame = window->geometry();
    QCOMPARE(frame.left(), point.x() + 6);
    QCOMPARE(frame.top() + frame.height() / 2, point.y());
    QCOMPARE(frame.size(), QSize(120, 44));
}

void tst_AttachedWindow::outlinePicture_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<QPoint>("filled"); // Qt's pixel coordinates, from the top left
    QTest::addColumn<QPoint>("clear");

    // A 100 x 40 view: the outline is 104 x 44 beside 16 points of arrow room.
    QTest::newRow("arrow at the top") << 1 << QPoint(52, 4) << QPoint(10, 4);
    QTest::newRow("arrow at the bottom") << 3 << QPoint(52, 56) << QPoint(10, 56);
    QTest::newRow("arrow on the left") << 2 << QPoint(4, 22) << QPoint(4, 3);
}

void tst_AttachedWindow::outlinePicture()
{
    QFETCH(int, side);
    QFETCH(QPoint, filled);
    QFETCH(QPoint, clear);

    QWidget view;
    view.resize(100, 40);
    auto window = MAAttachedWindow::initWithView(&view, QPointF(400, 400), side);
    const QImage &picture = window->backgroundPicture();
    QCOMPARE(picture.size(), window->size());
    QVERIFY(qAlpha(picture.pixel(filled)) > 150);
    QCOMPARE(qAlpha(picture.pixel(clear)), 0);
    // The window is shaped to the outline: without a compositor a clear pixel would be black.
    const QRegion shape = window->mask();
    QVERIFY(shape.contains(filled));
    QVERIFY(!shape.contains(clear));
    QVERIFY(!shape.contains(QPoint(0, 0)));
}

void tst_AttachedWindow::followsAParentThatGrows_data()
{
    QTest::addColumn<QRect>("later"); // the parent's contents once the window system is done
    QTest::newRow("framed: contents pushed down") << QRect(100, 122, 300, 200);
    QTest::newRow("grows downwards") << QRect(100, 100, 300, 260);
    QTest::newRow("framed and grown") << QRect(101, 122, 300, 240);
    QTest::newRow("grows upwards") << QRect(100, 60, 300, 240);
}

void tst_AttachedWindow::followsAParentThatGrows()
{
    QFETCH(QRect, later);
    QWidget view;
    view.resize(100, 40);
    QWidget parent(nullptr, Qt::FramelessWindowHint);
    parent.setGeometry(100, 100, 300, 200);
    auto *layout = new QVBoxLayout(&parent);
    layout->addStretch();
    auto *anchor = new QPushButton(u"Scan"_s, &parent); // held at the bottom
    layout->addWidget(anchor, 0, Qt::AlignLeft);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    const auto rightMiddle = [anchor] {
        const QRectF f = WindowGeometry::frameInWindow(anchor);
        return QPointF(f.x() + f.width(), f.y() + f.height() / 2);
    };
    auto made = MAAttachedWindow::initWithView(&view, rightMiddle(), &parent, 2, 6.0f);
    made->setPointSource([&] { return std::optional<QPointF>(rightMiddle()); });
    MAAttachedWindow *tip = made.get();
    ChildWindows::addChildWindow(&parent, made.release());
    // Side 2: the window lies 6 points right of the point, vertically centred on it.
    const auto arrowTip = [tip] {
        const QRect g = tip->geometry();
        return QPoint(g.left() - 6, g.top() + g.height() / 2);
    };
    const auto anchorOnScreen = [anchor] { return anchor->mapToGlobal(QPoint(anchor->width(), anchor->height() / 2)); };
    QVERIFY((arrowTip() - anchorOnScreen()).manhattanLength() <= 1);

    parent.setGeometry(later);
    QTRY_COMPARE(parent.geometry(), later);
    QTRY_VERIFY2((arrowTip() - anchorOnScreen()).manhattanLength() <= 1,
                 qPrintable(u"arrow at %1,%2, anchor at %3,%4"_s.arg(arrowTip().x())
                                .arg(arrowTip().y())
                                .arg(anchorOnScreen().x())
                                .arg(anchorOnScreen().y())));
}

void tst_AttachedWindow::drawnOncePerChange()
{
    QWidget view;
    view.resize(100, 40);
    auto window = MAAttachedWindow::initWithView(&view, QPointF(400, 400), 1);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const int drawn = window->backgroundRenderCount();

    window->grab(); // painting shows the picture; it does not draw it again
    window->repaint();
    QCOMPARE(window->backgroundRenderCount(), drawn);

    window->setBorderColor(Qt::red);
    QCOMPARE(window->backgroundRenderCount(), drawn + 1);
    window->setBorderColor(Qt::red);
    window->setBorderWidth(2.0f);
    window->setHasArrow(1.0f);
    QCOMPARE(window->backgroundRenderCount(), drawn + 1);
    window->setHasArrow(0.0f);
    QCOMPARE(window->backgroundRenderCount(), drawn + 2);
    QCOMPARE(window->size(), QSize(104, 60)); // the arrow's room stays
}

void tst_AttachedWindow::resizeLaysOutOnce()
{
    QWidget view;
    view.resize(100, 40);
    auto window = MAAttachedWindow::initWithView(&view, QPointF(400, 400), 1);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTRY_COMPARE(window->size(), QSize(104, 60));

    // A taller arrow resizes the window inside the layout; that resize must not lay it out again.
    const int laidOut = window->layoutCount();
    window->setArrowHeight(30.0f);
    QCOMPARE(window->layoutCount(), laidOut + 1);
    QCOMPARE(window->size(), QSize(104, 74));

    // A size forced from outside is put right again.
    window->resize(300, 300);
    QTRY_COMPARE(window->size(), QSize(104, 74));
    QCOMPARE(WindowGeometry::frame(window.get()).topLeft() + QPointF(52, 74), QPointF(400, 400));
}

void tst_AttachedWindow::clearWindowsKeepTheDesktopColormap_data()
{
    QTest::addColumn<bool>("tip"); // else the strips window
    QTest::newRow("tip") << true;
    QTest::newRow("strips window") << false;
}

// A screen capture reads a window with a colour map of its own as its whole rectangle, black
// outside its shape; one with the desktop's visual and colour map is read as the screen shows it.
void tst_AttachedWindow::clearWindowsKeepTheDesktopColormap()
{
#ifdef HAVE_XCB_HEADERS
    if (QGuiApplication::platformName() != QLatin1String("xcb") || platform::windowsAreComposited())
        QSKIP("needs an X server without a compositor (Xvfb with QT_QPA_PLATFORM=xcb)");
    QFETCH(bool, tip);
    QWidget view;
    view.resize(100, 40);
    std::unique_ptr<QWidget> window;
    if (tip)
        window = MAAttachedWindow::initWithView(&view, QPointF(400, 400), 1);
    else
        window = std::make_unique<QZShredAnimationWindow>(QRect(100, 100, 140, 180));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    xcb_connection_t *connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const auto id = xcb_window_t(window->winId());
    xcb_get_window_attributes_reply_t *attributes =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), nullptr);
    xcb_get_geometry_reply_t *geometry = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr);
    QVERIFY(attributes && geometry);
    const xcb_screen_t *screen = nullptr;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem && !screen; xcb_screen_next(&it)) {
        if (it.data->root == geometry->root)
            screen = it.data;
    }
    const xcb_visualid_t visual = attributes->visual;
    const xcb_colormap_t colormap = attributes->colormap;
    std::free(attributes);
    std::free(geometry);
    QVERIFY(screen);
    QCOMPARE(visual, screen->root_visual);
    QCOMPARE(colormap, screen->default_colormap);
#else
    SKIP_OR_FAIL_IN_CI("built without the X C binding");
#endif
}

QTEST_MAIN(tst_AttachedWindow)
#include "tst_attachedwindow.moc"
