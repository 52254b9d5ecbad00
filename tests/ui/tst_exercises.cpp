// Whole exercises played through the windows by a scripted student: every kind of frame path,
// one mistake at a time, the end of an imposed series, the switch table from frame to frame,
// automatic hubs and the two ready example folders.

#include "player.h"
#include "student.h"

#include "app/windows.h"
#include "diagram.h"
#include "flow.h"
#include "global.h"
#include "hubs.h"
#include "hubs/hubdialog.h"
#include "hubs/u_hub.h"
#include "hubs/u_hub2.h"
#include "kit/widgets.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "switchtable.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <set>

using kw::test::ExerciseRecord;
using kw::test::Mistake;
using kw::test::Player;
using kw::test::Program;
using kw::test::StepKind;
using kw::ui::windows;

namespace {

const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 128, 0);
const QString EndOfFrameText =
    QStringLiteral("Vous avez mené à bien cette transmission\r\nUtilisez le menu Nouveau");
const QRegularExpression
    SeriesEndText(QStringLiteral("^TOUS LES EXERCICES ONT ETE TRAITES en \\d\\d:\\d\\d:\\d\\d$"));

QByteArray ini(const QByteArray& parameters = {})
{
    return "[parametres]\r\nquestions=.\r\n" + parameters;
}

// The switch knows these stations at start-up (one digit each).
QByteArray known(const QByteArray& stations)
{
    return ini("entrees_initiales=" + stations + "\r\n");
}

// One imposed exercise; without "FIN" random ones would follow, so "Nouveau" comes back.
QByteArray exercise(const QByteArray& line)
{
    return line + "\r\n";
}

QByteArray exampleFile(const QString& folder, const QString& name)
{
    QFile file(kw::test::examplesFolder(folder) + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The kinds of path a frame can take through the network.
enum class PathKind {
    Other,
    SameHubFlood,           // destination unknown: the switch floods, the other hub repeats
    SameHubFiltered,        // destination known behind the arrival port: the switch filters
    MachineToKnownServer,   // the switch forwards to port 2 or 3
    Hub1ToKnownHub2,        // the switch forwards to port 4, Hub 2 repeats
    ServerToKnownServer,    // straight through the switch
    ServerToUnknownMachine, // flood from a server: both hubs
    BroadcastFromMachine,   // with copies on the sender's side before the switch
    BroadcastFromServer,    // likewise
};

const char* nameOf(PathKind kind)
{
    switch (kind) {
    case PathKind::Other:
        return "other";
    case PathKind::SameHubFlood:
        return "same hub, unknown, flood";
    case PathKind::SameHubFiltered:
        return "same hub, known, filtered";
    case PathKind::MachineToKnownServer:
        return "machine to known server";
    case PathKind::Hub1ToKnownHub2:
        return "Hub 1 to known Hub 2 machine";
    case PathKind::ServerToKnownServer:
        return "server to known server";
    case PathKind::ServerToUnknownMachine:
        return "server to unknown machine";
    case PathKind::BroadcastFromMachine:
        return "Broadcast from a machine";
    case PathKind::BroadcastFromServer:
        return "Broadcast from a server";
    }
    return "?";
}

const std::set<PathKind> AllKinds{PathKind::SameHubFlood,         PathKind::SameHubFiltered,
                                  PathKind::MachineToKnownServer, PathKind::Hub1ToKnownHub2,
                                  PathKind::ServerToKnownServer,  PathKind::ServerToUnknownMachine,
                                  PathKind::BroadcastFromMachine, PathKind::BroadcastFromServer};

int hubOf(int station)
{
    return station <= 3 ? 1 : station <= 6 ? 2 : 0;
}

// What kind of path the exercise took, from the FlowState steps and the switch's reading.
PathKind kindOf(const ExerciseRecord& r)
{
    const QList<int> path = r.path();
    const QList<int> throughOneHub{20, 30, 40, 50, 60};
    const QList<int> straight{20, 30, 50, 60};
    const QList<int> bothHubs{35, 41, 45, 50, 60};
    const bool machine = r.source <= 6;
    const std::string unknown = kw::UnknownPortText;
    const std::string destinationPort = std::to_string(kw::SwitchPortOf(r.destination));
    if (r.destination == kw::BroadcastIndex) {
        if (r.earlyCopies.isEmpty() || r.lookup != unknown)
            return PathKind::Other;
        if (machine && path == throughOneHub)
            return PathKind::BroadcastFromMachine;
        if (!machine && path == bothHubs)
            return PathKind::BroadcastFromServer;
        return PathKind::Other;
    }
    const bool destinationMachine = r.destination <= 6;
    if (machine && destinationMachine && hubOf(r.source) == hubOf(r.destination)) {
        if (r.lookup == unknown && path == throughOneHub)
            return PathKind::SameHubFlood;
        if (r.lookup == destinationPort && path == straight)
            return PathKind::SameHubFiltered;
    }
    if (machine && !destinationMachine && r.lookup == destinationPort && path == straight)
        return PathKind::MachineToKnownServer;
    if (hubOf(r.source) == 1 && hubOf(r.destination) == 2 && r.lookup == "4" &&
        path == throughOneHub)
        return PathKind::Hub1ToKnownHub2;
    if (!machine && !destinationMachine && r.lookup == destinationPort &&
        path == QList<int>{35, 50, 60})
        return PathKind::ServerToKnownServer;
    if (!machine && destinationMachine && r.lookup == unknown && path == bothHubs)
        return PathKind::ServerToUnknownMachine;
    return PathKind::Other;
}

QString rowText(const kw::SwitchRow& row)
{
    return QString::fromStdString(row.address + "|" + row.ttl + "|" + row.port);
}

QString tableText(const kw::SwitchTable& table)
{
    QStringList rows;
    for (int r = kw::SwitchFirstEntry; r <= kw::SwitchEntryRow; ++r)
        rows << rowText(table.rows[static_cast<std::size_t>(r)]);
    return rows.join(QStringLiteral(" / "));
}

// The age the switch step took off, read from the entry it has just learned.
int drawOf(const ExerciseRecord& r, int ttlMax)
{
    const std::string mac = kw::test::state().StationTable[r.source].mac;
    for (int row = kw::SwitchFirstEntry; row <= kw::SwitchLastEntry; ++row) {
        const kw::SwitchRow& entry = r.tableAfter.rows[static_cast<std::size_t>(row)];
        if (entry.address == mac)
            return ttlMax - kw::TtlFromText(entry.ttl);
    }
    return -1;
}

// Empty when the table shown after the switch step is the one shown before it, with the
// source learned on its arrival port, every entry aged by one draw of 8 to 17 (entries not
// above it removed) and the gaps closed.
QString switchStepError(const ExerciseRecord& r, int ttlMax)
{
    // The draw shows in the entry just learned, unless a short lifetime removed it at once.
    const int learnedDraw = drawOf(r, ttlMax);
    kw::SwitchTable expected;
    for (int draw = 8; draw <= 17; ++draw) {
        if (learnedDraw >= 0 && draw != learnedDraw)
            continue;
        expected = r.tableBefore;
        expected.entryRow() = {kw::test::state().StationTable[r.source].mac, std::to_string(ttlMax),
                               std::to_string(kw::SwitchPortOf(r.source))};
        kw::LearnEntry(expected);
        kw::AgeTable(expected, draw);
        kw::CompactTable(expected);
        if (expected == r.tableAfter)
            return {};
    }
    return QStringLiteral("exercise %1, draw %2:\n  before   %3\n  shown    %4\n  expected %5")
        .arg(r.number)
        .arg(learnedDraw)
        .arg(tableText(r.tableBefore), tableText(r.tableAfter), tableText(expected));
}

// The lit LEDs a hub dialog's picture shows.
QList<int> paintedHubLeds(const HubDialog* dialog)
{
    QList<int> lit;
    for (int k = 1; k <= kw::LedCount; ++k) {
        const kw::LedBox box = kw::LedRect(k);
        const QRgb pixel =
            dialog->Image1->canvas().pixel((box.left + box.right) / 2, (box.top + box.bottom) / 2);
        if (pixel == (k % 2 == 1 ? Green : Red))
            lit << k;
    }
    return lit;
}

QList<int> ledsOf(const kw::LedRow& row)
{
    QList<int> lit;
    for (int k = 1; k <= kw::LedCount; ++k)
        if (row[static_cast<std::size_t>(k)])
            lit << k;
    return lit;
}

} // namespace

Q_DECLARE_METATYPE(Mistake)
Q_DECLARE_METATYPE(PathKind)

class TestExercises : public QObject {
    Q_OBJECT

private slots:
    void pathOfEachKind_data();
    void pathOfEachKind();
    void oneMistakeCountsOneError_data();
    void oneMistakeCountsOneError();
    void lookingBackChangesNothing_data();
    void lookingBackChangesNothing();
    void otherWaysOfWorking_data();
    void otherWaysOfWorking();
    void imposedSeriesEndsWithItsTime();
    void switchTableCarriesOverAndAges();
    void hubsPassByThemselves_data();
    void hubsPassByThemselves();
    void exampleImposedSeriesShowsEveryPath();
    void exampleSeriesByKeysOnly_data();
    void exampleSeriesByKeysOnly();
    void exampleRandomSeriesNeverEnds();
    void randomSeriesUnderOtherSettings_data();
    void randomSeriesUnderOtherSettings();
    void cleanup();
};

void TestExercises::pathOfEachKind_data()
{
    QTest::addColumn<QByteArray>("configuration");
    QTest::addColumn<QByteArray>("exercises");
    QTest::addColumn<bool>("earlyCopies");
    QTest::addColumn<bool>("copiesAfterSwitch");
    QTest::addColumn<int>("firstFarHub");
    QTest::addColumn<QList<int>>("path");
    QTest::addColumn<QString>("lookup");
    QTest::addColumn<QList<int>>("hubs");
    QTest::addColumn<QList<int>>("earlyCopied");
    QTest::addColumn<QList<int>>("redCables");
    QTest::addColumn<PathKind>("kind");

    const QList<int> throughOneHub{20, 30, 40, 50, 60};
    const QList<int> straight{20, 30, 50, 60};
    const QList<int> bothHubs{35, 41, 45, 50, 60};
    QTest::newRow("Machine 1 to unknown Machine 2: flood")
        << ini() << exercise("1 2") << true << false << 1 << throughOneHub << " "
        << QList<int>{1, 2} << QList<int>{} << QList<int>{8, 9, 10} << PathKind::SameHubFlood;
    QTest::newRow("Machine 1 to known Machine 2: filtered")
        << known("2") << exercise("1 2") << true << false << 1 << straight << "1" << QList<int>{1}
        << QList<int>{} << QList<int>{} << PathKind::SameHubFiltered;
    QTest::newRow("Machine 6 to known Machine 4: filtered")
        << known("4") << exercise("6 4") << true << false << 1 << straight << "4" << QList<int>{2}
        << QList<int>{} << QList<int>{} << PathKind::SameHubFiltered;
    QTest::newRow("Machine 2 to known ServeurB")
        << known("8") << exercise("2 8") << true << false << 1 << straight << "3" << QList<int>{1}
        << QList<int>{} << QList<int>{10} << PathKind::MachineToKnownServer;
    QTest::newRow("Machine 5 to known ServeurA")
        << known("7") << exercise("5 7") << true << false << 1 << straight << "2" << QList<int>{2}
        << QList<int>{} << QList<int>{9} << PathKind::MachineToKnownServer;
    QTest::newRow("Machine 1 to known Machine 5")
        << known("5") << exercise("1 5") << true << false << 1 << throughOneHub << "4"
        << QList<int>{1, 2} << QList<int>{} << QList<int>{8} << PathKind::Hub1ToKnownHub2;
    QTest::newRow("Machine 6 to known Machine 3")
        << known("3") << exercise("6 3") << true << false << 1 << throughOneHub << "1"
        << QList<int>{2, 1} << QList<int>{} << QList<int>{7} << PathKind::Other;
    QTest::newRow("ServeurA to known ServeurB")
        << known("8") << exercise("7 8") << true << false << 1 << QList<int>{35, 50, 60} << "3"
        << QList<int>{} << QList<int>{} << QList<int>{10} << PathKind::ServerToKnownServer;
    QTest::newRow("ServeurB to known Machine 4")
        << known("4") << exercise("8 4") << true << false << 1 << QList<int>{35, 40, 50, 60} << "4"
        << QList<int>{2} << QList<int>{} << QList<int>{8} << PathKind::Other;
    QTest::newRow("ServeurA to unknown Machine 5, Hub 1 first")
        << ini() << exercise("7 5") << true << false << 1 << bothHubs << " " << QList<int>{1, 2}
        << QList<int>{} << QList<int>{7, 8, 10} << PathKind::ServerToUnknownMachine;
    QTest::newRow("ServeurB to unknown Machine 2, Hub 2 first")
        << ini() << exercise("8 2") << true << false << 2 << bothHubs << " " << QList<int>{2, 1}
        << QList<int>{} << QList<int>{7, 8, 9} << PathKind::ServerToUnknownMachine;
    QTest::newRow("Broadcast from Machine 1")
        << ini() << exercise("1 9") << true << false << 1 << throughOneHub << " "
        << QList<int>{1, 2} << QList<int>{2, 3} << QList<int>{8, 9, 10}
        << PathKind::BroadcastFromMachine;
    // Machine 5's side takes in both servers, which copy before the switch is treated.
    QTest::newRow("Broadcast from Machine 5")
        << ini() << exercise("5 9") << true << false << 1 << throughOneHub << " "
        << QList<int>{2, 1} << QList<int>{4, 6, 7, 8} << QList<int>{7, 9, 10}
        << PathKind::BroadcastFromMachine;
    QTest::newRow("Broadcast from ServeurA")
        << ini() << exercise("7 9") << true << false << 1 << bothHubs << " " << QList<int>{1, 2}
        << QList<int>{4, 5, 6, 8} << QList<int>{7, 8, 10} << PathKind::BroadcastFromServer;
    QTest::newRow("Broadcast from ServeurA, early copies after the switch")
        << ini() << exercise("7 9") << true << true << 2 << bothHubs << " " << QList<int>{2, 1}
        << QList<int>{4, 5, 6, 8} << QList<int>{7, 8, 10} << PathKind::BroadcastFromServer;
    QTest::newRow("Broadcast from Machine 3, early copies after the switch")
        << ini() << exercise("3 9") << true << true << 1 << throughOneHub << " " << QList<int>{1, 2}
        << QList<int>{1, 2} << QList<int>{8, 9, 10} << PathKind::BroadcastFromMachine;
    QTest::newRow("Broadcast from ServeurB, no early copy")
        << ini() << exercise("8 9") << false << false << 1 << bothHubs << " " << QList<int>{1, 2}
        << QList<int>{} << QList<int>{7, 8, 9} << PathKind::Other;
}

void TestExercises::pathOfEachKind()
{
    QFETCH(QByteArray, configuration);
    QFETCH(QByteArray, exercises);
    QFETCH(bool, earlyCopies);
    QFETCH(bool, copiesAfterSwitch);
    QFETCH(int, firstFarHub);
    QFETCH(QList<int>, path);
    QFETCH(QString, lookup);
    QFETCH(QList<int>, hubs);
    QFETCH(QList<int>, earlyCopied);
    QFETCH(QList<int>, redCables);
    QFETCH(PathKind, kind);

    Program program(configuration, exercises.constData());
    QVERIFY(program.started());
    Player player(program);
    player.earlyCopies = earlyCopies;
    player.earlyCopiesAfterSwitch = copiesAfterSwitch;
    player.firstFarHub = firstFarHub;
    QVERIFY(player.playExercise());

    const ExerciseRecord& r = player.current();
    QCOMPARE(r.path(), path);
    QCOMPARE(QString::fromStdString(r.lookup), lookup);
    QCOMPARE(r.hubsTreated, hubs);
    QVERIFY(r.hubsAutomatic.isEmpty());
    QCOMPARE(r.earlyCopies, earlyCopied);
    QCOMPARE(kindOf(r), kind);
    // The switch's emission, as the diagram shows it once the frame is done.
    QCOMPARE(kw::test::cablesShowing(program, kw::CableLine::First, Red), redCables);
    const QString error = switchStepError(r, 99);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(0));
    QCOMPARE(program.student.boxTexts(), QStringList{EndOfFrameText});
    QVERIFY(r.completed);
    QVERIFY(!r.seriesEnded);
    QVERIFY(windows().Principale->Nouveau->isEnabled());
    QVERIFY(!windows().Principale->resultat->isVisible());
}

void TestExercises::oneMistakeCountsOneError_data()
{
    QTest::addColumn<QByteArray>("configuration");
    QTest::addColumn<QByteArray>("exercises");
    QTest::addColumn<Mistake>("mistake");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("message");

    const QString notHubTime = QStringLiteral("Ce n'est pas le moment de traiter ce hub");
    const QString wrongMac = QStringLiteral("Une adresse MAC est incorrecte");
    const QString wrongRx = QStringLiteral("Au moins une led RX est mal positionnée");
    const QString notUpdated = QStringLiteral("La table n'est pas correctement mise à jour");
    const QString misread = QStringLiteral("Adresses mal analysées");
    const QString wrongTx = QStringLiteral("Au moins une Led émission mal positionnée");
    const QString checkDestination = QStringLiteral("Vérifiez le destinataire");
    const QString oneTick = QStringLiteral("Une et une seule coche par ligne");

    // Steps of Machine 1 to Machine 5: 0 emission, 1 Hub 1, 2 switch, 3 Hub 2, 4 Machine 5,
    // 5 end of frame.
    const QByteArray m1m5 = exercise("1 5");
    QTest::newRow("other station before the emission")
        << ini() << m1m5 << Mistake::ClickOutOfTurn << 0
        << QStringLiteral("Ce n'est pas le noeud émetteur");
    QTest::newRow("switch before the sender's hub")
        << ini() << m1m5 << Mistake::ClickOutOfTurn << 1
        << QStringLiteral("Ce n'est pas le moment de traiter le switch");
    QTest::newRow("far hub before the switch")
        << ini() << m1m5 << Mistake::ClickOutOfTurn << 2 << notHubTime;
    QTest::newRow("beside the hubs before the far hub")
        << ini() << m1m5 << Mistake::ClickOutOfTurn << 3 << notHubTime;
    QTest::newRow("another station than the destination")
        << ini() << m1m5 << Mistake::ClickOutOfTurn << 4
        << QStringLiteral("Ce n'est pas le moment de traiter cette station");
    QTest::newRow("beside the hubs once the frame is done")
        << ini() << m1m5 << Mistake::ClickOutOfTurn << 5 << notHubTime;
    QTest::newRow("a hub before the switch, server sender")
        << ini() << exercise("7 5") << Mistake::ClickOutOfTurn << 1 << notHubTime;
    QTest::newRow("a hub during early Broadcast copies")
        << ini() << exercise("2 9") << Mistake::ClickOutOfTurn << 2 << notHubTime;
    QTest::newRow("destination too early is only a hint")
        << ini() << m1m5 << Mistake::EarlyDestination << 2
        << QStringLiteral("Le destinataire doit être traité après TOUS les autres");
    QTest::newRow("destination before the sender's hub is only a hint")
        << ini() << m1m5 << Mistake::EarlyDestination << 1
        << QStringLiteral("Le destinataire doit être traité après TOUS les autres");
    QTest::newRow("Broadcast: the sender's side before its hub is only a hint")
        << ini() << exercise("2 9") << Mistake::EarlyDestination << 1
        << QStringLiteral("Le destinataire doit être traité après TOUS les autres");
    QTest::newRow("Broadcast: the other side before the switch is only a hint")
        << ini() << exercise("2 9") << Mistake::EarlyDestination << 4
        << QStringLiteral("Le destinataire doit être traité après TOUS les autres");
    QTest::newRow("Broadcast from a server: a machine of Hub 1 before its hub is only a hint")
        << ini() << exercise("7 9") << Mistake::EarlyDestination << 7
        << QStringLiteral("Le destinataire doit être traité après TOUS les autres");
    QTest::newRow("addresses swapped") << ini() << m1m5 << Mistake::WrongAddress << 0 << wrongMac;
    QTest::newRow("addresses swapped, Broadcast")
        << ini() << exercise("2 9") << Mistake::WrongAddress << 0 << wrongMac;
    QTest::newRow("sender's hub LED") << ini() << m1m5 << Mistake::WrongHubLed << 1 << wrongRx;
    QTest::newRow("far hub LED") << ini() << m1m5 << Mistake::WrongHubLed << 3 << wrongRx;
    QTest::newRow("second hub of a server's flood LED")
        << ini() << exercise("7 5") << Mistake::WrongHubLed << 3 << wrongRx;
    QTest::newRow("destination's address learned")
        << ini() << m1m5 << Mistake::WrongTableUpdate << 2 << notUpdated;
    QTest::newRow("source learned on a wrong port")
        << known("8") << exercise("7 8") << Mistake::WrongTablePort << 1 << notUpdated;
    QTest::newRow("unknown destination sent to a port")
        << ini() << m1m5 << Mistake::WrongPortChoice << 2 << misread;
    QTest::newRow("known destination called unknown")
        << known("5") << m1m5 << Mistake::WrongPortChoice << 2 << misread;
    QTest::newRow("filtered frame called unknown")
        << known("2") << exercise("1 2") << Mistake::WrongPortChoice << 2 << misread;
    QTest::newRow("flood missing a port")
        << ini() << m1m5 << Mistake::WrongSwitchLed << 2 << wrongTx;
    QTest::newRow("filtered frame emitted")
        << known("2") << exercise("1 2") << Mistake::WrongSwitchLed << 2 << wrongTx;
    QTest::newRow("forwarded frame on two ports")
        << known("7") << exercise("1 7") << Mistake::WrongSwitchLed << 2 << wrongTx;
    QTest::newRow("Broadcast from a server missing a port")
        << ini() << exercise("8 9") << Mistake::WrongSwitchLed << -1 << wrongTx;
    QTest::newRow("destination does not copy")
        << ini() << m1m5 << Mistake::NoCopy << 4 << checkDestination;
    QTest::newRow("early Broadcast receiver does not copy")
        << ini() << exercise("2 9") << Mistake::NoCopy << 2 << checkDestination;
    QTest::newRow("last Broadcast receiver does not copy")
        << ini() << exercise("2 9") << Mistake::NoCopy << 10 << checkDestination;
    QTest::newRow("both hubs reached, one ticked not concerned")
        << ini() << m1m5 << Mistake::WrongNonConcerne << 5 << oneTick;
    QTest::newRow("Hub 2 unreached, Hub 1 ticked instead")
        << known("7") << exercise("1 7") << Mistake::WrongNonConcerne << -1 << oneTick;
    QTest::newRow("no hub reached, none ticked")
        << known("8") << exercise("7 8") << Mistake::WrongNonConcerne << -1 << oneTick;
    QTest::newRow("sending dialog closed half done")
        << ini() << m1m5 << Mistake::CloseFirst << 0 << QString();
    QTest::newRow("sender's hub dialog closed with its LEDs lit")
        << ini() << m1m5 << Mistake::CloseFirst << 1 << QString();
    QTest::newRow("switch closed after its LEDs, before Terminé")
        << ini() << m1m5 << Mistake::CloseFirst << 2 << QString();
    QTest::newRow("server's switch closed before Terminé")
        << known("5") << exercise("7 5") << Mistake::CloseFirst << 1 << QString();
    QTest::newRow("far hub dialog closed with its LEDs lit")
        << ini() << m1m5 << Mistake::CloseFirst << 3 << QString();
    QTest::newRow("destination closed with the copy ticked")
        << ini() << m1m5 << Mistake::CloseFirst << 4 << QString();
    QTest::newRow("early Broadcast receiver closed with the copy ticked")
        << ini() << exercise("2 9") << Mistake::CloseFirst << 3 << QString();
    QTest::newRow("last Broadcast receiver closed with the copy ticked")
        << ini() << exercise("2 9") << Mistake::CloseFirst << 10 << QString();
    QTest::newRow("destination ticked not concerned")
        << ini() << m1m5 << Mistake::TickDestinataire << 5
        << QStringLiteral("Vérifiez le destinataire (et l'expéditeur)");
    QTest::newRow("sender ticked not concerned") << ini() << m1m5 << Mistake::TickEmetteur << 5
                                                 << QStringLiteral("L'émetteur doit émettre !");
}

void TestExercises::oneMistakeCountsOneError()
{
    QFETCH(QByteArray, configuration);
    QFETCH(QByteArray, exercises);
    QFETCH(Mistake, mistake);
    QFETCH(int, step);
    QFETCH(QString, message);

    // The path of the same exercise played without the mistake.
    QList<int> rightPath;
    {
        Program program(configuration, exercises.constData());
        Player player(program);
        QVERIFY(player.playExercise());
        rightPath = player.current().path();
    }

    Program program(configuration, exercises.constData());
    QVERIFY(program.started());
    Player player(program);
    player.makeMistake(mistake, step);
    QVERIFY(player.playExercise());
    QVERIFY(player.mistakeMade());

    const ExerciseRecord& r = player.current();
    int stepsWithMistake = 0;
    for (const kw::test::StepRecord& s : r.steps) {
        if (s.mistakeMade) {
            ++stepsWithMistake;
            if (step >= 0)
                QCOMPARE(static_cast<int>(&s - r.steps.data()), step);
        }
    }
    QCOMPARE(stepsWithMistake, 1);
    QStringList boxes{EndOfFrameText};
    if (!message.isEmpty())
        boxes.prepend(message);
    QCOMPARE(program.student.boxTexts(), boxes);
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(kw::test::isCounted(mistake) ? 1 : 0));
    QCOMPARE(r.path(), rightPath);
    QVERIFY(r.completed);
    QVERIFY(windows().Principale->Nouveau->isEnabled());
}

void TestExercises::lookingBackChangesNothing_data()
{
    QTest::addColumn<QByteArray>("configuration");
    QTest::addColumn<QByteArray>("exercises");
    QTest::addColumn<bool>("leaveOpen");
    const QList<QPair<const char*, QByteArray>> series{
        {"flood, then filtering", "1 2\r\n2 1\r\n"},
        {"server's flood, then Broadcast from a machine", "7 5\r\n5 9\r\n"},
        {"Broadcast from a server, then server to server", "8 9\r\n7 8\r\n"},
        {"machine to server, then across the switch", "3 7\r\n4 1\r\n"},
    };
    for (const auto& [name, lines] : series) {
        QTest::addRow("%s, closing each view", name) << ini() << lines << false;
        QTest::addRow("%s, leaving the views open", name) << ini() << lines << true;
    }
}

void TestExercises::lookingBackChangesNothing()
{
    QFETCH(QByteArray, configuration);
    QFETCH(QByteArray, exercises);
    QFETCH(bool, leaveOpen);

    Program program(configuration, exercises.constData());
    QVERIFY(program.started());
    Player player(program);
    player.lookBack = leaveOpen ? Player::LookBack::AndLeaveOpen : Player::LookBack::AndClose;
    QVERIFY(player.playExercise());
    // "Nouveau" closes whatever the student left open; the next frame plays as ever.
    QVERIFY(player.nouveau());
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget))
            QVERIFY2(!dialog->isVisible(), dialog->metaObject()->className());
    QVERIFY(player.playExercise());
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(0));
    QCOMPARE(program.student.boxTexts(), (QStringList{EndOfFrameText, EndOfFrameText}));
}

void TestExercises::otherWaysOfWorking_data()
{
    QTest::addColumn<bool>("pressEnter");
    QTest::addColumn<bool>("copyFromCache");
    QTest::newRow("Enter on every default button") << true << false;
    QTest::newRow("addresses copied by a double-click on the cache") << false << true;
}

void TestExercises::otherWaysOfWorking()
{
    QFETCH(bool, pressEnter);
    QFETCH(bool, copyFromCache);
    Program program(ini(), "7 5\r\n1 9\r\n6 2\r\n");
    QVERIFY(program.started());
    Player player(program);
    player.pressEnter = pressEnter;
    player.copyFromCache = copyFromCache;
    QVERIFY(player.playExercises(3));
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(0));
}

void TestExercises::imposedSeriesEndsWithItsTime()
{
    Program program(ini(), "1 2\r\n7 9\r\nFIN\r\n");
    QVERIFY(program.started());
    TPrincipale* principale = windows().Principale;
    Player player(program);

    QVERIFY(player.playExercise());
    QVERIFY(!player.current().seriesEnded);
    QVERIFY(!principale->resultat->isVisible());
    QVERIFY(principale->Nouveau->isEnabled());

    QVERIFY(player.nouveau());
    QCOMPARE(windows().f_avance->numero_exo->text(), QStringLiteral("Exercice n° = 2  (2)"));
    QCOMPARE(principale->Edit1->text(), QStringLiteral("ServeurA"));
    QCOMPARE(principale->Edit2->text(), QStringLiteral("Broadcast"));
    QVERIFY(player.playExercise());

    // The end-of-frame message first, then the series' time, and no more exercise.
    QVERIFY(player.current().seriesEnded);
    QCOMPARE(program.student.boxTexts(), (QStringList{EndOfFrameText, EndOfFrameText}));
    QVERIFY(principale->resultat->isVisible());
    QVERIFY2(SeriesEndText.match(principale->resultat->text()).hasMatch(),
             qPrintable(principale->resultat->text()));
    QVERIFY(!principale->Nouveau->isEnabled());
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(0));

    // For good: the check again, and the menu item, change nothing.
    QTest::mouseClick(windows().f_avance->fin_traitement, Qt::LeftButton);
    QCOMPARE(program.student.boxTexts().size(), 3);
    QVERIFY(!principale->Nouveau->isEnabled());
    principale->Nouveau->trigger();
    QCOMPARE(kw::test::state().ExerciseNumber, std::uint16_t(2));
    QCOMPARE(kw::test::state().FlowState, kw::flow::FrameDone);
    QVERIFY(principale->resultat->isVisible());
}

void TestExercises::switchTableCarriesOverAndAges()
{
    // ServeurB known at start-up (which also fixes the random sequence), short lifetimes.
    // Machine 1 is learned in the first frame only, then sought by every later one.
    constexpr int TtlMax = 20;
    Program program(ini("entrees_initiales=8\r\nttl_max=20\r\n"),
                    "1 2\r\n4 1\r\n5 1\r\n6 1\r\nFIN\r\n");
    QVERIFY(program.started());
    Player player(program);
    QVERIFY(player.playExercises(4));
    QVERIFY(player.current().seriesEnded);
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(0));

    const std::vector<ExerciseRecord>& records = player.exercises();
    QCOMPARE(records.size(), std::size_t(4));
    const std::string m1 = kw::test::state().StationTable[1].mac;
    auto rowOf = [](const kw::SwitchTable& table, const std::string& mac) {
        for (int row = kw::SwitchFirstEntry; row <= kw::SwitchLastEntry; ++row)
            if (table.rows[static_cast<std::size_t>(row)].address == mac)
                return row;
        return 0;
    };

    int removedIn = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const ExerciseRecord& r = records[i];
        const QString error = switchStepError(r, TtlMax);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        // Between two frames the table neither ages nor changes.
        if (i > 0)
            QCOMPARE(tableText(r.tableBefore), tableText(records[i - 1].tableAfter));
        // Machine 1 is forwarded to while it is in the table, flooded for once it has gone.
        const bool m1Known = rowOf(r.tableBefore, m1) != 0;
        if (i > 0) {
            QCOMPARE(QString::fromStdString(r.lookup),
                     m1Known ? QStringLiteral("1") : QStringLiteral(" "));
            QCOMPARE(r.hubsTreated, (QList<int>{2, 1}));
        }
        if (i > 0 && m1Known && rowOf(r.tableAfter, m1) == 0) {
            // Removed by the step whose draw reached its Ttl.
            const int ttl = kw::TtlFromText(
                r.tableBefore.rows[static_cast<std::size_t>(rowOf(r.tableBefore, m1))].ttl);
            QVERIFY(ttl <= drawOf(r, TtlMax));
            removedIn = static_cast<int>(i) + 1;
        }
    }
    // Learned in exercise 1 and still there, aged by that step only, in exercise 2.
    const int learnedRow = rowOf(records[0].tableAfter, m1);
    QVERIFY(learnedRow != 0);
    QCOMPARE(kw::TtlFromText(records[0].tableAfter.rows[static_cast<std::size_t>(learnedRow)].ttl),
             TtlMax - drawOf(records[0], TtlMax));
    QVERIFY(rowOf(records[1].tableBefore, m1) != 0);
    QCOMPARE(QString::fromStdString(records[1].lookup), QStringLiteral("1"));
    // Two more steps take at least 16 off what is left of 20 - 8: gone by exercise 3.
    QVERIFY2(removedIn == 2 || removedIn == 3, qPrintable(QString::number(removedIn)));
    QCOMPARE(QString::fromStdString(records[3].lookup), QStringLiteral(" "));
}

void TestExercises::hubsPassByThemselves_data()
{
    QTest::addColumn<int>("wrongHubStep"); // step of the first exercise, -1 for none
    QTest::addColumn<QList<int>>("automaticInSecond");
    QTest::addColumn<int>("errors");
    // Exercise 1 (Machine 1 to unknown Machine 2) has two hub dialogs, at steps 1 and 3.
    QTest::newRow("two right answers") << -1 << QList<int>{2, 1} << 0;
    QTest::newRow("wrong, then right, at the first hub") << 1 << QList<int>{2, 1} << 1;
    QTest::newRow("wrong, then right, at the second hub") << 3 << QList<int>{1} << 1;
}

void TestExercises::hubsPassByThemselves()
{
    QFETCH(int, wrongHubStep);
    QFETCH(QList<int>, automaticInSecond);
    QFETCH(int, errors);

    Program program(ini("hub_auto=2\r\n"), "1 2\r\n4 6\r\n7 5\r\nFIN\r\n");
    QVERIFY(program.started());
    Player player(program);
    if (wrongHubStep >= 0)
        player.makeMistake(Mistake::WrongHubLed, wrongHubStep);
    QVERIFY(player.playExercises(3));
    QVERIFY(player.current().seriesEnded);
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(errors));

    const std::vector<ExerciseRecord>& records = player.exercises();
    QVERIFY(records[0].hubsAutomatic.isEmpty());
    QCOMPARE(records[1].hubsTreated, (QList<int>{2, 1}));
    QCOMPARE(records[1].hubsAutomatic, automaticInSecond);
    QCOMPARE(records[1].flowAfter(StepKind::Hub, 2), 30);
    QCOMPARE(records[1].flowAfter(StepKind::Hub, 1), 50);
    QCOMPARE(records[2].hubsAutomatic, (QList<int>{1, 2}));
    // Hub dialogs opened: two in the first exercise (the wrong answer stays in its dialog),
    // then one for every hub of the second that did not pass by itself.
    const int hubDialogs =
        static_cast<int>(program.student.dialogsOpened.count(QStringLiteral("Tf_hub1")) +
                         program.student.dialogsOpened.count(QStringLiteral("Tf_hub2")));
    QCOMPARE(hubDialogs, 2 + 2 - static_cast<int>(automaticInSecond.size()));
    // Each automatic pass still moved the frame on and is shown in the LED picture.
    QCOMPARE(records[2].path(), (QList<int>{35, 41, 45, 50, 60}));
    QCOMPARE(paintedHubLeds(windows().f_hub1),
             ledsOf(kw::ComputeExpectedHubLeds(1, kw::flow::TowardsBothHubs, 7)));
    QCOMPARE(paintedHubLeds(windows().f_hub2),
             ledsOf(kw::ComputeExpectedHubLeds(2, kw::flow::OneOfTwoHubsDone, 7)));
}

void TestExercises::exampleImposedSeriesShowsEveryPath()
{
    const QByteArray configuration =
        exampleFile(QStringLiteral("serie_imposee"), QStringLiteral("kw_switch.INI"));
    const QByteArray exercises =
        exampleFile(QStringLiteral("serie_imposee"), QStringLiteral("switchexos.kw"));
    QVERIFY(!configuration.isEmpty());
    QVERIFY(!exercises.isEmpty());
    Program program(configuration, exercises.constData());
    QVERIFY(program.started());
    const int count = kw::test::state().ImposedCount;
    QVERIFY(count > 0);
    QVERIFY(!kw::test::state().RandomAfterImposed);
    const int ttlMax = kw::TtlFromText(kw::test::state().TtlMaxText);

    Player player(program);
    QVERIFY(player.playExercises(count));
    QVERIFY(player.current().seriesEnded);
    QVERIFY(SeriesEndText.match(windows().Principale->resultat->text()).hasMatch());
    QVERIFY(!windows().Principale->Nouveau->isEnabled());
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(0));

    std::set<PathKind> seen;
    for (const ExerciseRecord& r : player.exercises()) {
        QVERIFY(r.completed);
        const QString error = switchStepError(r, ttlMax);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const PathKind kind = kindOf(r);
        qInfo("exercise %d: %d to %d, %s", r.number, r.source, r.destination, nameOf(kind));
        seen.insert(kind);
    }
    for (PathKind kind : AllKinds)
        QVERIFY2(seen.count(kind) == 1, nameOf(kind));
}

void TestExercises::exampleSeriesByKeysOnly_data()
{
    QTest::addColumn<int>("exercise"); // 1.. in the example series
    QTest::addColumn<PathKind>("kind");
    QTest::addColumn<Mistake>("mistake");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("message");
    QTest::newRow("1 2: another station before the emission")
        << 1 << PathKind::SameHubFlood << Mistake::ClickOutOfTurn << 0
        << QStringLiteral("Ce n'est pas le noeud émetteur");
    QTest::newRow("2 1: filtered frame called unknown")
        << 2 << PathKind::SameHubFiltered << Mistake::WrongPortChoice << 2
        << QStringLiteral("Adresses mal analysées");
    QTest::newRow("7 5: addresses swapped")
        << 3 << PathKind::ServerToUnknownMachine << Mistake::WrongAddress << 0
        << QStringLiteral("Une adresse MAC est incorrecte");
    QTest::newRow("3 7: a wrong hub LED")
        << 4 << PathKind::MachineToKnownServer << Mistake::WrongHubLed << 1
        << QStringLiteral("Au moins une led RX est mal positionnée");
    QTest::newRow("5 9: a flood missing a port")
        << 5 << PathKind::BroadcastFromMachine << Mistake::WrongSwitchLed << -1
        << QStringLiteral("Au moins une Led émission mal positionnée");
    QTest::newRow("1 5: the switch left by Escape, then done")
        << 6 << PathKind::Hub1ToKnownHub2 << Mistake::CloseFirst << 2 << QString();
    QTest::newRow("8 9: the destination's address learned")
        << 7 << PathKind::BroadcastFromServer << Mistake::WrongTableUpdate << -1
        << QStringLiteral("La table n'est pas correctement mise à jour");
    QTest::newRow("7 8: a hub ticked the wrong way")
        << 8 << PathKind::ServerToKnownServer << Mistake::WrongNonConcerne << -1
        << QStringLiteral("Une et une seule coche par ligne");
}

void TestExercises::exampleSeriesByKeysOnly()
{
    QFETCH(int, exercise);
    QFETCH(PathKind, kind);
    QFETCH(Mistake, mistake);
    QFETCH(int, step);
    QFETCH(QString, message);
    Program program(
        exampleFile(QStringLiteral("serie_imposee"), QStringLiteral("kw_switch.INI")),
        exampleFile(QStringLiteral("serie_imposee"), QStringLiteral("switchexos.kw")).constData());
    QVERIFY(program.started());
    Player player(program);
    // The exercises before it with the mouse, then "Nouveau" and the exercise by keys only;
    // the player checks after every element what it checks of a mouse play.
    QVERIFY(player.playExercises(exercise - 1));
    player.keyboard = true;
    if (exercise > 1)
        QVERIFY(player.nouveau());
    const std::size_t boxesBefore = program.student.boxes.size();
    player.makeMistake(mistake, step);
    QVERIFY(player.playExercise());
    QVERIFY(player.mistakeMade());

    const ExerciseRecord& r = player.current();
    QCOMPARE(r.number, exercise);
    QCOMPARE(kindOf(r), kind);
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(kw::test::isCounted(mistake) ? 1 : 0));
    QStringList boxes{EndOfFrameText};
    if (!message.isEmpty())
        boxes.prepend(message);
    QCOMPARE(program.student.boxTexts().mid(static_cast<qsizetype>(boxesBefore)), boxes);
    QCOMPARE(r.seriesEnded, exercise == kw::test::state().ImposedCount);
}

void TestExercises::exampleRandomSeriesNeverEnds()
{
    const QByteArray configuration =
        exampleFile(QStringLiteral("serie_aleatoire"), QStringLiteral("kw_switch.INI"));
    const QByteArray exercises =
        exampleFile(QStringLiteral("serie_aleatoire"), QStringLiteral("switchexos.kw"));
    QVERIFY(!configuration.isEmpty());
    Program program(configuration, exercises.constData());
    QVERIFY(program.started());
    QCOMPARE(kw::test::state().ImposedCount, std::uint8_t(0));
    const int ttlMax = kw::TtlFromText(kw::test::state().TtlMaxText);

    Player player(program);
    constexpr int Count = 20;
    QVERIFY(player.playExercises(Count));
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(0));
    QCOMPARE(player.exercises().size(), std::size_t(Count));
    int broadcasts = 0;
    int automaticHubs = 0;
    for (const ExerciseRecord& r : player.exercises()) {
        QVERIFY(r.completed);
        QVERIFY(!r.seriesEnded);
        QVERIFY(r.source != r.destination);
        const QString error = switchStepError(r, ttlMax);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        broadcasts += r.destination == kw::BroadcastIndex ? 1 : 0;
        automaticHubs += static_cast<int>(r.hubsAutomatic.size());
    }
    QVERIFY(broadcasts > 0);
    QVERIFY(automaticHubs > 0); // hub_auto=4 in that folder
    QVERIFY(windows().Principale->Nouveau->isEnabled());
    QVERIFY(!windows().Principale->resultat->isVisible());
    QVERIFY(player.nouveau());
    QCOMPARE(kw::test::state().ExerciseNumber, std::uint16_t(Count + 1));
}

void TestExercises::randomSeriesUnderOtherSettings_data()
{
    QTest::addColumn<QByteArray>("configuration");
    QTest::addColumn<int>("ttlMax");
    QTest::newRow("every station known, long lifetimes")
        << ini("entrees_initiales=12345678\r\nttl_max=255\r\nfreq_multi=1\r\n") << 255;
    QTest::newRow("short lifetimes: entries come and go")
        << ini("entrees_initiales=7\r\nttl_max=25\r\nfreq_multi=0\r\nhub_auto=1\r\n") << 25;
    QTest::newRow("lifetime 8: nothing stays in the table")
        << ini("entrees_initiales=15\r\nttl_max=8\r\nfreq_multi=3\r\n") << 8;
}

void TestExercises::randomSeriesUnderOtherSettings()
{
    QFETCH(QByteArray, configuration);
    QFETCH(int, ttlMax);
    // An exercise file without exercises and without "FIN": every exercise is drawn.
    Program program(configuration, "");
    QVERIFY(program.started());
    Player player(program);
    QVERIFY(player.playExercises(15));
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(0));
    for (const ExerciseRecord& r : player.exercises()) {
        const QString error = switchStepError(r, ttlMax);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        // Every entry goes in the step that learns it; only the first frame may still find
        // one of the initial entries.
        if (ttlMax <= 8) {
            QCOMPARE(tableText(r.tableAfter), tableText(kw::SwitchTable{}));
            if (r.number > 1)
                QCOMPARE(QString::fromStdString(r.lookup), QStringLiteral(" "));
        }
    }
    QVERIFY(windows().Principale->Nouveau->isEnabled());
}

void TestExercises::cleanup()
{
    QVERIFY(kw::seam::script() == nullptr);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget))
            QVERIFY2(!dialog->isVisible(), dialog->metaObject()->className());
    }
}

KW_TEST_MAIN(TestExercises)
#include "tst_exercises.moc"
