#include "platform/gui/BasicAnimation.h"
#include "platform/gui/Layer.h"
#include "platform/gui/Sound.h"
#include "platform/system/Image.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "support/FakeHome.h"
#include "ui/animation/QZShredAnimationWindow.h"
#include "ui/animation/QZShredderAnimator.h"
#include "ui/animation/QZShredderSlitView.h"
#include "ui/animation/QZStripsView.h"

#include <QPainter>
#include <QtTest>

#include <thread>

using namespace Qt::StringLiterals;

using platform::BasicAnimation;
using platform::Timer;

namespace {

// A main window with the slot along its bottom and the paper view over it, the strips window,
// and the animator wired to them; records who posted each end notice and the sounds played.
struct Shredder
{
    FakeHome home;
    QWidget mainWindow;
    QZShredderSlitView *slit = new QZShredderSlitView(&mainWindow);
    platform::LayerView *paper = new platform::LayerView(&mainWindow);
    QZShredAnimationWindow tears{QRect(0, 0, 140, 180)};
    QZStripsView *strips = new QZStripsView(&tears);
    QZShredderAnimator animator;
    QList<const void *> noticeSenders;
    QStringList sounds;

    Shredder()
    {
        mainWindow.setGeometry(100, 200, 600, 400);
        slit->setGeometry(0, 400 - 55, 600, 21);
        animator.setMainWindow(&mainWindow);
        animator.setSlitView(slit);
        animator.setPaperView(paper);
        animator.setTearsAnimationWindow(&tears);
        animator.setAnimationView(strips);
        animator.awakeFromNib();
        platform::NotificationCenter::defaultCenter().addObserver(
            &animator, u"ShredAnimationEndedNotification"_s,
            [this](const platform::Notification &n) { noticeSenders << n.object; });
        platform::Sound::setPlayRecorder([this](const QString &path) { sounds << QFileInfo(path).fileName(); });
    }
    ~Shredder()
    {
        platform::Sound::setPlayRecorder({});
        // Nothing of this fixture may reach the next test.
        BasicAnimation::finishAllRunning();
        for (const auto &timer : Timer::pendingTimers())
            timer->invalidate();
    }
    // `count` end notices, each posted by the animator.
    QList<const void *> fromAnimator(int count) const { return QList<const void *>(count, &animator); }
    bool stripsShown() const
    {
        return tears.isVisible() && tears.parentWidget() == &mainWindow && strips->isRendering() && slit->isShredding();
    }
};

QImage drawnSlot(const QSize &size, const QZShredderSlitView::Images &images, bool shredding)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(200, 210, 220));
    QPainter painter(&image);
    QZShredderSlitView::draw(painter, size, images, shredding);
    return image;
}

// A pixel of a picture drawn with its origin at the bottom left.
QRgb pixelFromBottom(const QImage &image, qreal x, qreal y)
{
    return image.pixel(int(x), image.height() - 1 - int(y));
}

} // namespace

class tst_Shredder : public QObject
{
    Q_OBJECT
private slots:
    void tearsWindowPlace_data();
    void tearsWindowPlace();
    void slotDrawing_data();
    void slotDrawing();
    void slotWithoutPictures();
    void animationWindowStyle_data();
    void animationWindowStyle();
    void paperSinksFromTheTop_data();
    void paperSinksFromTheTop();
    void cycle_data();
    void cycle();
    void newStripsStageReplacesPendingStop();
    void stripsWithoutComposition();
};

void tst_Shredder::tearsWindowPlace_data()
{
    // Screen coordinates with y down; a screen 1000 points high turns the bottom-left corner
    // (100, 200) of a 600 x 400 window into the top-left corner (100, 400).
    QTest::addColumn<QRectF>("mainFrame");
    QTest::addColumn<qreal>("tearsWidth");
    QTest::addColumn<QPointF>("topLeft");
    QTest::newRow("600-point window at (100, 200), 200-point strips")
        << QRectF(100, 1000 - 200 - 400, 600, 400) << qreal(200) << QPointF(322.5, 1000 - 255);
    QTest::newRow("narrowest results window") << QRectF(0, 0, 600, 480) << qreal(140) << QPointF(252.5, 425);
    QTest::newRow("wide window, odd width") << QRectF(-50, 30, 1001, 700) << qreal(141) << QPointF(402.5, 675);
}

void tst_Shredder::tearsWindowPlace()
{
    QFETCH(QRectF, mainFrame);
    QFETCH(qreal, tearsWidth);
    QFETCH(QPointF, topLeft);
    QCOMPARE(QZShredderAnimator::tearsWindowTopLeft(mainFrame, tearsWidth), topLeft);
}

void tst_Shredder::slotDrawing_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("shredding");
    QTest::newRow("300 points, light off") << 300 << false;
    QTest::newRow("300 points, light on") << 300 << true;
    QTest::newRow("772 points, light on") << 772 << true;
}

void tst_Shredder::slotDrawing()
{
    QFETCH(int, width);
    QFETCH(bool, shredding);
    FakeHome home;
    const QZShredderSlitView::Images &images = QZShredderSlitView::initialize();
    QVERIFY(images.left && images.middle && images.right && images.ledOn && images.ledOff);
    const QSize size(width, 21);
    const auto g = QZShredderSlitView::slotGeometry(size, images, shredding);
    const qreal cap = images.left->width();

    // The middle starts right after the left cap and fills width - 77 points; the right cap
    // follows directly.
    QCOMPARE(g.middle, QRectF(55 + cap, 9, width - 77, images.middle->height()));
    QCOMPARE(g.rightCap.topLeft(), QPointF(55 + cap + width - 77, 9));
    QCOMPARE(g.leftCap.topLeft(), QPointF(55, 9));
    QCOMPARE(g.light.topLeft(), shredding ? QPointF(51, 6) : QPointF(55, 9));

    const QImage image = drawnSlot(size, images, shredding);
    const qreal groove = 9 + images.middle->height() / 2.0; // a row through the slot's dark groove
    const QRgb grooveColour = images.middle->pixel(0, images.middle->height() / 2);
    // (the light's glow may cover the start of the middle)
    for (const qreal x :
         {std::max(g.middle.left(), g.light.right()) + 0.5, g.middle.center().x(), g.middle.right() - 0.5})
        QCOMPARE(pixelFromBottom(image, x, groove), grooveColour);
    QCOMPARE(pixelFromBottom(image, g.rightCap.right() + 1, groove), qRgb(200, 210, 220));
    QCOMPARE(pixelFromBottom(image, 20, 20), qRgb(235, 235, 235)); // the light line along the top
    QCOMPARE(pixelFromBottom(image, 44, 5), qRgb(82, 82, 82));     // the dark double line
    QCOMPARE(pixelFromBottom(image, 45, 5), qRgb(108, 108, 108));
    QCOMPARE(pixelFromBottom(image, 46, 5), qRgb(200, 210, 220));
    const QRgb light = pixelFromBottom(image, 58, 13);
    if (shredding)
        QVERIFY2(qRed(light) > 200 && qGreen(light) < 200, qPrintable(QColor(light).name()));
    else
        QVERIFY2(qRed(light) < 150, qPrintable(QColor(light).name()));
}

void tst_Shredder::slotWithoutPictures()
{
    // Missing pictures leave their parts undrawn, and nothing else goes wrong.
    const QZShredderSlitView::Images none;
    const QImage image = drawnSlot(QSize(300, 21), none, true);
    QCOMPARE(pixelFromBottom(image, 150, 13), qRgb(200, 210, 220));
    QCOMPARE(pixelFromBottom(image, 58, 13), qRgb(200, 210, 220));
    QCOMPARE(pixelFromBottom(image, 44, 5), qRgb(82, 82, 82));
}

void tst_Shredder::animationWindowStyle_data()
{
    QTest::addColumn<int>("style");
    QTest::newRow("borderless") << int(Qt::Window | Qt::FramelessWindowHint);
    QTest::newRow("titled") << int(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QTest::newRow("dialog") << int(Qt::Dialog);
}

void tst_Shredder::animationWindowStyle()
{
    QFETCH(int, style);
    QZShredAnimationWindow window(QRect(10, 20, 140, 180), Qt::WindowFlags(style));
    QVERIFY(window.isWindow());
    QVERIFY(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(window.windowFlags().testFlag(Qt::WindowTransparentForInput));
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowTitleHint));
    QVERIFY(window.testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(window.testAttribute(Qt::WA_TransparentForMouseEvents));
    QCOMPARE(window.geometry(), QRect(10, 20, 140, 180));
}

void tst_Shredder::paperSinksFromTheTop_data()
{
    // The sheet keeps its bottom edge and loses height from the top; its picture stays at
    // the top edge, so the heading (rows 10 to 14 of the picture) goes down with it and out
    // of the view at the bottom.
    QTest::addColumn<qreal>("height");
    QTest::newRow("whole sheet") << qreal(126);
    QTest::newRow("half sunk") << qreal(63);
    QTest::newRow("all but the heading") << qreal(20);
    QTest::newRow("gone") << qreal(0);
}

void tst_Shredder::paperSinksFromTheTop()
{
    QFETCH(qreal, height);
    FakeHome home;
    const platform::ImagePtr picture = platform::imageNamed(u"dragimage.png"_s);
    QVERIFY(picture);
    QCOMPARE(picture->size(), QSize(108, 126));
    const QRgb heading = picture->pixel(20, 12);

    platform::LayerView view;
    view.resize(108, 126);
    auto sheet = std::make_shared<platform::Layer>();
    sheet->setContents(*picture);
    sheet->setBounds({0, 0, 108, height});
    sheet->setAnchorPoint({0, 0});
    sheet->setPosition({0, 0});
    sheet->setContentsGravity(platform::Layer::ContentsGravity::Top);
    view.layer()->addSublayer(sheet);
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, {}, {}, QWidget::RenderFlags());

    const int top = int(126 - height);
    for (int y = 0; y < 126; ++y) {
        const bool headingRow = y >= top + 10 && y <= top + 14;
        QCOMPARE(image.pixel(20, y) == heading, headingRow);
    }
}

void tst_Shredder::cycle_data()
{
    QTest::addColumn<QString>("runEnds"); // "never", "during the wait", "during the strips"
    QTest::addColumn<bool>("sfx");
    QTest::addColumn<bool>("stripsShown");
    QTest::addColumn<QStringList>("sounds");
    QTest::addColumn<bool>("fromWorker"); // the cycle is asked for on another thread
    const QStringList shredding{u"shredding-short.wav"_s};
    QTest::newRow("whole cycle with sound") << "never" << true << true << shredding << false;
    QTest::newRow("whole cycle, sound effects off") << "never" << false << true << QStringList() << false;
    QTest::newRow("asked for on a worker") << "never" << true << true << shredding << true;
    QTest::newRow("run ends during the wait") << "during the wait" << true << false << QStringList() << false;
    QTest::newRow("run ends during the strips") << "during the strips" << true << true << shredding << false;
}

void tst_Shredder::cycle()
{
    QFETCH(QString, runEnds);
    QFETCH(bool, sfx);
    QFETCH(bool, stripsShown);
    QFETCH(QStringList, sounds);
    QFETCH(bool, fromWorker);
    Shredder s;
    platform::UserDefaults::standardUserDefaults().setBool(sfx, u"enableSFX"_s);
    QVERIFY(s.strips->frameCount() > 1);

    // Idle: ending the strips posts nothing.
    s.animator._stop();
    QCOMPARE(s.noticeSenders, s.fromAnimator(0));

    if (runEnds == QLatin1String("during the wait"))
        s.animator.setAnimationDone();
    if (fromWorker)
        std::thread([&s] { s.animator.startPaperAnimation(); }).join();
    else
        s.animator.startPaperAnimation();
    QVERIFY(s.paper->layer()->sublayers().empty()); // handed to the main thread's loop, not run here
    QTRY_COMPARE(s.paper->layer()->sublayers().size(), size_t(1));
    const auto &sheet = s.paper->layer()->sublayers().front();
    QCOMPARE(sheet->bounds(), QRectF(0, 0, 108, 126));
    QCOMPARE(sheet->contents().size(), QSize(108, 126));
    BasicAnimation *sink = sheet->animationForKey(u"bounds"_s);
    QVERIFY(sink && sink->isRunning());
    QCOMPARE(sink->duration(), 1.1);
    QCOMPARE(sink->toValue().toRectF(), QRectF(0, 0, 108, 0));
    // The sheet sits on the slot, over the point the strips fall from.
    QCOMPARE(s.paper->x() + 54, (600 - 65) / 2 + 55);
    QCOMPARE(s.paper->geometry().bottom() + 1, s.slit->geometry().bottom() + 1 - 13);

    QCOMPARE(BasicAnimation::finishAllRunning(), 1);
    QVERIFY(s.paper->layer()->sublayers().empty());
    QCOMPARE(s.stripsShown(), stripsShown);
    QCOMPARE(s.sounds, sounds);
    if (stripsShown) {
        // Under the slot's point of the window at (100, 200, 600, 400), 55 points above its bottom.
        QCOMPARE(s.tears.pos(), QPoint(353, 545));
        QCOMPARE(Timer::pendingTimers().size(), 1);
        QCOMPARE(Timer::pendingTimers().first()->timeInterval(), 4.0);
    } else {
        QVERIFY(!s.tears.isVisible());
        QVERIFY(!s.slit->isShredding());
        QVERIFY(Timer::pendingTimers().isEmpty());
    }
    QCOMPARE(s.noticeSenders, s.fromAnimator(0));

    if (runEnds == QLatin1String("during the strips")) {
        // The results controller's end of the run: the strips go at once.
        s.animator.setAnimationDone();
        s.animator._stop();
        QVERIFY(!s.tears.isVisible());
        QVERIFY(!s.slit->isShredding());
        QCOMPARE(s.noticeSenders, s.fromAnimator(1));
    }
    Timer::fireAllPending();
    QVERIFY(!s.tears.isVisible());
    QVERIFY(!s.slit->isShredding());
    QVERIFY(!s.strips->isRendering());
    QVERIFY(s.tears.parentWidget() == nullptr);
    QCOMPARE(s.noticeSenders, s.fromAnimator(stripsShown ? 1 : 0));
    QCOMPARE(s.sounds, sounds);
}

void tst_Shredder::newStripsStageReplacesPendingStop()
{
    Shredder s;
    s.animator.showConfetti();
    s.animator.showConfetti();
    QCOMPARE(Timer::pendingTimers().size(), 1);
    QCOMPARE(Timer::fireAllPending(), 1);
    QCOMPARE(s.noticeSenders, s.fromAnimator(1));
}

void tst_Shredder::stripsWithoutComposition()
{
    // A missing composition renders nothing, but the strips stage still ends and says so:
    // the next cycle depends on it.
    Shredder s;
    QVERIFY(!s.strips->loadComposition(u"no-such-composition"_s));
    QCOMPARE(s.strips->frameCount(), 0);
    s.animator.showConfetti();
    QVERIFY(s.strips->isRendering());
    QImage image(s.strips->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    s.strips->render(&image, {}, {}, QWidget::RenderFlags());
    QCOMPARE(qAlpha(image.pixel(70, 60)), 0);
    QCOMPARE(Timer::fireAllPending(), 1);
    QCOMPARE(s.noticeSenders, s.fromAnimator(1));
    QVERIFY(!s.slit->isShredding());
}

QTEST_MAIN(tst_Shredder)
#include "tst_shredder.moc"
