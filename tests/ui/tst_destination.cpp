// The receiving stations: when a station may take the frame, its copy decision, the
// Broadcast count and the hand-over to the progress window.

#include "student.h"

#include "app/windows.h"
#include "flow.h"
#include "global.h"
#include "kit/widgets.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "stations/u_dest.h"
#include "stations/u_source.h"

#include <QCheckBox>
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
const char* const notYet = "Le destinataire doit être traité après TOUS les autres";

QString fromUtf8(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray exercise(const QByteArray& line)
{
    return line + "\r\nFIN\r\n";
}

void setFlow(std::uint8_t flowState)
{
    kw::test::state().FlowState = flowState;
}

Tf_destination* receivingDialog(QDialog* dialog)
{
    auto* receiving = qobject_cast<Tf_destination*>(dialog);
    if (!receiving)
        qWarning("expected the receiving dialog, got %s", dialog->metaObject()->className());
    return receiving;
}

// What the student saw when the receiving dialog opened.
struct Seen {
    bool opened = false;
    bool editable = false;
    bool buttonVisible = false;
    bool copyTicked = false;
    QString name;
    QString destinationCell;
    QString sourceCell;
};

Seen look(Tf_destination* d)
{
    return {true,
            d->Panel->isEnabled(),
            d->BitBtn1->isVisible(),
            d->copier->isChecked(),
            d->edit1->text(),
            kw::ui::cell(d->trame, 0, 0),
            kw::ui::cell(d->trame, 1, 0)};
}

// The student's right answer: tick the box and press "Terminé".
void copyTheFrame(Program& program, Seen* seen = nullptr)
{
    program.student.thenDialog([seen](QDialog* dialog) {
        Tf_destination* d = receivingDialog(dialog);
        QVERIFY(d);
        if (seen)
            *seen = look(d);
        QTest::mouseClick(d->copier, Qt::LeftButton);
        QVERIFY(d->copier->isChecked());
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
        QVERIFY(!d->isVisible());
    });
}

// The student only looks and closes the dialog.
void lookOnly(Program& program, Seen* seen)
{
    program.student.thenDialog([seen](QDialog* dialog) {
        Tf_destination* d = receivingDialog(dialog);
        QVERIFY(d);
        *seen = look(d);
    });
}

} // namespace

class TestDestination : public QObject {
    Q_OBJECT

private slots:
    void dialogLayout();
    void unicastDestinationBeforeTheFrameArrives_data();
    void unicastDestinationBeforeTheFrameArrives();
    void unicastDestinationCopies_data();
    void unicastDestinationCopies();
    void wrongDecisionKeepsTheDialogOpen();
    void closingWithoutTerminePutsTheBoxBack();
    void otherStationOfAUnicastFrameIsRefused_data();
    void otherStationOfAUnicastFrameIsRefused();
    void earlyBroadcastReception_data();
    void earlyBroadcastReception();
    void broadcastFromMachine2();
    void copiedStationIsShownReadOnly_data();
    void copiedStationIsShownReadOnly();
    void viewsAfterTheFrame();
    void viewRunsItsActivationWhenSwitchedBackTo();
    void enterPressesTermine();
    void newExerciseClosesTheDialog();
    void cleanup();
};

void TestDestination::dialogLayout()
{
    Program program(imposedIni, exercise("1 5").constData());
    Tf_destination* d = windows().f_destination;
    QVERIFY(!d->isVisible());
    QCOMPARE(d->windowTitle(), fromUtf8("Réception de la trame"));
    QCOMPARE(d->size(), QSize(402, 92)); // the outer 410 x 119 less its frame
    QVERIFY(d->minimumSize() != d->maximumSize());
    const Qt::WindowFlags flags = d->windowFlags();
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));

    QCOMPARE(d->Panel->geometry(), QRect(0, 0, 401, 89));
    QCOMPARE(d->serveur_image->geometry(), QRect(8, 8, 41, 40));
    QCOMPARE(d->station_image->geometry(), QRect(16, 8, 34, 33));
    QCOMPARE(d->edit1->geometry(), QRect(80, 10, 121, 21));
    QVERIFY(d->edit1->isReadOnly());
    QVERIFY(!d->edit1->isEnabled());
    QVERIFY(!d->edit1->hasFrame());
    QCOMPARE(d->BitBtn1->geometry(), QRect(320, 8, 73, 25));
    QCOMPARE(d->BitBtn1->text(), fromUtf8("Terminé"));
    QVERIFY(d->BitBtn1->isDefault());
    QCOMPARE(d->Label1->pos(), QPoint(64, 48));
    QCOMPARE(d->Label1->text(), fromUtf8("Trame reçue"));
    QCOMPARE(d->copier->geometry(), QRect(184, 44, 153, 17));
    QCOMPARE(d->copier->text(), fromUtf8("Copier la trame en mémoire"));

    QTableWidget* frame = d->trame;
    QCOMPARE(frame->geometry(), QRect(10, 64, 385, 25));
    QCOMPARE(frame->columnCount(), 5);
    QCOMPARE(frame->rowCount(), 1);
    QCOMPARE(kw::test::cellSize(frame, 0, 0).height(), 20);
    QCOMPARE(frame->selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(!frame->isEnabled());
    for (int column = 0; column < 5; ++column)
        QCOMPARE(kw::test::cellSize(frame, column, 0).width(),
                 (QList<int>{98, 98, 10, 140, 22}[column]));
    QCOMPARE(kw::ui::cell(frame, 3, 0), fromUtf8(" Couches LLC et supérieures"));
    QCOMPARE(kw::ui::cell(frame, 4, 0), QStringLiteral("FCS"));
}

void TestDestination::unicastDestinationBeforeTheFrameArrives_data()
{
    QTest::addColumn<QByteArray>("exercise");
    QTest::addColumn<int>("flowState");
    QTest::addColumn<int>("clicked");
    QTest::newRow("destination at 20") << exercise("1 5") << 20 << 5;
    QTest::newRow("destination at 30") << exercise("1 5") << 30 << 5;
    QTest::newRow("destination at 40") << exercise("1 5") << 40 << 5;
    QTest::newRow("destination at 35") << exercise("7 3") << 35 << 3;
    QTest::newRow("destination at 41") << exercise("7 3") << 41 << 3;
    QTest::newRow("destination at 45") << exercise("7 3") << 45 << 3;
    QTest::newRow("other station at 40") << exercise("1 5") << 40 << 6;
    QTest::newRow("Broadcast, same side at 20") << exercise("2 9") << 20 << 1;
}

void TestDestination::unicastDestinationBeforeTheFrameArrives()
{
    QFETCH(QByteArray, exercise);
    QFETCH(int, flowState);
    QFETCH(int, clicked);
    Program program(imposedIni, exercise.constData());
    setFlow(static_cast<std::uint8_t>(flowState));
    program.clickStation(clicked);
    QCOMPARE(program.student.boxTexts(), QStringList{fromUtf8(notYet)});
    QCOMPARE(program.student.boxes[0].kind, kw::seam::BoxKind::Warning);
    QCOMPARE(program.student.boxes[0].caption, QStringLiteral("Avertissement"));
    // The one hint that costs nothing.
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(0));
    QCOMPARE(windows().f_avance->label_erreurs->text(), QStringLiteral("Cumul erreurs = "));
    QCOMPARE(int(kw::test::state().FlowState), flowState);
    QVERIFY(program.student.dialogsOpened.isEmpty());
    QVERIFY(!windows().f_destination->isVisible());
}

void TestDestination::unicastDestinationCopies_data()
{
    QTest::addColumn<QByteArray>("exercise");
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("destination");
    QTest::newRow("Machine 1 to Machine 5") << exercise("1 5") << 1 << 5;
    QTest::newRow("Machine 4 to ServeurB") << exercise("4 8") << 4 << 8;
    QTest::newRow("ServeurB to ServeurA") << exercise("8 7") << 8 << 7;
}

void TestDestination::unicastDestinationCopies()
{
    QFETCH(QByteArray, exercise);
    QFETCH(int, source);
    QFETCH(int, destination);
    Program program(imposedIni, exercise.constData());
    windows().Principale->move(61, 43);
    const QPoint anchor = windows().Principale->pos();
    Tf_avance* progress = windows().f_avance;
    QVERIFY(progress->isMinimized());
    setFlow(kw::flow::ReachedAll);

    Seen seen;
    QPoint placedAt;
    bool serverIcon = false;
    bool stationIcon = false;
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_destination* d = receivingDialog(dialog);
        QVERIFY(d);
        seen = look(d);
        placedAt = d->pos();
        serverIcon = d->serveur_image->isVisible();
        stationIcon = d->station_image->isVisible();
        QTest::mouseClick(d->copier, Qt::LeftButton);
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
    });
    program.clickStation(destination);

    QVERIFY(seen.opened);
    QVERIFY(seen.editable);
    QVERIFY(seen.buttonVisible);
    QVERIFY(!seen.copyTicked);
    QCOMPARE(seen.name, QString::fromStdString(kw::test::state().StationTable[destination].name));
    QCOMPARE(seen.destinationCell, macOf(destination));
    QCOMPARE(seen.sourceCell, macOf(source));
    QCOMPARE(placedAt, anchor + QPoint(100, 100));
    QCOMPARE(serverIcon, destination >= 7);
    QCOMPARE(stationIcon, destination <= 6);

    QVERIFY(program.student.boxes.empty());
    QCOMPARE(kw::test::state().FlowState, kw::flow::FrameDone);
    QVERIFY(!windows().f_destination->isVisible());
    QVERIFY(progress->_destinataire->isChecked());
    QVERIFY(progress->fin_traitement->isEnabled());
    QVERIFY(progress->isVisible());
    QVERIFY(!progress->isMinimized());
}

void TestDestination::wrongDecisionKeepsTheDialogOpen()
{
    Program program(imposedIni, exercise("1 5").constData());
    setFlow(kw::flow::ReachedAll);
    bool openAfterBox = false;
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_destination* d = receivingDialog(dialog);
        QVERIFY(d);
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
        openAfterBox = d->isVisible();
        QCOMPARE(kw::test::state().FlowState, kw::flow::ReachedAll);
        // A second thought: ticked, it passes.
        QTest::mouseClick(d->copier, Qt::LeftButton);
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
    });
    program.clickStation(5);
    QVERIFY(openAfterBox);
    QCOMPARE(program.student.boxTexts(), QStringList{fromUtf8("Vérifiez le destinataire")});
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(1));
    QCOMPARE(kw::test::state().FlowState, kw::flow::FrameDone);
}

void TestDestination::closingWithoutTerminePutsTheBoxBack()
{
    Program program(imposedIni, exercise("6 2").constData());
    setFlow(kw::flow::ReachedAll);
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_destination* d = receivingDialog(dialog);
        QVERIFY(d);
        QTest::mouseClick(d->copier, Qt::LeftButton);
        // Closed by its close box.
    });
    program.clickStation(2);
    QCOMPARE(kw::test::state().FlowState, kw::flow::ReachedAll);
    QVERIFY(!windows().f_avance->_destinataire->isChecked());
    QVERIFY(!windows().f_destination->isVisible());

    Seen seen;
    lookOnly(program, &seen);
    program.clickStation(2);
    QVERIFY(seen.opened);
    QVERIFY(!seen.copyTicked);
    QVERIFY(seen.editable);
    QVERIFY(program.student.boxes.empty());
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(0));
    QCOMPARE(kw::test::state().FlowState, kw::flow::ReachedAll);
}

void TestDestination::otherStationOfAUnicastFrameIsRefused_data()
{
    QTest::addColumn<QByteArray>("exercise");
    QTest::addColumn<int>("clicked");
    QTest::newRow("Machine 3 when Machine 1 sends to Machine 5") << exercise("1 5") << 3;
    QTest::newRow("ServeurB when Machine 4 sends to ServeurA") << exercise("4 7") << 8;
}

void TestDestination::otherStationOfAUnicastFrameIsRefused()
{
    QFETCH(QByteArray, exercise);
    QFETCH(int, clicked);
    Program program(imposedIni, exercise.constData());
    setFlow(kw::flow::ReachedAll);
    program.clickStation(clicked);
    QCOMPARE(program.student.boxTexts(),
             QStringList{QStringLiteral("Ce n'est pas le moment de traiter cette station")});
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(1));
    QCOMPARE(kw::test::state().FlowState, kw::flow::ReachedAll);
    QVERIFY(program.student.dialogsOpened.isEmpty());
}

void TestDestination::earlyBroadcastReception_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("flowState");
    QTest::addColumn<QList<int>>("accepted");
    QTest::addColumn<QList<int>>("warned");
    QTest::newRow("Machine 2 at 20") << 2 << 20 << QList<int>{} << QList<int>{1, 3, 4, 7};
    QTest::newRow("Machine 2 at 30") << 2 << 30 << QList<int>{1, 3} << QList<int>{4, 6, 7, 8};
    QTest::newRow("Machine 2 at 40") << 2 << 40 << QList<int>{1, 3} << QList<int>{5, 7};
    QTest::newRow("Machine 5 at 30") << 5 << 30 << QList<int>{4, 6, 7, 8} << QList<int>{1, 2, 3};
    QTest::newRow("ServeurA at 35") << 7 << 35 << QList<int>{4, 5, 6, 8} << QList<int>{1, 2, 3};
    QTest::newRow("ServeurA at 41") << 7 << 41 << QList<int>{4, 5, 6, 8} << QList<int>{1, 2, 3};
    QTest::newRow("ServeurB at 45") << 8 << 45 << QList<int>{4, 7} << QList<int>{3};
}

void TestDestination::earlyBroadcastReception()
{
    QFETCH(int, source);
    QFETCH(int, flowState);
    QFETCH(QList<int>, accepted);
    QFETCH(QList<int>, warned);
    Program program(imposedIni, exercise(QByteArray::number(source) + " 9").constData());
    const auto flow = static_cast<std::uint8_t>(flowState);
    setFlow(flow);

    for (int station : warned) {
        program.student.clear();
        program.clickStation(station);
        QCOMPARE(program.student.boxTexts(), QStringList{fromUtf8(notYet)});
        QVERIFY(program.student.dialogsOpened.isEmpty());
        QVERIFY(!kw::test::state().BroadcastCopied[station]);
    }
    for (int station : accepted) {
        program.student.clear();
        Seen seen;
        copyTheFrame(program, &seen);
        program.clickStation(station);
        QVERIFY(program.student.boxes.empty());
        QVERIFY(seen.editable);
        QVERIFY(seen.buttonVisible);
        QVERIFY(!seen.copyTicked);
        QCOMPARE(seen.destinationCell, QStringLiteral("FF-FF-FF-FF-FF-FF"));
        QCOMPARE(seen.sourceCell, macOf(source));
        QVERIFY(kw::test::state().BroadcastCopied[station]);
        // Early copies do not end the frame; they are counted once it reaches everyone.
        QCOMPARE(kw::test::state().FlowState, flow);
    }
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(0));
    QVERIFY(!windows().f_avance->_destinataire->isChecked());
}

void TestDestination::broadcastFromMachine2()
{
    Program program(imposedIni, exercise("2 9").constData());
    Tf_avance* progress = windows().f_avance;
    setFlow(kw::flow::SenderHubDone);
    copyTheFrame(program);
    program.clickStation(1);
    copyTheFrame(program);
    program.clickStation(3);
    program.clickStation(7); // the other side waits for the switch and Hub 2
    QCOMPARE(program.student.boxTexts(), QStringList{fromUtf8(notYet)});

    setFlow(kw::flow::ReachedAll);
    program.student.clear();
    // A wrong answer on the way: Broadcast must be copied.
    program.student.thenDialog([](QDialog* dialog) {
        Tf_destination* d = receivingDialog(dialog);
        QVERIFY(d);
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
        QVERIFY(d->isVisible());
    });
    program.clickStation(4);
    QCOMPARE(program.student.boxTexts(), QStringList{fromUtf8("Vérifiez le destinataire")});
    QVERIFY(!kw::test::state().BroadcastCopied[4]);

    for (int station : {4, 5, 6, 7}) {
        Seen seen;
        copyTheFrame(program, &seen);
        program.clickStation(station);
        QVERIFY(seen.editable);
        QCOMPARE(seen.destinationCell, QStringLiteral("FF-FF-FF-FF-FF-FF"));
        QCOMPARE(kw::test::state().FlowState, kw::flow::ReachedAll);
        QVERIFY(!progress->_destinataire->isChecked());
    }
    QCOMPARE(int(kw::test::state().BroadcastCopyCount), 6);
    // The seventh copy, ServeurB's, completes the frame.
    copyTheFrame(program);
    program.clickStation(8);
    QCOMPARE(int(kw::test::state().BroadcastCopyCount), 7);
    QCOMPARE(kw::test::state().FlowState, kw::flow::FrameDone);
    QVERIFY(progress->_destinataire->isChecked());
    QVERIFY(progress->fin_traitement->isEnabled());
    QVERIFY(!progress->isMinimized());
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(1));
    QCOMPARE(program.student.boxes.size(), std::size_t(1));
}

void TestDestination::copiedStationIsShownReadOnly_data()
{
    QTest::addColumn<int>("flowState");
    QTest::newRow("on the way, at 30") << 30;
    QTest::newRow("at 50") << 50;
}

void TestDestination::copiedStationIsShownReadOnly()
{
    QFETCH(int, flowState);
    Program program(imposedIni, exercise("2 9").constData());
    setFlow(kw::flow::SenderHubDone);
    copyTheFrame(program);
    program.clickStation(1);
    QVERIFY(kw::test::state().BroadcastCopied[1]);

    // Every other flag set behind the program's back: a recount would end the frame.
    for (int station : {3, 4, 5, 6, 7, 8})
        kw::test::state().BroadcastCopied[station] = true;
    kw::test::state().BroadcastCopyCount = 1;
    setFlow(static_cast<std::uint8_t>(flowState));

    Seen seen;
    bool enterClosed = false;
    program.student.thenDialog([&](QDialog* dialog) {
        Tf_destination* d = receivingDialog(dialog);
        QVERIFY(d);
        seen = look(d);
        QTest::keyClick(d, Qt::Key_Return);
        enterClosed = !d->isVisible();
    });
    program.clickStation(1);
    QVERIFY(seen.opened);
    QVERIFY(seen.copyTicked);
    QVERIFY(!seen.editable);
    QVERIFY(!seen.buttonVisible);
    QCOMPARE(seen.name, QStringLiteral("Machine 1"));
    QVERIFY(!enterClosed);
    QCOMPARE(program.student.dialogsOpened.size(), 2);
    QVERIFY(program.student.boxes.empty());
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(0));
    QCOMPARE(int(kw::test::state().FlowState), flowState);
    QCOMPARE(int(kw::test::state().BroadcastCopyCount), 1);
    QVERIFY(!windows().f_avance->_destinataire->isChecked());
}

void TestDestination::viewsAfterTheFrame()
{
    Program program(imposedIni, exercise("1 5").constData());
    setFlow(kw::flow::ReachedAll);
    copyTheFrame(program);
    program.clickStation(5);
    QCOMPARE(kw::test::state().FlowState, kw::flow::FrameDone);

    Tf_destination* d = windows().f_destination;
    program.clickStation(5);
    // Modeless, read-only, the box as the student left it.
    QCOMPARE(program.student.dialogsOpened.size(), 1);
    QVERIFY(d->isVisible());
    QVERIFY(d->copier->isChecked());
    QVERIFY(!d->Panel->isEnabled());
    QVERIFY(!d->BitBtn1->isVisibleTo(d));
    QCOMPARE(d->edit1->text(), QStringLiteral("Machine 5"));

    // Another station shows nothing; the sender shows its frame.
    program.clickStation(3);
    QCOMPARE(d->edit1->text(), QStringLiteral("Machine 5"));
    QVERIFY(!windows().f_source->isVisible());
    program.clickStation(1);
    QVERIFY(windows().f_source->isVisible());
    QVERIFY(!windows().f_source->Panel->isEnabled());
    QCOMPARE(program.student.dialogsOpened.size(), 1);
    QVERIFY(program.student.boxes.empty());
    QCOMPARE(kw::test::state().FlowState, kw::flow::FrameDone);
}

void TestDestination::viewRunsItsActivationWhenSwitchedBackTo()
{
    Program program(imposedIni, exercise("1 5").constData());
    TPrincipale* principale = windows().Principale;
    principale->move(61, 43);
    const QPoint anchor = principale->pos();
    setFlow(kw::flow::ReachedAll);
    copyTheFrame(program);
    program.clickStation(5);
    program.clickStation(5); // the view, modeless
    Tf_destination* d = windows().f_destination;
    QVERIFY(d->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(d));
    QCOMPARE(d->pos(), anchor + QPoint(100, 100));

    // Moved away, then the student works in the main window and comes back to the view.
    d->move(anchor + QPoint(300, 250));
    principale->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(principale));
    QCOMPARE(d->pos(), anchor + QPoint(300, 250));
    d->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d));
    QCOMPARE(d->pos(), anchor + QPoint(100, 100));
    QVERIFY(!d->Panel->isEnabled());
    QVERIFY(d->copier->isChecked());
    QVERIFY(program.student.boxes.empty());
    QCOMPARE(program.student.dialogsOpened.size(), 1);
    d->close();
}

void TestDestination::enterPressesTermine()
{
    Program program(imposedIni, exercise("3 6").constData());
    setFlow(kw::flow::ReachedAll);
    program.student.thenDialog([](QDialog* dialog) {
        Tf_destination* d = receivingDialog(dialog);
        QVERIFY(d);
        QTest::mouseClick(d->copier, Qt::LeftButton);
        QTest::keyClick(d->copier, Qt::Key_Return);
        QVERIFY(!d->isVisible());
    });
    program.clickStation(6);
    QCOMPARE(kw::test::state().FlowState, kw::flow::FrameDone);
    QVERIFY(windows().f_avance->_destinataire->isChecked());
}

void TestDestination::newExerciseClosesTheDialog()
{
    Program program(imposedIni, "1 5\r\n2 9\r\nFIN\r\n");
    setFlow(kw::flow::ReachedAll);
    copyTheFrame(program);
    program.clickStation(5);
    program.clickStation(5);
    QVERIFY(windows().f_destination->isVisible());
    kw::test::nextExercise();
    QVERIFY(!windows().f_destination->isVisible());
    QVERIFY(!windows().f_avance->_destinataire->isChecked());
    // The next frame starts with no copies.
    setFlow(kw::flow::SenderHubDone);
    Seen seen;
    lookOnly(program, &seen);
    program.clickStation(1);
    QVERIFY(seen.editable);
    QVERIFY(!seen.copyTicked);
    QCOMPARE(seen.name, QStringLiteral("Machine 1"));
}

void TestDestination::cleanup()
{
    QVERIFY(kw::seam::script() == nullptr);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget))
            QVERIFY2(!dialog->isVisible(), dialog->metaObject()->className());
    }
}

KW_TEST_MAIN(TestDestination)
#include "tst_destination.moc"
