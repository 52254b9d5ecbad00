// The sending station: its dialog, the emission of the frame and its later views.

#include "student.h"

#include "app/windows.h"
#include "diagram.h"
#include "flow.h"
#include "global.h"
#include "kit/widgets.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "stations/u_dest.h"
#include "stations/u_source.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

using kw::test::macOf;
using kw::test::Program;
using kw::test::stationPoint;
using kw::ui::windows;

namespace {

const QByteArray imposedIni = "[parametres]\r\nquestions=.\r\n";

QString fromUtf8(const char* text)
{
    return QString::fromUtf8(text);
}

Tf_source* sourceDialog(QDialog* dialog)
{
    auto* source = qobject_cast<Tf_source*>(dialog);
    if (!source)
        qWarning("expected the sending dialog, got %s", dialog->metaObject()->className());
    return source;
}

void doubleClickCell(QTableWidget* grid, int column, int row)
{
    const QRect rect = grid->visualItemRect(grid->item(row, column));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
}

void clickCell(QTableWidget* grid, int column, int row)
{
    const QRect rect = grid->visualItemRect(grid->item(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
}

// The student's way to fill the frame: pick the cache row, then double-click the frame cell.
void copyInto(Tf_source* dialog, int frameColumn, int cacheRow)
{
    clickCell(dialog->table_MAC, 0, cacheRow);
    doubleClickCell(dialog->trame, frameColumn, 0);
}

bool lineHasColour(const Program& program, int cable, kw::CableLine line, QRgb colour)
{
    for (const kw::Pixel& p : kw::CableLinePixels(cable, line))
        if (program.diagramPixel(p.x, p.y) != colour)
            return false;
    return true;
}

QByteArray exercise(const QByteArray& line)
{
    return line + "\r\nFIN\r\n";
}

} // namespace

class TestSource : public QObject {
    Q_OBJECT

private slots:
    void dialogLayout();
    void otherStationBeforeEmissionIsRefused_data();
    void otherStationBeforeEmissionIsRefused();
    void emission_data();
    void emission();
    void stationIconsFollowTheClickedStation_data();
    void stationIconsFollowTheClickedStation();
    void refusedFrameKeepsTheCells_data();
    void refusedFrameKeepsTheCells();
    void sameAddressTextOfTwoStationsPasses();
    void headerRowNeverTakesTheSelection();
    void doubleClickOnTheCacheCopiesIntoTheSelectedFrameCell();
    void layerColumnsRefuseAnAddress_data();
    void layerColumnsRefuseAnAddress();
    void closingWithoutSuccessEmptiesTheCellsNextTime();
    void enterCopiesOnAGridAndPressesTermineElsewhere();
    void heldEnterIsOneAct_data();
    void heldEnterIsOneAct();
    void reviewAfterEmission_data();
    void reviewAfterEmission();
    void newExerciseClosesTheDialog();
    void cleanup();
};

void TestSource::dialogLayout()
{
    Program program(imposedIni, exercise("1 5").constData());
    Tf_source* d = windows().f_source;
    QVERIFY(!d->isVisible());
    QCOMPARE(d->windowTitle(), fromUtf8("Noeud émetteur"));
    QCOMPARE(d->size(), QSize(406, 340));
    QCOMPARE(d->minimumSize(), d->maximumSize());
    const Qt::WindowFlags flags = d->windowFlags();
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));

    QCOMPARE(d->Panel->geometry(), QRect(0, 0, 409, 345));
    QCOMPARE(d->Panel->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(d->station_image->geometry(), QRect(72, 32, 33, 33));
    QCOMPARE(d->serveur_image->geometry(), QRect(72, 24, 41, 40));
    QCOMPARE(d->edit1->geometry(), QRect(64, 72, 73, 21));
    QVERIFY(d->edit1->font().bold());
    QVERIFY(d->edit1->isReadOnly());
    QVERIFY(!d->edit1->isEnabled());
    QVERIFY(!d->edit1->hasFrame());
    QCOMPARE(d->BitBtn1->geometry(), QRect(32, 136, 121, 33));
    QCOMPARE(d->BitBtn1->text(), fromUtf8("Terminé"));
    QVERIFY(d->BitBtn1->isDefault());
    QCOMPARE(d->Label2->pos(), QPoint(216, 5));
    QCOMPARE(d->Label2->text(), QStringLiteral("Adresses connues ( en cache )"));
    QCOMPARE(d->Label1->pos(), QPoint(16, 288));
    QCOMPARE(d->Label1->text(), fromUtf8("Trame à émettre.          Compléter  avec les adresses"));
    QVERIFY(d->Label1->font().bold());

    const QString hint = QStringLiteral("Double click -> Copie l'adresse dans la trame");
    QCOMPARE(d->serveur_image->toolTip(), hint);
    QCOMPARE(d->table_MAC->toolTip(), hint);
    QCOMPARE(d->trame->toolTip(), hint);

    QTableWidget* cache = d->table_MAC;
    QCOMPARE(cache->geometry(), QRect(194, 25, 199, 224));
    QCOMPARE(cache->columnCount(), 2);
    QCOMPARE(cache->rowCount(), 10);
    QCOMPARE(kw::test::cellSize(cache, 0, 0), QSize(93, 20));
    QCOMPARE(kw::test::cellSize(cache, 1, 0), QSize(98, 20));
    QCOMPARE(cache->selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(!(cache->item(0, 0)->flags() & Qt::ItemIsSelectable));
    QCOMPARE(kw::ui::cell(cache, 1, 0), QStringLiteral("adresses MAC"));
    QCOMPARE(kw::ui::cell(cache, 0, 1), QStringLiteral("Machine 1"));
    QCOMPARE(kw::ui::cell(cache, 1, 1), QStringLiteral("00-C0-B0-69-16-25"));
    QCOMPARE(kw::ui::cell(cache, 0, 8), QStringLiteral("ServeurB"));
    QCOMPARE(kw::ui::cell(cache, 1, 8), QStringLiteral("00-35-8A-96-01-43"));
    QCOMPARE(kw::ui::cell(cache, 0, 9), QStringLiteral("Broadcast"));
    QCOMPARE(kw::ui::cell(cache, 1, 9), QStringLiteral("FF-FF-FF-FF-FF-FF"));

    QTableWidget* frame = d->trame;
    QCOMPARE(frame->geometry(), QRect(10, 312, 385, 25));
    QCOMPARE(frame->columnCount(), 5);
    QCOMPARE(frame->rowCount(), 1);
    QCOMPARE(frame->selectionBehavior(), QAbstractItemView::SelectItems);
    QCOMPARE(frame->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(kw::ui::cell(frame, 2, 0), QString());
    QCOMPARE(kw::ui::cell(frame, 3, 0), fromUtf8("Couches supérieures"));
    QCOMPARE(kw::ui::cell(frame, 4, 0), QStringLiteral("FCS"));

    // Frame column 0 and Machine 1's row are selected to begin with.
    QCOMPARE(d->selectedFrameColumn(), 0);
    QCOMPARE(d->selectedCacheRow(), 1);
    QCOMPARE(cache->currentRow(), 1);
    QCOMPARE(frame->currentColumn(), 0);
}

void TestSource::otherStationBeforeEmissionIsRefused_data()
{
    QTest::addColumn<QByteArray>("exercise");
    QTest::addColumn<int>("clicked");
    QTest::addColumn<int>("flowBefore");
    QTest::newRow("Machine 2 when Machine 5 sends") << exercise("5 2") << 2 << 10;
    QTest::newRow("ServeurA when Machine 1 sends") << exercise("1 9") << 7 << 10;
    QTest::newRow("Machine 6 when ServeurB sends, state 0") << exercise("8 6") << 6 << 0;
}

void TestSource::otherStationBeforeEmissionIsRefused()
{
    QFETCH(QByteArray, exercise);
    QFETCH(int, clicked);
    QFETCH(int, flowBefore);
    Program program(imposedIni, exercise.constData());
    kw::test::state().FlowState = static_cast<std::uint8_t>(flowBefore);
    program.clickStation(clicked);
    QCOMPARE(program.student.boxTexts(), QStringList{fromUtf8("Ce n'est pas le noeud émetteur")});
    QCOMPARE(program.student.boxes[0].kind, kw::seam::BoxKind::Warning);
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(1));
    QCOMPARE(kw::test::state().FlowState, kw::flow::ExerciseReady);
    QVERIFY(program.student.dialogsOpened.isEmpty());
    QVERIFY(!windows().f_source->isVisible());
    QVERIFY(!windows().f_destination->isVisible());
    QVERIFY(!windows().f_avance->_emetteur->isChecked());
}

void TestSource::emission_data()
{
    QTest::addColumn<QByteArray>("exercise");
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("destination");
    QTest::addColumn<int>("cable");
    QTest::addColumn<int>("flowAfter");
    QTest::newRow("Machine 3 to Machine 5") << exercise("3 5") << 3 << 5 << 3 << 20;
    QTest::newRow("ServeurB to Machine 1") << exercise("8 1") << 8 << 1 << 10 << 35;
    QTest::newRow("Machine 1 to Broadcast") << exercise("1 9") << 1 << 9 << 1 << 20;
    QTest::newRow("ServeurA to Broadcast") << exercise("7 9") << 7 << 9 << 9 << 35;
    QTest::newRow("Machine 6 to ServeurA") << exercise("6 7") << 6 << 7 << 6 << 20;
}

void TestSource::emission()
{
    QFETCH(QByteArray, exercise);
    QFETCH(int, source);
    QFETCH(int, destination);
    QFETCH(int, cable);
    QFETCH(int, flowAfter);
    Program program(imposedIni, exercise.constData());
    TPrincipale* principale = windows().Principale;
    principale->move(37, 55);
    const QPoint anchor = principale->pos();
    QVERIFY(lineHasColour(program, cable, kw::CableLine::First, qRgb(0, 0, 0)));

    bool played = false;
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_source* d = sourceDialog(dialog);
        QVERIFY(d);
        played = true;
        QVERIFY(d->isVisible());
        QCOMPARE(d->pos(), anchor + QPoint(100, 100));
        QVERIFY(d->Panel->isEnabled());
        QVERIFY(d->BitBtn1->isVisible());
        QVERIFY(d->Label1->isVisible());
        QCOMPARE(d->edit1->text(),
                 QString::fromStdString(kw::test::state().StationTable[source].name));
        QCOMPARE(kw::ui::cell(d->trame, 0, 0), QString());
        QCOMPARE(kw::ui::cell(d->trame, 1, 0), QString());
        // Destination first (frame column 0 is selected), then the source.
        doubleClickCell(d->table_MAC, 0, destination);
        QCOMPARE(kw::ui::cell(d->trame, 0, 0), macOf(destination));
        doubleClickCell(d->trame, 1, 0);
        QCOMPARE(d->selectedFrameColumn(), 1);
        doubleClickCell(d->table_MAC, 1, source);
        QCOMPARE(kw::ui::cell(d->trame, 1, 0), macOf(source));
        QCOMPARE(d->table_MAC->currentRow(), source);
        QVERIFY(program.student.boxes.empty());
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
        QVERIFY(!d->isVisible());
        QCOMPARE(d->result(), int(QDialog::Accepted));
    });
    program.clickStation(source);
    QVERIFY(played);
    QVERIFY(program.student.boxes.empty());
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(0));
    QCOMPARE(int(kw::test::state().FlowState), flowAfter);
    QVERIFY(principale->trame_gauche->isVisible());
    QCOMPARE(kw::ui::cell(principale->trame_gauche, 0, 0), macOf(destination));
    QCOMPARE(kw::ui::cell(principale->trame_gauche, 1, 0), macOf(source));
    if (destination == kw::BroadcastIndex)
        QCOMPARE(kw::ui::cell(principale->trame_gauche, 0, 0), QStringLiteral("FF-FF-FF-FF-FF-FF"));
    QVERIFY(windows().f_avance->_emetteur->isChecked());
    QVERIFY(lineHasColour(program, cable, kw::CableLine::First, qRgb(255, 255, 255)));
    QVERIFY(lineHasColour(program, cable, kw::CableLine::Second, qRgb(0, 0, 0)));
    for (int other = 1; other <= kw::CableCount; ++other)
        if (other != cable)
            QVERIFY(lineHasColour(program, other, kw::CableLine::First, qRgb(0, 0, 0)));
}

void TestSource::stationIconsFollowTheClickedStation_data()
{
    QTest::addColumn<int>("clicked");
    QTest::addColumn<bool>("server");
    QTest::newRow("Machine 1") << 1 << false;
    QTest::newRow("Machine 6") << 6 << false;
    QTest::newRow("ServeurA") << 7 << true;
    QTest::newRow("ServeurB") << 8 << true;
}

void TestSource::stationIconsFollowTheClickedStation()
{
    QFETCH(int, clicked);
    QFETCH(bool, server);
    // Clicked as the sender, the station's own icon shows; a refused click switches them too.
    for (int source : {clicked, clicked == 1 ? 2 : 1}) {
        Program program(imposedIni, (QByteArray::number(source) + " 9\r\nFIN\r\n").constData());
        program.clickStation(clicked);
        Tf_source* s = windows().f_source;
        Tf_destination* r = windows().f_destination;
        QCOMPARE(s->station_image->isVisibleTo(s), !server);
        QCOMPARE(s->serveur_image->isVisibleTo(s), server);
        QCOMPARE(r->station_image->isVisibleTo(r), !server);
        QCOMPARE(r->serveur_image->isVisibleTo(r), server);
    }
}

void TestSource::refusedFrameKeepsTheCells_data()
{
    QTest::addColumn<int>("destinationRow");
    QTest::addColumn<int>("sourceRow");
    // Exercise Machine 2 to Machine 4.
    QTest::newRow("addresses swapped") << 2 << 4;
    QTest::newRow("right destination, wrong source") << 4 << 3;
    QTest::newRow("wrong destination, right source") << 9 << 2;
    QTest::newRow("both wrong") << 1 << 1;
}

void TestSource::refusedFrameKeepsTheCells()
{
    QFETCH(int, destinationRow);
    QFETCH(int, sourceRow);
    Program program(imposedIni, exercise("2 4").constData());
    QString afterBox[2];
    program.student.onBox = [&](const kw::seam::BoxRecord&) {
        afterBox[0] = kw::ui::cell(windows().f_source->trame, 0, 0);
        afterBox[1] = kw::ui::cell(windows().f_source->trame, 1, 0);
    };
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_source* d = sourceDialog(dialog);
        QVERIFY(d);
        copyInto(d, 0, destinationRow);
        copyInto(d, 1, sourceRow);
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
        QVERIFY(d->isVisible());
        QCOMPARE(kw::ui::cell(d->trame, 0, 0), macOf(destinationRow));
        QCOMPARE(kw::ui::cell(d->trame, 1, 0), macOf(sourceRow));
        QVERIFY(d->Panel->isEnabled());
        // The student puts it right and tries again.
        copyInto(d, 0, 4);
        copyInto(d, 1, 2);
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
        QVERIFY(!d->isVisible());
    });
    program.clickStation(2);
    QCOMPARE(program.student.boxTexts(),
             QStringList{QStringLiteral("Une adresse MAC est incorrecte")});
    QCOMPARE(afterBox[0], macOf(destinationRow));
    QCOMPARE(afterBox[1], macOf(sourceRow));
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(1));
    QCOMPARE(kw::test::state().FlowState, kw::flow::MachineEmitted);
}

void TestSource::sameAddressTextOfTwoStationsPasses()
{
    // Machine 2 carries Machine 1's address: copying either row is the same text.
    Program program("[adresses MAC]\r\nMachine1=00-11-22-33-44-55\r\nMachine2=00-11-22-33-44-55\r\n"
                    "[parametres]\r\nquestions=.\r\n",
                    exercise("3 2").constData());
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_source* d = sourceDialog(dialog);
        QVERIFY(d);
        copyInto(d, 0, 1);
        copyInto(d, 1, 3);
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
    });
    program.clickStation(3);
    QVERIFY(program.student.boxes.empty());
    QCOMPARE(kw::test::state().FlowState, kw::flow::MachineEmitted);
    QCOMPARE(kw::ui::cell(windows().Principale->trame_gauche, 0, 0),
             QStringLiteral("00-11-22-33-44-55"));
}

void TestSource::headerRowNeverTakesTheSelection()
{
    Program program(imposedIni, exercise("1 5").constData());
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_source* d = sourceDialog(dialog);
        QVERIFY(d);
        clickCell(d->table_MAC, 1, 4);
        QCOMPARE(d->selectedCacheRow(), 4);
        // A plain click on the header row does not take the selection either.
        clickCell(d->table_MAC, 1, 0);
        QCOMPARE(d->selectedCacheRow(), 4);
        doubleClickCell(d->table_MAC, 1, 0);
        QCOMPARE(d->selectedCacheRow(), 4);
        QCOMPARE(d->table_MAC->currentRow(), 4);
        QVERIFY(d->table_MAC->item(4, 1)->isSelected());
        QCOMPARE(kw::ui::cell(d->trame, 0, 0), macOf(4));
        QCOMPARE(kw::ui::cell(d->trame, 1, 0), QString());
        // Nor do the keys; Enter then copies the row that stayed selected.
        clickCell(d->table_MAC, 1, 1);
        for (Qt::Key key : {Qt::Key_Up, Qt::Key_PageUp, Qt::Key_Home})
            QTest::keyClick(d->table_MAC, key, Qt::ControlModifier);
        QTest::keyClick(d->table_MAC, Qt::Key_Up);
        QCOMPARE(d->table_MAC->currentRow(), 1);
        clickCell(d->trame, 1, 0);
        QTest::keyClick(d->table_MAC, Qt::Key_Return);
        QCOMPARE(kw::ui::cell(d->trame, 1, 0), macOf(1));
    });
    program.clickStation(1);
    QVERIFY(program.student.boxes.empty());
    QCOMPARE(kw::test::state().FlowState, kw::flow::ExerciseReady);
}

void TestSource::doubleClickOnTheCacheCopiesIntoTheSelectedFrameCell()
{
    // The other order: the frame cell first, then a double-click on the cache row.
    Program program(imposedIni, exercise("4 8").constData());
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_source* d = sourceDialog(dialog);
        QVERIFY(d);
        clickCell(d->trame, 1, 0);
        QCOMPARE(d->selectedFrameColumn(), 1);
        doubleClickCell(d->table_MAC, 0, 4);
        clickCell(d->trame, 0, 0);
        doubleClickCell(d->table_MAC, 1, 8);
        QCOMPARE(kw::ui::cell(d->trame, 0, 0), macOf(8));
        QCOMPARE(kw::ui::cell(d->trame, 1, 0), macOf(4));
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
    });
    program.clickStation(4);
    QVERIFY(program.student.boxes.empty());
    QCOMPARE(kw::test::state().FlowState, kw::flow::MachineEmitted);
}

void TestSource::layerColumnsRefuseAnAddress_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("onFrame"); // double-click on the frame cell, else on the cache
    QTest::newRow("column 2, frame") << 2 << true;
    QTest::newRow("column 3, frame") << 3 << true;
    QTest::newRow("column 4, frame") << 4 << true;
    QTest::newRow("column 3 selected, cache") << 3 << false;
}

void TestSource::layerColumnsRefuseAnAddress()
{
    QFETCH(int, column);
    QFETCH(bool, onFrame);
    Program program(imposedIni, exercise("1 5").constData());
    QStringList frameAfter;
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_source* d = sourceDialog(dialog);
        QVERIFY(d);
        if (onFrame) {
            doubleClickCell(d->trame, column, 0);
        } else {
            clickCell(d->trame, column, 0);
            doubleClickCell(d->table_MAC, 0, 5);
        }
        QCOMPARE(d->selectedFrameColumn(), column);
        for (int c = 0; c < 5; ++c)
            frameAfter << kw::ui::cell(d->trame, c, 0);
        // The same double-click with column 0 selected copies without a word.
        clickCell(d->trame, 0, 0);
        doubleClickCell(d->table_MAC, 0, 5);
        QCOMPARE(kw::ui::cell(d->trame, 0, 0), macOf(5));
    });
    program.clickStation(1);
    QCOMPARE(program.student.boxTexts(),
             QStringList{QStringLiteral("Ce champ ne doit pas contenir d'adresse MAC")});
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(1));
    QCOMPARE(frameAfter, (QStringList{QString(), QString(), QString(),
                                      fromUtf8("Couches supérieures"), QStringLiteral("FCS")}));
}

void TestSource::closingWithoutSuccessEmptiesTheCellsNextTime()
{
    Program program(imposedIni, exercise("3 5").constData());
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_source* d = sourceDialog(dialog);
        QVERIFY(d);
        copyInto(d, 0, 5);
        copyInto(d, 1, 3);
        // Left open: closed like by its close box.
    });
    QStringList cellsOnReopen;
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_source* d = sourceDialog(dialog);
        QVERIFY(d);
        cellsOnReopen << kw::ui::cell(d->trame, 0, 0) << kw::ui::cell(d->trame, 1, 0);
        QVERIFY(d->Panel->isEnabled());
    });
    program.clickStation(3);
    QCOMPARE(kw::test::state().FlowState, kw::flow::ExerciseReady);
    QVERIFY(!windows().Principale->trame_gauche->isVisible());
    QVERIFY(!windows().f_avance->_emetteur->isChecked());
    QVERIFY(lineHasColour(program, 3, kw::CableLine::First, qRgb(0, 0, 0)));
    program.clickStation(3);
    QCOMPARE(program.student.dialogsOpened,
             (QStringList{QStringLiteral("Tf_source"), QStringLiteral("Tf_source")}));
    QCOMPARE(cellsOnReopen, (QStringList{QString(), QString()}));
    QVERIFY(program.student.boxes.empty());
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(0));
}

void TestSource::enterCopiesOnAGridAndPressesTermineElsewhere()
{
    Program program(imposedIni, exercise("5 6").constData());
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_source* d = sourceDialog(dialog);
        QVERIFY(d);
        copyInto(d, 0, 6);
        copyInto(d, 1, 5);
        // The mouse's copies leave the focus on "Terminé", where the dialog opened: Enter
        // presses it, as it always did for the mouse.
        QCOMPARE(d->focusWidget(), static_cast<QWidget*>(d->BitBtn1));
        // On a grid Enter is the copy, again; elsewhere the dialog's default button takes it.
        QTest::keyClick(d->trame, Qt::Key_Return);
        QVERIFY(d->isVisible());
        QCOMPARE(kw::ui::cell(d->trame, 1, 0), macOf(5));
        QTest::keyClick(d, Qt::Key_Return);
        QVERIFY(!d->isVisible());
    });
    program.clickStation(5);
    QCOMPARE(kw::test::state().FlowState, kw::flow::MachineEmitted);
    QVERIFY(windows().f_avance->_emetteur->isChecked());
}

void TestSource::heldEnterIsOneAct_data()
{
    // How a held key reaches the program: presses marked as repeated, or, as X11 repeats it,
    // a release and a press of the same instant that Qt has not marked.
    QTest::addColumn<bool>("marked");
    QTest::newRow("repeats marked") << true;
    QTest::newRow("release and press of one instant") << false;
}

void TestSource::heldEnterIsOneAct()
{
    QFETCH(bool, marked);
    Program program(imposedIni, exercise("1 5").constData());
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_source* d = sourceDialog(dialog);
        QVERIFY(d);
        // Column 3 takes no address: every copy is a counted error.
        clickCell(d->trame, 3, 0);
        QTableWidget* cache = d->table_MAC;
        cache->setFocus();
        const auto send = [cache](QEvent::Type type, bool repeat, quint64 instant) {
            QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QString(), repeat);
            key.setTimestamp(instant);
            QApplication::sendEvent(cache, &key);
        };
        send(QEvent::KeyPress, false, 1000);
        for (quint64 instant = 1660; instant < 3000; instant += 40) {
            send(QEvent::KeyRelease, marked, instant);
            send(QEvent::KeyPress, marked, instant);
        }
        send(QEvent::KeyRelease, false, 3010);
        QCOMPARE(program.student.boxes.size(), std::size_t(1));
        // The next press is an act of its own.
        send(QEvent::KeyPress, false, 4000);
        send(QEvent::KeyRelease, false, 4100);
    });
    program.clickStation(1);
    QCOMPARE(program.student.boxTexts(),
             (QStringList{QStringLiteral("Ce champ ne doit pas contenir d'adresse MAC"),
                          QStringLiteral("Ce champ ne doit pas contenir d'adresse MAC")}));
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(2));
}

void TestSource::reviewAfterEmission_data()
{
    QTest::addColumn<QList<int>>("reviews"); // FlowState of each later click on the source
    QTest::addColumn<bool>("buttonShownAtLast");
    QTest::newRow("at 30") << QList<int>{30} << false;
    QTest::newRow("at 50") << QList<int>{50} << false;
    QTest::newRow("at 30, then 60") << QList<int>{30, 60} << false;
    QTest::newRow("at 60 straight away") << QList<int>{60} << true;
}

void TestSource::reviewAfterEmission()
{
    QFETCH(QList<int>, reviews);
    QFETCH(bool, buttonShownAtLast);
    Program program(imposedIni, exercise("2 6").constData());
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_source* d = sourceDialog(dialog);
        QVERIFY(d);
        copyInto(d, 0, 6);
        copyInto(d, 1, 2);
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
    });
    program.clickStation(2);
    QCOMPARE(kw::test::state().FlowState, kw::flow::MachineEmitted);

    Tf_source* d = windows().f_source;
    for (int flow : reviews) {
        kw::test::state().FlowState = static_cast<std::uint8_t>(flow);
        program.clickStation(2);
        QCOMPARE(int(kw::test::state().FlowState), flow);
    }
    // Shown modeless: no second modal opening, nothing counted.
    QCOMPARE(program.student.dialogsOpened, QStringList{QStringLiteral("Tf_source")});
    QVERIFY(program.student.boxes.empty());
    QVERIFY(d->isVisible());
    QVERIFY(!d->Panel->isEnabled());
    QVERIFY(!d->table_MAC->isEnabled());
    QVERIFY(!d->trame->isEnabled());
    QCOMPARE(d->BitBtn1->isVisibleTo(d), buttonShownAtLast);
    QCOMPARE(d->Label1->isVisibleTo(d), buttonShownAtLast);
    QVERIFY(!d->BitBtn1->isEnabled());
    QCOMPARE(kw::ui::cell(d->trame, 0, 0), macOf(6));
    QCOMPARE(kw::ui::cell(d->trame, 1, 0), macOf(2));
    QCOMPARE(d->edit1->text(), QStringLiteral("Machine 2"));
    // The disabled dialog copies nothing and Enter does not emit again.
    doubleClickCell(d->table_MAC, 1, 9);
    doubleClickCell(d->trame, 0, 0);
    QTest::keyClick(d, Qt::Key_Return);
    QCOMPARE(kw::ui::cell(d->trame, 0, 0), macOf(6));
    QCOMPARE(kw::ui::cell(d->trame, 1, 0), macOf(2));
    QCOMPARE(int(kw::test::state().FlowState), reviews.last());
    QVERIFY(program.student.boxes.empty());
}

void TestSource::newExerciseClosesTheDialog()
{
    Program program(imposedIni, "1 2\r\n3 4\r\nFIN\r\n");
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_source* d = sourceDialog(dialog);
        QVERIFY(d);
        copyInto(d, 0, 2);
        copyInto(d, 1, 1);
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
    });
    program.clickStation(1);
    kw::test::state().FlowState = kw::flow::SenderHubDone;
    program.clickStation(1);
    QVERIFY(windows().f_source->isVisible());
    kw::test::nextExercise();
    QVERIFY(!windows().f_source->isVisible());
    QCOMPARE(kw::test::state().FlowState, kw::flow::ExerciseReady);
    // The next emission starts from empty cells with "Terminé" and the label back.
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_source* d = sourceDialog(dialog);
        QVERIFY(d);
        QVERIFY(d->Panel->isEnabled());
        QVERIFY(d->BitBtn1->isVisible());
        QVERIFY(d->Label1->isVisible());
        QCOMPARE(d->edit1->text(), QStringLiteral("Machine 3"));
        QCOMPARE(kw::ui::cell(d->trame, 0, 0), QString());
        QCOMPARE(kw::ui::cell(d->trame, 1, 0), QString());
    });
    program.clickStation(3);
    QCOMPARE(program.student.dialogsOpened.size(), 2);
}

void TestSource::cleanup()
{
    QVERIFY(kw::seam::script() == nullptr);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget))
            QVERIFY2(!dialog->isVisible(), dialog->metaObject()->className());
    }
}

KW_TEST_MAIN(TestSource)
#include "tst_source.moc"
