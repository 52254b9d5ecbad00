// What the program decides about the desktop before and at its start: the Qt platform it asks
// for, and where the two reference windows go when no window manager can minimise them.

#include "student.h"

#include "app/desktop.h"
#include "app/platform.h"

class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    void platformChoice_data();
    void platformChoice();
    void referenceWindowsBesideMainWindow_data();
    void referenceWindowsBesideMainWindow();
};

void TestPlatform::platformChoice_data()
{
    QTest::addColumn<QByteArray>("qpaPlatform");
    QTest::addColumn<QByteArray>("waylandDisplay");
    QTest::addColumn<QByteArray>("sessionType");
    QTest::addColumn<QByteArray>("x11Display");
    QTest::addColumn<QByteArray>("chosen");

    QTest::newRow("X11 session") << QByteArray() << QByteArray() << QByteArray("x11")
                                 << QByteArray(":0") << QByteArray();
    QTest::newRow("Wayland with XWayland")
        << QByteArray() << QByteArray("wayland-0") << QByteArray("wayland") << QByteArray(":0")
        << QByteArray("xcb;wayland");
    QTest::newRow("Wayland told by the session type only")
        << QByteArray() << QByteArray() << QByteArray("Wayland") << QByteArray(":1")
        << QByteArray("xcb;wayland");
    QTest::newRow("Wayland without XWayland")
        << QByteArray() << QByteArray("wayland-0") << QByteArray("wayland") << QByteArray()
        << QByteArray();
    QTest::newRow("the user's choice wins")
        << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray("wayland")
        << QByteArray(":0") << QByteArray();
    QTest::newRow("no display at all")
        << QByteArray() << QByteArray() << QByteArray("tty") << QByteArray() << QByteArray();
}

void TestPlatform::platformChoice()
{
    QFETCH(QByteArray, qpaPlatform);
    QFETCH(QByteArray, waylandDisplay);
    QFETCH(QByteArray, sessionType);
    QFETCH(QByteArray, x11Display);
    QFETCH(QByteArray, chosen);
    QCOMPARE(kw::ui::preferredPlatform({qpaPlatform, waylandDisplay, sessionType, x11Display}),
             chosen);
}

void TestPlatform::referenceWindowsBesideMainWindow_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("mainWindow");
    QTest::addColumn<QPoint>("progress");
    QTest::addColumn<QPoint>("addresses");

    // The main window centred: room on both sides.
    QTest::newRow("1280 x 1024") << QRect(0, 0, 1280, 1024) << QRect(320, 278, 640, 468)
                                 << QPoint(968, 278) << QPoint(121, 278);
    QTest::newRow("1024 x 768, just room") << QRect(0, 0, 1024, 768) << QRect(192, 150, 640, 468)
                                           << QPoint(840, 150) << QPoint(0, 150);
    // No room: each window kept whole on the screen, over the main window's edge.
    QTest::newRow("800 x 600") << QRect(0, 0, 800, 600) << QRect(80, 66, 640, 468)
                               << QPoint(619, 66) << QPoint(0, 66);
    QTest::newRow("main window low on a second screen")
        << QRect(1280, 0, 1024, 768) << QRect(1300, 600, 640, 468) << QPoint(1948, 550)
        << QPoint(1280, 550);
}

void TestPlatform::referenceWindowsBesideMainWindow()
{
    QFETCH(QRect, screen);
    QFETCH(QRect, mainWindow);
    QFETCH(QPoint, progress);
    QFETCH(QPoint, addresses);
    const kw::ui::ReferencePlaces places =
        kw::ui::placeBesideMainWindow(screen, mainWindow, QSize(181, 218), QSize(191, 218));
    QCOMPARE(places.progress, progress);
    QCOMPARE(places.addresses, addresses);
}

KW_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"
