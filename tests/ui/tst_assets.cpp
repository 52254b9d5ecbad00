// The bitmaps embedded in the program: sizes, and the pixels that the code relies on (LED
// windows that get painted, cable ends that must meet the LED squares and the icons).

#include "diagram.h"
#include "global.h"
#include "kit/pixelruns.h"
#include "kit/widgets.h"
#include "student.h"
#include "switchleds.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QResource>
#include <QTest>

#include <span>
#include <vector>

#include <array>

namespace {

constexpr QRgb Black = 0xff000000;
constexpr QRgb LightGrey = 0xffcccccc;
constexpr QRgb Grey = 0xff808080;
constexpr QRgb Orange = 0xffcc6600;
constexpr QRgb Blue = 0xff0000ff;
constexpr QRgb White = 0xffffffff;

QImage load(const QString& name)
{
    return QImage(QStringLiteral(":/") + name).convertToFormat(QImage::Format_ARGB32);
}

// Readable colour for failure messages.
QString rgba(QRgb c)
{
    return QStringLiteral("(%1,%2,%3,a%4)")
        .arg(qRed(c))
        .arg(qGreen(c))
        .arg(qBlue(c))
        .arg(qAlpha(c));
}

// Box of the pixels of colour c within `area`; empty when there are none.
QRect inkBox(const QImage& image, const QRect& area, QRgb c)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) == c)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// Pixels of `outer` outside `inner` that differ from c, as "x,y" texts (the first few).
QStringList notOfColour(const QImage& image, const QRect& outer, const QRect& inner, QRgb c)
{
    QStringList wrong;
    for (int y = outer.top(); y <= outer.bottom(); ++y) {
        for (int x = outer.left(); x <= outer.right(); ++x) {
            if (!inner.contains(x, y) && image.pixel(x, y) != c && wrong.size() < 5)
                wrong << QStringLiteral("%1,%2 %3").arg(x).arg(y).arg(rgba(image.pixel(x, y)));
        }
    }
    return wrong;
}

// An 8 x 8 LED square at (x, y) in a picture whose body colour is `body`: 2-pixel black
// frame, 4 x 4 light grey window, body colour all around.
void verifyLedSquare(const QImage& image, int x, int y, QRgb body)
{
    const QRect square(x, y, 8, 8);
    const QRect window(x + 2, y + 2, 4, 4);
    QCOMPARE(notOfColour(image, square, window, Black), QStringList());
    QCOMPARE(notOfColour(image, window, QRect(), LightGrey), QStringList());
    QCOMPARE(notOfColour(image, square.adjusted(-1, -1, 1, 1), square, body), QStringList());
}

QRect ledWindow(const kw::SwitchLedRect& r)
{
    return QRect(r.left, r.top, r.width, r.height);
}

} // namespace

class TestAssets : public QObject {
    Q_OBJECT

private slots:
    void sizes_data();
    void sizes();
    void diagramColours_data();
    void diagramColours();
    void diagramLedSquares_data();
    void diagramLedSquares();
    void diagramLettering_data();
    void diagramLettering();
    void cableEnds_data();
    void cableEnds();
    void cablesMissTheLabels();
    void ledPicture_data();
    void ledPicture();
    void smallSwitchIsTheDiagramSwitch();
    void icons_data();
    void icons();
    void ticks();
    void programPicture();
    void runsGiveThePictureBack_data();
    void runsGiveThePictureBack();
    void damagedRunsAreRefused_data();
    void damagedRunsAreRefused();
};

void TestAssets::sizes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("pixelArt"); // its @2x twin is the picture enlarged twice

    QTest::newRow("diagram") << QStringLiteral("diagram") << QSize(485, 234) << true;
    QTest::newRow("hub LEDs") << QStringLiteral("hub_leds") << QSize(415, 60) << true;
    QTest::newRow("switch LEDs") << QStringLiteral("switch_leds") << QSize(415, 60) << true;
    QTest::newRow("small switch") << QStringLiteral("switch_small") << QSize(141, 20) << true;
    QTest::newRow("station") << QStringLiteral("station") << QSize(34, 33) << true;
    QTest::newRow("server") << QStringLiteral("server") << QSize(41, 40) << true;
    QTest::newRow("tick") << QStringLiteral("tick") << QSize(18, 18) << false;
    QTest::newRow("greyed tick") << QStringLiteral("tick_disabled") << QSize(18, 18) << false;
    QTest::newRow("program") << QStringLiteral("program") << QSize(74, 62) << false;
    QTest::newRow("window icon") << QStringLiteral("kw_switch") << QSize(64, 64) << false;
}

void TestAssets::sizes()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(bool, pixelArt);

    const QImage normal = load(name + QStringLiteral(".png"));
    const QImage dense = load(name + QStringLiteral("@2x.png"));
    QCOMPARE(normal.size(), size);
    QCOMPARE(dense.size(), size * 2);
    if (pixelArt)
        QVERIFY(dense == normal.scaled(size * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

void TestAssets::diagramColours_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QRgb>("colour");

    QTest::newRow("top-left corner") << QPoint(0, 0) << LightGrey;
    QTest::newRow("bottom-right corner") << QPoint(484, 233) << LightGrey;
    QTest::newRow("between the hubs") << QPoint(250, 145) << LightGrey;
    QTest::newRow("between the servers") << QPoint(255, 30) << LightGrey;
    QTest::newRow("switch, rounded top-left") << QPoint(180, 88) << LightGrey;
    QTest::newRow("switch top border row 1") << QPoint(250, 88) << Black;
    QTest::newRow("switch top border row 3") << QPoint(250, 90) << Black;
    QTest::newRow("switch below top border") << QPoint(250, 91) << Orange;
    QTest::newRow("switch left border") << QPoint(181, 97) << Black;
    QTest::newRow("switch inside left border") << QPoint(182, 97) << Orange;
    QTest::newRow("switch right border") << QPoint(318, 97) << Black;
    QTest::newRow("switch inside right border") << QPoint(317, 97) << Orange;
    QTest::newRow("switch bottom border") << QPoint(250, 106) << Black;
    QTest::newRow("switch above bottom border") << QPoint(250, 105) << Orange;
    QTest::newRow("switch between ports 1 and 2") << QPoint(216, 97) << Orange;
    QTest::newRow("right of the switch") << QPoint(320, 97) << LightGrey;
    QTest::newRow("Hub 1 body") << QPoint(108, 145) << Grey;
    QTest::newRow("Hub 1 top border") << QPoint(108, 138) << Black;
    QTest::newRow("Hub 1 left border") << QPoint(40, 145) << Black;
    QTest::newRow("Hub 1 right border") << QPoint(178, 145) << Black;
    QTest::newRow("Hub 2 body") << QPoint(385, 145) << Grey;
    QTest::newRow("Hub 2 left border") << QPoint(316, 145) << Black;
    QTest::newRow("Hub 2 right border") << QPoint(456, 145) << Black;
    QTest::newRow("right of Hub 2") << QPoint(457, 145) << LightGrey;
    QTest::newRow("Machine 1 monitor top") << QPoint(28, 193) << Black;
}

void TestAssets::diagramColours()
{
    QFETCH(QPoint, point);
    QFETCH(QRgb, colour);
    const QImage diagram = load(QStringLiteral("diagram.png"));
    QCOMPARE(rgba(diagram.pixel(point)), rgba(colour));
}

void TestAssets::diagramLedSquares_data()
{
    QTest::addColumn<QPoint>("corner");
    QTest::addColumn<QRgb>("body");

    struct Body {
        const char* name;
        int y;
        std::array<int, 8> lefts;
        QRgb colour;
    };
    const std::array<Body, 3> bodies{{
        {"switch", 94, {192, 203, 224, 235, 258, 269, 290, 301}, Orange},
        {"Hub 1", 142, {51, 62, 83, 94, 117, 128, 149, 160}, Grey},
        {"Hub 2", 142, {328, 339, 361, 372, 393, 404, 427, 438}, Grey},
    }};
    for (const Body& b : bodies) {
        for (int i = 0; i < 8; ++i) {
            QTest::addRow("%s port %d %s", b.name, i / 2 + 1, i % 2 == 0 ? "left" : "right")
                << QPoint(b.lefts[i], b.y) << b.colour;
        }
    }
}

void TestAssets::diagramLedSquares()
{
    QFETCH(QPoint, corner);
    QFETCH(QRgb, body);
    const QImage diagram = load(QStringLiteral("diagram.png"));
    verifyLedSquare(diagram, corner.x(), corner.y(), body);
    // The cables run into the squares but leave their windows alone, idle or highlighted.
    const QRect window(corner + QPoint(2, 2), QSize(4, 4));
    for (QRgb colour : {Black, White, qRgb(255, 255, 0), qRgb(255, 0, 0)}) {
        QImage drawn = diagram;
        for (int cable = 1; cable <= kw::CableCount; ++cable)
            for (auto line : {kw::CableLine::First, kw::CableLine::Second})
                for (const kw::Pixel& p : kw::CableLinePixels(cable, line))
                    drawn.setPixel(p.x, p.y, colour);
        QCOMPARE(notOfColour(drawn, window, QRect(), LightGrey), QStringList());
    }
}

void TestAssets::diagramLettering_data()
{
    QTest::addColumn<QRect>("box");
    QTest::addColumn<QRgb>("colour");

    const auto row = [](const char* name, int left, int right, int top, int bottom, QRgb c) {
        QTest::newRow(name) << QRect(QPoint(left, top), QPoint(right, bottom)) << c;
    };
    row("letter A", 228, 234, 12, 19, Black);
    row("letter B", 297, 302, 12, 19, Black);
    row("ServeurA RX", 198, 210, 50, 57, Blue);
    row("ServeurA TX", 224, 235, 50, 57, Blue);
    row("ServeurB RX", 255, 267, 50, 57, Blue);
    row("ServeurB TX", 286, 297, 50, 57, Blue);
    row("Commutateur Ethernet", 75, 179, 75, 82, Orange);
    row("switch port 1 TX", 167, 178, 108, 115, Blue);
    row("switch port 2 RX", 201, 213, 109, 116, Blue);
    row("switch port 3 TX", 285, 296, 109, 116, Blue);
    row("switch port 4 RX", 318, 330, 109, 116, Blue);
    row("Hub 1", 98, 125, 124, 131, Black);
    row("Hub 2", 376, 406, 126, 133, Black);
    row("Machine 1 TX", 11, 22, 184, 191, Blue);
    row("Machine 1 RX", 42, 54, 185, 192, Blue);
    row("Machine 2 TX", 70, 81, 185, 192, Blue);
    row("Machine 2 RX", 98, 110, 184, 191, Blue);
    row("Machine 3 TX", 127, 138, 185, 192, Blue);
    row("Machine 3 RX", 156, 168, 184, 191, Blue);
    row("Machine 4 TX", 315, 326, 185, 192, Blue);
    row("Machine 4 RX", 352, 364, 185, 192, Blue);
    row("Machine 5 TX", 381, 392, 184, 191, Blue);
    row("Machine 5 RX", 409, 421, 184, 191, Blue);
    row("Machine 6 TX", 438, 449, 185, 192, Blue);
    row("Machine 6 RX", 465, 477, 184, 191, Blue);
    // The digits' right edges are free, but they must stay left of the machine icons.
    row("digit 1", 5, 9, 214, 222, Black);
    row("digit 2", 68, 72, 214, 222, Black);
    row("digit 3", 123, 127, 214, 222, Black);
    row("digit 4", 310, 314, 214, 222, Black);
    row("digit 5", 378, 382, 214, 222, Black);
    row("digit 6", 436, 440, 214, 222, Black);
}

void TestAssets::diagramLettering()
{
    QFETCH(QRect, box);
    QFETCH(QRgb, colour);
    const QImage diagram = load(QStringLiteral("diagram.png"));
    // Two pixels of margin hold nothing else of the colour, so the ink box is the text's.
    QCOMPARE(inkBox(diagram, box.adjusted(-2, -2, 2, 2), colour), box);
}

void TestAssets::cableEnds_data()
{
    QTest::addColumn<QPoint>("end");
    QTest::addColumn<QRect>("target"); // an LED square, or empty: a station icon

    // The port's LED squares (left and right) at each end of cables 1..10; (0, 0) for a
    // station's end.
    struct Ends {
        QPoint first, second;
    };
    const std::array<Ends, kw::CableCount + 1> ends{{
        {},
        {{0, 0}, {51, 142}},
        {{0, 0}, {83, 142}},
        {{0, 0}, {117, 142}},
        {{0, 0}, {361, 142}},
        {{0, 0}, {393, 142}},
        {{0, 0}, {427, 142}},
        {{149, 142}, {192, 94}},
        {{328, 142}, {290, 94}},
        {{0, 0}, {224, 94}},
        {{0, 0}, {258, 94}},
    }};
    for (int cable = 1; cable <= kw::CableCount; ++cable) {
        const kw::Cable& c = kw::CableTable[cable];
        for (int line = 0; line < 2; ++line) {
            // The second line lies 7 pixels to the right and ends in the right square.
            const auto square = [line](QPoint left) {
                return left.isNull() ? QRect() : QRect(left + QPoint(11 * line, 0), QSize(8, 8));
            };
            QTest::addRow("cable %d line %d start", cable, line + 1)
                << QPoint(c.x1 + 7 * line, c.y1) << square(ends[cable].first);
            QTest::addRow("cable %d line %d end", cable, line + 1)
                << QPoint(c.x2 + 7 * line, c.y2) << square(ends[cable].second);
        }
    }
}

// Each cable line ends in (or, for two lines, right beside) its port's LED square, or
// touches its station's icon.
void TestAssets::cableEnds()
{
    QFETCH(QPoint, end);
    QFETCH(QRect, target);
    const QImage diagram = load(QStringLiteral("diagram.png"));
    const QRect around(end - QPoint(1, 1), QSize(3, 3));
    if (!target.isNull()) {
        QVERIFY2(around.intersects(target), qPrintable(QStringLiteral("end %1,%2 misses %3,%4")
                                                           .arg(end.x())
                                                           .arg(end.y())
                                                           .arg(target.x())
                                                           .arg(target.y())));
    } else {
        QVERIFY(!inkBox(diagram, around, Black).isEmpty());
    }
}

void TestAssets::cablesMissTheLabels()
{
    const QImage diagram = load(QStringLiteral("diagram.png"));
    for (int cable = 1; cable <= kw::CableCount; ++cable) {
        for (auto line : {kw::CableLine::First, kw::CableLine::Second}) {
            for (const kw::Pixel& p : kw::CableLinePixels(cable, line)) {
                QVERIFY2(diagram.pixel(p.x, p.y) != Blue,
                         qPrintable(QStringLiteral("cable %1 crosses a label at %2,%3")
                                        .arg(cable)
                                        .arg(p.x)
                                        .arg(p.y)));
            }
        }
    }
}

void TestAssets::ledPicture_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRgb>("body");
    QTest::addColumn<QList<QRect>>("windows");
    QTest::addColumn<int>("oddLabelWidth"); // "RX" is 13 pixels wide, "TX" 12

    // The hub dialogs paint LED k at x 95j + 42 (odd k) or 95j - 20 (even k), j = k div 2;
    // the switch's painted squares come from the code that paints them.
    QList<QRect> hub;
    QList<QRect> sw;
    for (int k = 1; k <= kw::LedCount; ++k) {
        const int j = k / 2;
        hub << QRect(k % 2 == 1 ? 95 * j + 42 : 95 * j - 20, 24, 12, 12);
        sw << ledWindow(kw::SwitchLedSquare(k));
    }
    QTest::newRow("hub: RX then TX") << QStringLiteral("hub_leds.png") << Grey << hub << 13;
    QTest::newRow("switch: TX then RX") << QStringLiteral("switch_leds.png") << Orange << sw << 12;
}

void TestAssets::ledPicture()
{
    QFETCH(QString, name);
    QFETCH(QRgb, body);
    QFETCH(QList<QRect>, windows);
    QFETCH(int, oddLabelWidth);
    const QImage picture = load(name);
    QCOMPARE(picture.size(), QSize(415, 60));

    // The frame: 6 pixels wide, outer corners cut by 6 pixels on the outermost three rows
    // and by 3 on the next three, at all four corners.
    for (int r = 0; r < 6; ++r) {
        const int cut = r < 3 ? 6 : 3;
        for (int y : {r, 59 - r}) {
            for (int x = 0; x < 415; ++x) {
                const bool cutOff = x < cut || x >= 415 - cut;
                QCOMPARE(rgba(picture.pixel(x, y)), rgba(cutOff ? LightGrey : Black));
            }
        }
    }
    QCOMPARE(notOfColour(picture, QRect(0, 6, 415, 48), QRect(6, 6, 403, 48), Black),
             QStringList());
    QCOMPARE(rgba(picture.pixel(6, 6)), rgba(body));
    QCOMPARE(rgba(picture.pixel(408, 53)), rgba(body));
    QCOMPARE(rgba(picture.pixel(200, 50)), rgba(body));

    QCOMPARE(windows.size(), kw::LedCount);
    for (int k = 1; k <= kw::LedCount; ++k) {
        const QRect window = windows[k - 1];
        QCOMPARE(window.size(), QSize(12, 12));
        const QRect socket = window.adjusted(-6, -6, 6, 6);
        QCOMPARE(socket.top(), 18);
        QCOMPARE(notOfColour(picture, window, QRect(), LightGrey), QStringList());
        QCOMPARE(notOfColour(picture, socket, window, Black), QStringList());
        QCOMPARE(notOfColour(picture, socket.adjusted(-1, -1, 1, 1), socket, body), QStringList());
        // The legend over the LED, from the window's left edge, y 8..15.
        const QRect legend = inkBox(picture, QRect(socket.left(), 7, 24, 10), Black);
        const int width = k % 2 == 1 ? oddLabelWidth : 25 - oddLabelWidth;
        QCOMPARE(legend, QRect(window.left(), 8, width, 8));
    }
}

void TestAssets::smallSwitchIsTheDiagramSwitch()
{
    const QImage small = load(QStringLiteral("switch_small.png"));
    const QImage diagram = load(QStringLiteral("diagram.png"));
    QCOMPARE(notOfColour(small, QRect(0, 0, 1, 20), QRect(), LightGrey), QStringList());
    QVERIFY(small.copy(1, 0, 140, 20) == diagram.copy(180, 88, 140, 20));
    for (int x : {13, 24, 45, 56, 79, 90, 111, 122})
        verifyLedSquare(small, x, 6, Orange);
    for (QPoint corner : {QPoint(1, 0), QPoint(140, 0), QPoint(1, 19), QPoint(140, 19)})
        QCOMPARE(rgba(small.pixel(corner)), rgba(LightGrey));
}

void TestAssets::icons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRgb>("background");
    QTest::addColumn<int>("screenChannel"); // 2: blue screen, 1: green screen

    QTest::newRow("station") << QStringLiteral("station.png") << LightGrey << 2;
    QTest::newRow("server") << QStringLiteral("server.png") << LightGrey << 1;
}

void TestAssets::icons()
{
    QFETCH(QString, name);
    QFETCH(QRgb, background);
    QFETCH(int, screenChannel);
    const QImage icon = load(name);
    const int w = icon.width() - 1;
    const int h = icon.height() - 1;
    for (QPoint corner : {QPoint(0, 0), QPoint(w, 0), QPoint(0, h), QPoint(w, h)})
        QCOMPARE(rgba(icon.pixel(corner)), rgba(background));
    // A screen: a block of saturated blue or green pixels.
    int screen = 0;
    for (int y = 0; y <= h; ++y) {
        for (int x = 0; x <= w; ++x) {
            const QRgb c = icon.pixel(x, y);
            const int channels[3] = {qRed(c), qGreen(c), qBlue(c)};
            if (channels[screenChannel] >= 160 && channels[(screenChannel + 1) % 3] < 64 &&
                channels[(screenChannel + 2) % 3] < 64)
                ++screen;
        }
    }
    QVERIFY2(screen >= 80, qPrintable(QString::number(screen)));
}

void TestAssets::ticks()
{
    const QImage tick = load(QStringLiteral("tick.png"));
    const QImage greyed = load(QStringLiteral("tick_disabled.png"));
    int green = 0;
    for (int y = 0; y < 18; ++y) {
        for (int x = 0; x < 18; ++x) {
            const QRgb c = tick.pixel(x, y);
            const QRgb g = greyed.pixel(x, y);
            QVERIFY(qAlpha(c) == 0 || qAlpha(c) == 255);
            if (qAlpha(c) == 255) {
                QVERIFY(qGreen(c) > qRed(c) && qGreen(c) > qBlue(c));
                ++green;
            }
            QVERIFY(qAlpha(g) == 0 || (qRed(g) == qGreen(g) && qGreen(g) == qBlue(g)));
        }
    }
    QVERIFY(green >= 30);
    for (QPoint corner : {QPoint(0, 0), QPoint(17, 0), QPoint(0, 17), QPoint(17, 17)}) {
        QCOMPARE(qAlpha(tick.pixel(corner)), 0);
        QCOMPARE(qAlpha(greyed.pixel(corner)), 0);
    }
}

void TestAssets::programPicture()
{
    const QImage picture = load(QStringLiteral("program.png"));
    const QRgb pinkRed = qRgb(255, 51, 102);
    const QRgb arrowBlue = qRgb(51, 51, 255);
    QCOMPARE(rgba(picture.pixel(0, 0)), rgba(White));
    QCOMPARE(rgba(picture.pixel(73, 61)), rgba(White));
    const QRect ellipse = inkBox(picture, picture.rect(), pinkRed);
    const QRect arrows = inkBox(picture, picture.rect(), arrowBlue);
    QVERIFY(ellipse.width() > ellipse.height());
    // The arrows come in from both sides and their heads stand above and below the ellipse.
    QCOMPARE(arrows.left(), 0);
    QCOMPARE(arrows.right(), 73);
    QVERIFY(arrows.top() < ellipse.top());
    QVERIFY(arrows.bottom() > ellipse.bottom());

    const QImage icon = load(QStringLiteral("kw_switch.png"));
    QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
    QVERIFY(!inkBox(icon, icon.rect(), pinkRed).isEmpty());
    QVERIFY(!inkBox(icon, icon.rect(), arrowBlue).isEmpty());
}

void TestAssets::runsGiveThePictureBack_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("diagram") << QStringLiteral("diagram");
    QTest::newRow("diagram, twin") << QStringLiteral("diagram@2x");
    QTest::newRow("program icon") << QStringLiteral("kw_switch");
    QTest::newRow("program icon, twin") << QStringLiteral("kw_switch@2x");
    QTest::newRow("tick") << QStringLiteral("tick");
    QTest::newRow("tick, twin") << QStringLiteral("tick@2x");
    QTest::newRow("greyed tick") << QStringLiteral("tick_disabled");
    QTest::newRow("greyed tick, twin") << QStringLiteral("tick_disabled@2x");
}

void TestAssets::runsGiveThePictureBack()
{
    QFETCH(QString, name);
    const QString file = QStringLiteral(":/%1.png").arg(name);
    const QImage png = QImage(file).convertToFormat(QImage::Format_ARGB32);
    const QResource runs(QStringLiteral(":/runs/%1.runs").arg(name));
    QVERIFY(runs.isValid());
    QCOMPARE(runs.compressionAlgorithm(), QResource::NoCompression);
    const std::span<const std::uint8_t> data(runs.data(), std::size_t(runs.size()));
    const auto size = kw::ui::ReadRunsSize(data);
    QVERIFY(size);
    QCOMPARE(QSize(size->width, size->height), png.size());
    std::vector<std::uint32_t> pixels(std::size_t(png.width()) * std::size_t(png.height()));
    QVERIFY(kw::ui::DecodeRuns(data, pixels));
    const QImage decoded(reinterpret_cast<const uchar*>(pixels.data()), png.width(), png.height(),
                         QImage::Format_ARGB32);
    QVERIFY(decoded == png);
    // What the windows get: the picture as its PNG file gives it, format too.
    QVERIFY(kw::ui::readImage(file) == QImage(file));
    // What the diagram's widget starts from.
    if (name == QStringLiteral("diagram")) {
        const kw::ui::ImageView view(nullptr, QRect(QPoint(), png.size()), file);
        QVERIFY(view.canvas() == png.convertToFormat(QImage::Format_RGB32));
    }
}

void TestAssets::damagedRunsAreRefused_data()
{
    // A picture of 2 x 2: one run of 3 pixels, one of 1.
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("sound");
    const QByteArray header = QByteArray("KWRUNS1\n") + QByteArray("\x02\0\0\0\x02\0\0\0", 8);
    const QByteArray run3("\x03\0\x11\x22\x33\xff", 6);
    const QByteArray run1("\x01\0\x44\x55\x66\xff", 6);
    QTest::newRow("sound") << header + run3 + run1 << true;
    QTest::newRow("a pixel short") << header + run3 << false;
    QTest::newRow("a pixel too many") << header + run3 + run1 + run1 << false;
    QTest::newRow("a run past the end")
        << header + run3 + QByteArray("\x02\0\0\0\0\xff", 6) << false;
    QTest::newRow("an empty run") << header + QByteArray("\0\0\0\0\0\xff", 6) + run3 + run1
                                  << false;
    QTest::newRow("cut in a run") << header + run3 + run1.left(4) << false;
    QTest::newRow("no width") << QByteArray("KWRUNS1\n") + QByteArray(8, '\0') << false;
    QTest::newRow("other data") << QByteArray("\x89PNG\r\n\x1a\n") + QByteArray(32, '\0') << false;
}

void TestAssets::damagedRunsAreRefused()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, sound);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(data.data()),
                                              std::size_t(data.size()));
    std::vector<std::uint32_t> pixels(4, 0);
    const bool decoded = kw::ui::ReadRunsSize(bytes) && kw::ui::DecodeRuns(bytes, pixels);
    QCOMPARE(decoded, sound);
    if (sound)
        QCOMPARE(pixels,
                 (std::vector<std::uint32_t>{0xff332211, 0xff332211, 0xff332211, 0xff665544}));
}

KW_TEST_MAIN(TestAssets)

#include "tst_assets.moc"
