// The pictures on a screen of twice the density: each is shown from its @2x bitmap, and every
// cable line and LED square drawn at run time covers whole 2 x 2 blocks, so that it lands
// exactly on the bitmap's features.

#include "student.h"
#include "widget_replay.h"

#include "app/windows.h"
#include "diagram.h"
#include "global.h"
#include "hubs.h"
#include "hubs/hubdialog.h"
#include "hubs/u_hub.h"
#include "hubs/u_hub2.h"
#include "kit/widgets.h"
#include "main/a_propos.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "stations/u_dest.h"
#include "stations/u_source.h"
#include "switch/U_switch.h"
#include "switch/u_switch_gros.h"
#include "switchleds.h"

#include <QLabel>
#include <QPushButton>

#include <functional>

using kw::test::Program;
using kw::ui::ImageView;
using kw::ui::windows;

namespace {

const QByteArray imposedIni = "[parametres]\r\nquestions=.\r\n";
constexpr int Scale = 2;

QByteArray exercise(const char* line)
{
    return QByteArray(line) + "\r\nFIN\r\n";
}

// Pixels only: the device pixel ratio and the format are left out of the comparison.
QImage pixelsOf(const QImage& image)
{
    QImage plain = image.convertToFormat(QImage::Format_ARGB32);
    plain.setDevicePixelRatio(1);
    return plain;
}

QImage twin(const QString& name)
{
    return pixelsOf(QImage(QStringLiteral(":/%1@2x.png").arg(name)));
}

void fillBlock(QImage& image, int x, int y, int width, int height, QRgb colour)
{
    for (int dy = 0; dy < height * Scale; ++dy)
        for (int dx = 0; dx < width * Scale; ++dx)
            image.setPixel(x * Scale + dx, y * Scale + dy, colour);
}

std::vector<kw::Pixel> allCablePixels()
{
    std::vector<kw::Pixel> pixels;
    for (int cable = 1; cable <= kw::CableCount; ++cable)
        for (kw::CableLine line : {kw::CableLine::First, kw::CableLine::Second})
            for (const kw::Pixel& p : kw::CableLinePixels(cable, line))
                pixels.push_back(p);
    return pixels;
}

// The diagram as it must be shown: its @2x bitmap with each cable pixel's block in the colour
// the picture holds for that pixel.
QImage expectedDiagram()
{
    const ImageView* view = windows().Principale->Image1;
    QImage expected = twin(QStringLiteral("diagram"));
    for (const kw::Pixel& p : allCablePixels())
        fillBlock(expected, p.x, p.y, 1, 1, view->canvas().pixel(p.x, p.y));
    return expected;
}

// An LED picture as it must be shown: its @2x bitmap with each LED square's block in the
// colour the picture holds for it.
QImage expectedLedPicture(const ImageView* view, const QString& name)
{
    QImage expected = twin(name);
    for (int k = 1; k <= kw::LedCount; ++k) {
        const kw::LedBox box = kw::LedRect(k);
        fillBlock(expected, box.left, box.top, 12, 12, view->canvas().pixel(box.left, box.top));
    }
    return expected;
}

struct LedPictureCase {
    ImageView* view;
    QString bitmap;
    std::function<void(int x, int y)> click;
};

LedPictureCase ledPicture(int picture)
{
    if (picture == 3) {
        Tf_switch_gros* d = windows().f_switch_gros;
        return {d->Image1, QStringLiteral("switch_leds"),
                [d](int x, int y) { d->Image1MouseDown(Qt::LeftButton, {}, x, y); }};
    }
    HubDialog* d = picture == 1 ? static_cast<HubDialog*>(windows().f_hub1)
                                : static_cast<HubDialog*>(windows().f_hub2);
    return {d->Image1, QStringLiteral("hub_leds"),
            [d](int x, int y) { d->Image1MouseDown(Qt::LeftButton, {}, x, y); }};
}

// A tick glyph as the button's icon draws it on a screen of the given density.
QImage glyph(const QPushButton* button, QIcon::Mode mode, qreal ratio)
{
    return pixelsOf(button->icon().pixmap(QSize(18, 18), ratio, mode).toImage());
}

} // namespace

class TestHiDpi : public QObject {
    Q_OBJECT

private slots:
    void picturesKeepTheirCanvasAtDoubleDensity();
    void picturesStartAsTheirTwins();
    void cableLinesCoverWholeBlocks_data();
    void cableLinesCoverWholeBlocks();
    void ledSquaresCoverWholeBlocks_data();
    void ledSquaresCoverWholeBlocks();
    void wholeExercisesShownSharp_data();
    void wholeExercisesShownSharp();
    void picturesPaintOneToOne();
    void glyphsAndIconsUseTheirTwins();
    void canvasChangedDirectlyIsShownEnlarged();
    void cleanup();
};

void TestHiDpi::picturesKeepTheirCanvasAtDoubleDensity()
{
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
    Program program(imposedIni, exercise("1 5").constData());
    QVERIFY(program.started());
    for (const ImageView* view : std::initializer_list<const ImageView*>{
             windows().Principale->Image1, windows().f_hub1->Image1, windows().f_hub2->Image1,
             windows().f_switch_gros->Image1, windows().f_switch->image_switch}) {
        QCOMPARE(view->scale(), Scale);
        // The picture itself stays in picture pixels; the canvas shown has twice as many.
        QCOMPARE(view->screenCanvas().size(), view->canvas().size() * Scale);
        QCOMPARE(view->screenCanvas().devicePixelRatio(), qreal(Scale));
        QCOMPARE(view->canvas().devicePixelRatio(), 1.0);
    }
    QCOMPARE(windows().Principale->Image1->canvas().size(), QSize(485, 234));
}

void TestHiDpi::picturesStartAsTheirTwins()
{
    Program program(imposedIni, exercise("1 5").constData());
    QCOMPARE(pixelsOf(windows().f_switch->image_switch->screenCanvas()),
             twin(QStringLiteral("switch_small")));
    QCOMPARE(pixelsOf(windows().f_hub1->Image1->screenCanvas()), twin(QStringLiteral("hub_leds")));
    QCOMPARE(pixelsOf(windows().f_hub2->Image1->screenCanvas()), twin(QStringLiteral("hub_leds")));
    QCOMPARE(pixelsOf(windows().f_switch_gros->Image1->screenCanvas()),
             twin(QStringLiteral("switch_leds")));
    // The idle cables are black over the whole of their blocks, the rest is the bitmap.
    for (const kw::Pixel& p : allCablePixels())
        QCOMPARE(windows().Principale->Image1->canvas().pixel(p.x, p.y), qRgb(0, 0, 0));
    QCOMPARE(pixelsOf(windows().Principale->Image1->screenCanvas()), expectedDiagram());
}

void TestHiDpi::cableLinesCoverWholeBlocks_data()
{
    QTest::addColumn<int>("cable");
    QTest::addColumn<bool>("second");
    QTest::addColumn<QColor>("colour");
    for (int cable = 1; cable <= kw::CableCount; ++cable) {
        // The colours the steps draw: white or red on the first line, yellow on the second.
        const QColor first = cable % 2 ? QColor(255, 255, 255) : QColor(255, 0, 0);
        QTest::addRow("cable %d, first line", cable) << cable << false << first;
        QTest::addRow("cable %d, second line", cable) << cable << true << QColor(255, 255, 0);
    }
}

void TestHiDpi::cableLinesCoverWholeBlocks()
{
    QFETCH(int, cable);
    QFETCH(bool, second);
    QFETCH(QColor, colour);
    Program program(imposedIni, exercise("1 5").constData());
    const kw::CableLine line = second ? kw::CableLine::Second : kw::CableLine::First;
    windows().Principale->DrawCableLine(cable, line, colour);

    const ImageView* view = windows().Principale->Image1;
    const QImage& shown = view->screenCanvas();
    for (const kw::Pixel& p : kw::CableLinePixels(cable, line)) {
        QCOMPARE(view->canvas().pixel(p.x, p.y), colour.rgb());
        QCOMPARE(view->pixelAt(p.x, p.y), colour.rgb());
        for (int dy = 0; dy < Scale; ++dy)
            for (int dx = 0; dx < Scale; ++dx)
                QCOMPARE(shown.pixel(p.x * Scale + dx, p.y * Scale + dy), colour.rgb());
    }
    // Nothing else changed: the other lines stay black, the bitmap is untouched.
    QCOMPARE(pixelsOf(shown), expectedDiagram());

    for (int c = 1; c <= kw::CableCount; ++c)
        for (kw::CableLine l : {kw::CableLine::First, kw::CableLine::Second})
            windows().Principale->DrawCableLine(c, l, Qt::black);
    for (const kw::Pixel& p : kw::CableLinePixels(cable, line))
        QCOMPARE(view->pixelAt(p.x, p.y), qRgb(0, 0, 0));
    QCOMPARE(pixelsOf(view->screenCanvas()), expectedDiagram());
}

void TestHiDpi::ledSquaresCoverWholeBlocks_data()
{
    QTest::addColumn<int>("picture"); // 1, 2: hub; 3: switch
    QTest::addColumn<int>("led");
    QTest::addColumn<QColor>("lit");
    const QColor green(0, 128, 0);
    const QColor red(255, 0, 0);
    for (int k = 1; k <= kw::LedCount; ++k) {
        QTest::addRow("Hub 1, LED %d", k) << 1 << k << (k % 2 ? green : red);
        QTest::addRow("Hub 2, LED %d", k) << 2 << k << (k % 2 ? green : red);
        QTest::addRow("switch, LED %d", k) << 3 << k << (k % 2 ? red : green);
    }
}

void TestHiDpi::ledSquaresCoverWholeBlocks()
{
    QFETCH(int, picture);
    QFETCH(int, led);
    QFETCH(QColor, lit);
    Program program(imposedIni, exercise("1 5").constData());
    kw::test::markOpen(picture == 3   ? kw::Window::SwitchGros
                       : picture == 1 ? kw::Window::Hub1
                                      : kw::Window::Hub2);
    const LedPictureCase c = ledPicture(picture);
    const kw::LedBox box = kw::LedRect(led);
    const QImage before = pixelsOf(c.view->screenCanvas());

    for (const QColor& colour : {lit, QColor(192, 192, 192)}) { // lit, then switched off
        c.click((box.left + box.right) / 2, (box.top + box.bottom) / 2);
        const QImage shown = pixelsOf(c.view->screenCanvas());
        // The 12 x 12 square is a uniform 24 x 24 block...
        for (int y = box.top * Scale; y < (box.bottom + 1) * Scale; ++y)
            for (int x = box.left * Scale; x < (box.right + 1) * Scale; ++x)
                QCOMPARE(shown.pixel(x, y), colour.rgba());
        // ...inside the bitmap's black frame, which stays whole around it.
        for (int i = box.left * Scale - 1; i <= (box.right + 1) * Scale; ++i) {
            QCOMPARE(shown.pixel(i, box.top * Scale - 1), before.pixel(i, box.top * Scale - 1));
            QCOMPARE(shown.pixel(i, (box.bottom + 1) * Scale),
                     before.pixel(i, (box.bottom + 1) * Scale));
        }
        QCOMPARE(qRed(before.pixel(box.left * Scale - 1, box.top * Scale)), 0);
        QCOMPARE(shown, expectedLedPicture(c.view, c.bitmap));
    }
}

void TestHiDpi::wholeExercisesShownSharp_data()
{
    QTest::addColumn<QString>("scenario");
    // A machine's frame flooded through both hubs, a server's, then filtered frames, a known
    // server and Broadcasts.
    for (const char* name : {"road_of_one_frame", "server_flood_hub2_first", "more_paths"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestHiDpi::wholeExercisesShownSharp()
{
    QFETCH(QString, scenario);
    kw::test::ScenarioProgram program(kw::test::scenarioNamed(scenario));
    const kw::test::WidgetReplayResult replay = program.replay();
    QVERIFY2(replay.ok(), qPrintable(replay.failures.join(QLatin1Char('\n'))));

    // The replay has checked every line's colour in picture pixels; the screen shows each
    // of them over whole blocks, on the untouched bitmap.
    QCOMPARE(pixelsOf(windows().Principale->Image1->screenCanvas()), expectedDiagram());
    QList<QRgb> colours;
    for (const kw::Pixel& p : allCablePixels())
        if (!colours.contains(windows().Principale->Image1->pixelAt(p.x, p.y)))
            colours << windows().Principale->Image1->pixelAt(p.x, p.y);
    QVERIFY(colours.size() >= 3); // black and at least white and red or yellow
    for (int picture : {1, 2, 3}) {
        const LedPictureCase c = ledPicture(picture);
        QCOMPARE(pixelsOf(c.view->screenCanvas()), expectedLedPicture(c.view, c.bitmap));
    }
}

void TestHiDpi::picturesPaintOneToOne()
{
    Program program(imposedIni, exercise("1 5").constData());
    windows().Principale->DrawCableLine(1, kw::CableLine::First, Qt::white);
    for (ImageView* view : std::initializer_list<ImageView*>{
             windows().Principale->Image1, windows().f_hub1->Image1,
             windows().f_switch_gros->Image1, windows().f_switch->image_switch}) {
        const QPixmap shot = view->grab();
        QCOMPARE(shot.devicePixelRatio(), qreal(Scale));
        // Pixel for pixel what the canvas holds: nothing scaled, nothing blurred.
        const QImage shown = pixelsOf(view->screenCanvas());
        QCOMPARE(pixelsOf(shot.toImage()).copy(shown.rect()), shown);
    }
}

void TestHiDpi::glyphsAndIconsUseTheirTwins()
{
    Program program(imposedIni, exercise("1 5").constData());
    const QImage tick = twin(QStringLiteral("tick"));
    const QImage tickDisabled = twin(QStringLiteral("tick_disabled"));
    for (const QPushButton* button : std::initializer_list<const QPushButton*>{
             windows().f_source->BitBtn1, windows().f_destination->BitBtn1,
             windows().f_hub1->BitBtn1, windows().f_hub2->BitBtn1, windows().f_switch_gros->BitBtn1,
             windows().f_avance->fin_traitement}) {
        QCOMPARE(glyph(button, QIcon::Normal, 2.0), tick);
        QCOMPARE(glyph(button, QIcon::Disabled, 2.0), tickDisabled);
        // A screen of normal density still gets the 18 x 18 glyph itself.
        QCOMPARE(glyph(button, QIcon::Normal, 1.0), pixelsOf(QImage(QStringLiteral(":/tick.png"))));
        QCOMPARE(glyph(button, QIcon::Disabled, 1.0),
                 pixelsOf(QImage(QStringLiteral(":/tick_disabled.png"))));
    }

    const auto checkLabel = [](const QLabel* label, const QString& bitmap) {
        const QPixmap pixmap = label->pixmap();
        QCOMPARE(pixmap.devicePixelRatio(), 2.0);
        QCOMPARE(pixelsOf(pixmap.toImage()), twin(bitmap));
    };
    checkLabel(windows().f_source->station_image, QStringLiteral("station"));
    checkLabel(windows().f_source->serveur_image, QStringLiteral("server"));
    checkLabel(windows().f_destination->station_image, QStringLiteral("station"));
    checkLabel(windows().f_destination->serveur_image, QStringLiteral("server"));
    checkLabel(windows().apropos->ProgramIcon, QStringLiteral("program"));
}

void TestHiDpi::canvasChangedDirectlyIsShownEnlarged()
{
    Program program(imposedIni, exercise("1 5").constData());
    ImageView* view = windows().f_hub1->Image1;
    // A picture changed behind the view's back is shown as it is, each pixel a block.
    view->canvas().setPixel(0, 0, qRgb(1, 2, 3));
    QCOMPARE(view->pixelAt(0, 0), qRgb(1, 2, 3));
    QCOMPARE(view->screenCanvas().pixel(1, 1), qRgb(1, 2, 3));
    QCOMPARE(view->screenCanvas().size(), view->canvas().size() * Scale);
    // Outside the picture there is no colour.
    QCOMPARE(view->pixelAt(-1, 0), QRgb(0));
    QCOMPARE(view->pixelAt(415, 0), QRgb(0));
}

void TestHiDpi::cleanup()
{
    QVERIFY(!QApplication::activeModalWidget());
}

int main(int argc, char** argv)
{
    // Everything here is seen on a screen of twice the density.
    qputenv("QT_SCALE_FACTOR", "2");
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    TestHiDpi testObject;
    return QTest::qExec(&testObject, argc, argv);
}

#include "tst_hidpi.moc"
