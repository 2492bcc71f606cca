#include "ui/tips/AttachedWindowGeometry.h"

#include <QTest>

#include <memory>

using Geometry = AttachedWindowGeometry;
Q_DECLARE_METATYPE(Geometry::Update)

namespace {

const QSizeF kView(100, 40);
const QRectF kScreen(0, 0, 1440, 877);

// The corners and arrow points of an outline, in drawing order; arcs are left out.
QList<QPointF> vertices(const QPainterPath &path)
{
    QList<QPointF> out;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo() || e.isLineTo())
            out.append(QPointF(e.x, e.y));
    }
    return out;
}

bool runsThrough(const QList<QPointF> &points, const QList<QPointF> &run)
{
    for (qsizetype i = 0; i + run.size() <= points.size(); ++i) {
        if (points.mid(i, run.size()) == run)
            return true;
    }
    return false;
}

} // namespace

class tst_AttachedWindowGeometry : public QObject
{
    Q_OBJECT
private slots:
    void placement_data();
    void placement();
    void outline_data();
    void outline();
    void limits_data();
    void limits();
};

void tst_AttachedWindowGeometry::placement_data()
{
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<QRectF>("window"); // empty: a point given on the screen
    QTest::addColumn<QRectF>("screen");
    QTest::addColumn<int>("side");
    QTest::addColumn<bool>("roundBesideArrow");
    QTest::addColumn<int>("expectedSide");
    QTest::addColumn<QRectF>("frame");
    QTest::addColumn<QRectF>("viewFrame");

    const QRectF window(400, 300, 600, 400);
    QTest::newRow("point in a window fits below") << QPointF(700, 500) << window << kScreen << 12 << true << 1
                                                  << QRectF(648, 440, 104, 60) << QRectF(2, 2, 100, 40);
    QTest::newRow("screen point at the right edge goes left") << QPointF(1420, 30) << QRectF() << kScreen << 12 << true
                                                              << 0 << QRectF(1300, 8, 120, 44) << QRectF(2, 2, 100, 40);
    QTest::newRow("left, rising above a window's bottom edge")
        << QPointF(1420, 30) << QRectF(1000, 20, 440, 500) << kScreen << 12 << true << 4 << QRectF(1300, 12, 120, 44)
        << QRectF(2, 2, 100, 40);
    QTest::newRow("below, extending left at a window's right edge")
        << QPointF(1420, 300) << QRectF(400, 290, 1000, 400) << kScreen << 12 << true << 10
        << QRectF(1334, 240, 104, 60) << QRectF(2, 2, 100, 40);
    QTest::newRow("nothing else fits: above") << QPointF(100, 30) << QRectF() << QRectF(0, 0, 200, 877) << 12 << true
                                              << 3 << QRectF(48, 30, 104, 60) << QRectF(2, 18, 100, 40);
    QTest::newRow("explicit side kept off screen") << QPointF(1420, 30) << QRectF() << kScreen << 2 << true << 2
                                                   << QRectF(1420, 8, 120, 44) << QRectF(18, 2, 100, 40);
    QTest::newRow("side 9 beside a round corner") << QPointF(700, 500) << window << kScreen << 9 << true << 9
                                                  << QRectF(682, 500, 104, 60) << QRectF(2, 18, 100, 40);
    QTest::newRow("side 9 beside a square corner") << QPointF(700, 500) << window << kScreen << 9 << false << 9
                                                   << QRectF(690, 500, 104, 60) << QRectF(2, 18, 100, 40);
    QTest::newRow("unknown side: corner at the point, no arrow room")
        << QPointF(700, 500) << window << kScreen << 13 << true << 13 << QRectF(700, 500, 104, 44)
        << QRectF(2, 2, 100, 40);
}

void tst_AttachedWindowGeometry::placement()
{
    QFETCH(QPointF, point);
    QFETCH(QRectF, window);
    QFETCH(QRectF, screen);
    QFETCH(int, side);
    QFETCH(bool, roundBesideArrow);
    QFETCH(int, expectedSide);
    QFETCH(QRectF, frame);
    QFETCH(QRectF, viewFrame);

    Geometry geometry;
    geometry.setDrawsRoundCornerBesideArrow(roundBesideArrow);
    Geometry::Surroundings around{screen, window.isEmpty() ? std::nullopt : std::optional<QRectF>(window)};
    if (side == Geometry::Automatic)
        side = geometry.bestSideForAutomaticPosition(point, kView, around);
    QCOMPARE(side, expectedSide);
    QCOMPARE(geometry.updateGeometry(point, side, kView), frame);
    QCOMPARE(geometry.viewFrame(), viewFrame);
}

void tst_AttachedWindowGeometry::outline_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<bool>("hasArrow");
    QTest::addColumn<bool>("roundBesideArrow");
    QTest::addColumn<QRectF>("bounds");
    QTest::addColumn<QList<QPointF>>("run");       // consecutive corners of the outline
    QTest::addColumn<QPointF>("justInsideCorner"); // beside the corner next to the arrow
    QTest::addColumn<bool>("cornerFilled");

    QTest::newRow("arrow on top, centred")
        << 1 << true << true << QRectF(QPointF(1, 1), QPointF(103, 59)) << QList<QPointF>{{42, 43}, {52, 59}, {62, 43}}
        << QPointF(1.5, 42.5) << false;
    QTest::newRow("no arrow: plain rounded outline")
        << 1 << false << true << QRectF(QPointF(1, 1), QPointF(103, 43)) << QList<QPointF>{{42, 43}, {103 - 8, 43}}
        << QPointF(1.5, 42.5) << false;
    QTest::newRow("side 9, round corner") << 9 << true << true << QRectF(QPointF(1, 1), QPointF(103, 59))
                                          << QList<QPointF>{{29, 17}, {19, 1}, {9, 17}} << QPointF(1.5, 17.5) << false;
    QTest::newRow("side 9, square corner") << 9 << true << false << QRectF(QPointF(1, 1), QPointF(103, 59))
                                           << QList<QPointF>{{21, 17}, {11, 1}, {1, 17}} << QPointF(1.5, 17.5) << true;
    QTest::newRow("side 0, arrow on the right edge")
        << 0 << true << true << QRectF(QPointF(1, 1), QPointF(119, 43))
        << QList<QPointF>{{103, 32}, {119, 22}, {103, 12}} << QPointF(102.5, 42.5) << false;
}

void tst_AttachedWindowGeometry::outline()
{
    QFETCH(int, side);
    QFETCH(bool, hasArrow);
    QFETCH(bool, roundBesideArrow);
    QFETCH(QRectF, bounds);
    QFETCH(QList<QPointF>, run);
    QFETCH(QPointF, justInsideCorner);
    QFETCH(bool, cornerFilled);

    Geometry geometry;
    geometry.setHasArrow(hasArrow);
    geometry.setDrawsRoundCornerBesideArrow(roundBesideArrow);
    geometry.updateGeometry(QPointF(700, 500), side, kView);
    const QPainterPath path = geometry.backgroundPath(side);
    QCOMPARE(path.boundingRect(), bounds);
    if (!runsThrough(vertices(path), run)) {
        // QTest::toString hands over a new string, made only when there is something to show.
        const std::unique_ptr<char[]> shown(QTest::toString(vertices(path)));
        QFAIL(shown.get());
    }
    QCOMPARE(path.contains(justInsideCorner), cornerFilled);
}

void tst_AttachedWindowGeometry::limits_data()
{
    QTest::addColumn<QSizeF>("view");
    QTest::addColumn<QString>("setter");
    QTest::addColumn<float>("value");
    QTest::addColumn<Geometry::Update>("update");
    QTest::addColumn<QList<float>>("stored"); // border, margin, radius, arrow base

    QTest::newRow("border cut to the margin")
        << kView << "borderWidth" << 5.0f << Geometry::Update::Background << QList<float>{2, 2, 8, 20};
    QTest::newRow("same border: nothing")
        << kView << "borderWidth" << 2.0f << Geometry::Update::None << QList<float>{2, 2, 8, 20};
    QTest::newRow("negative margin re-clamps the radius")
        << QSizeF(100, 20) << "viewMargin" << -3.0f << Geometry::Update::Redisplay << QList<float>{2, 0, 0, 20};
    QTest::newRow("radius limited by the short side")
        << kView << "cornerRadius" << 30.0f << Geometry::Update::Redisplay << QList<float>{2, 2, 12, 20};
    QTest::newRow("negative radius") << kView << "cornerRadius" << -1.0f << Geometry::Update::Redisplay
                                     << QList<float>{2, 2, 0, 20};
    QTest::newRow("arrow base beside two radii")
        << kView << "arrowBaseWidth" << 50.0f << Geometry::Update::Redisplay << QList<float>{2, 2, 8, 28};
    QTest::newRow("arrow base beside a square corner")
        << kView << "arrowBaseWidthSquare" << 50.0f << Geometry::Update::Redisplay << QList<float>{2, 2, 8, 36};
}

void tst_AttachedWindowGeometry::limits()
{
    QFETCH(QSizeF, view);
    QFETCH(QString, setter);
    QFETCH(float, value);
    QFETCH(Geometry::Update, update);
    QFETCH(QList<float>, stored);

    Geometry geometry;
    geometry.updateGeometry(QPointF(700, 500), 1, view);
    Geometry::Update answer = Geometry::Update::None;
    if (setter == QLatin1String("borderWidth"))
        answer = geometry.setBorderWidth(value);
    else if (setter == QLatin1String("viewMargin"))
        answer = geometry.setViewMargin(value);
    else if (setter == QLatin1String("cornerRadius"))
        answer = geometry.setCornerRadius(value);
    else if (setter == QLatin1String("arrowBaseWidth"))
        answer = geometry.setArrowBaseWidth(value);
    else if (setter == QLatin1String("arrowBaseWidthSquare")) {
        geometry.setDrawsRoundCornerBesideArrow(0.0f);
        answer = geometry.setArrowBaseWidth(value);
    }
    QCOMPARE(answer, update);
    const QList<float> now{geometry.borderWidth(), geometry.viewMargin(), geometry.cornerRadius(),
                           geometry.arrowBaseWidth()};
    QCOMPARE(now, stored);
}

QTEST_APPLESS_MAIN(tst_AttachedWindowGeometry)
#include "tst_attachedwindowgeometry.moc"
