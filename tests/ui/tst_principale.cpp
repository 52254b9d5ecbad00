// The program's start-up, main window, progress window, about box and address list.

#include "student.h"

#include "app/command_line.h"
#include "app/front_end.h"
#include "app/windows.h"
#include "game.h"
#include "kit/widgets.h"
#include "main/a_propos.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "stations/u_MACs.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTextStream>

using kw::test::Program;
using kw::ui::windows;

namespace {

const QByteArray imposedIni = "[parametres]\r\nquestions=.\r\n";

QString fromUtf8(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

class TestPrincipale : public QObject {
    Q_OBJECT

private slots:
    void startUpWithoutConfigurationNamesTheFolder();
    void startUpWithNothingToPlayEnds();
    void commandLine_data();
    void commandLine();
    void helpAndVersionNeedNoDisplay();
    void checkingASeries_data();
    void checkingASeries();
    void startUpShowsTheWindows();
    void mainWindowLayout();
    void exerciseNamesShown_data();
    void exerciseNamesShown();
    void cablesStartBlack();
    void closeQuestion_data();
    void closeQuestion();
    void aboutBoxLeavesTheExerciseAlone();
    void addressListRefusesToClose();
    void progressWindowRefusesToClose();
    void reportErrorUpdatesTheTotalBeforeItsBox();
    void senderBoxNeverStaysTicked();
    void destinationBoxReportsOnce();
    void endOfFrameCheck_data();
    void endOfFrameCheck();
    void heldEnterEndsTheFrameOnce_data();
    void heldEnterEndsTheFrameOnce();
    void imposedSeriesEndsWithItsTime();
    void nextExerciseShowsItsNumber();
    void hubRowBetweenHubsIsRefused();
    void unreadableExerciseFileGivesRandomSeries();
    void cleanup();
};

void TestPrincipale::startUpWithoutConfigurationNamesTheFolder()
{
    Program program(QByteArray(), nullptr, false);
    QVERIFY(!program.started());
    QCOMPARE(program.student.boxes.size(), std::size_t(1));
    const auto& box = program.student.boxes.front();
    QCOMPARE(box.kind, kw::seam::BoxKind::Error);
    QCOMPARE(box.caption, QStringLiteral("Erreur"));
    QCOMPARE(box.text, fromUtf8("KW_switch.ini non trouvé sur ") + QDir::currentPath());
    QVERIFY(!windows().Principale);
}

void TestPrincipale::startUpWithNothingToPlayEnds()
{
    Program program("[adresses MAC]\r\nMachine1=00-00-00-00-00-01\r\n");
    QVERIFY(!program.started());
    QCOMPARE(program.student.boxTexts(),
             QStringList{fromUtf8("Ni exercice imposé ni exercice aléatoire\n\r"
                                  "Fichier d'exercices incorrect")});
}

void TestPrincipale::commandLine_data()
{
    // "@" stands for a folder holding the series "serie" (with notes.txt beside its two
    // files), the same series in "Majuscules" as KW_SWITCH.ini, the link lien.ini to
    // serie/kw_switch.INI, and the empty folder "ailleurs" the program is started in.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitStatus");      // -1: the program goes on to its start-up
    QTest::addColumn<QString>("printed");     // the start of what help or a refusal printed
    QTest::addColumn<QString>("startFolder"); // when the series starts
    QTest::addColumn<QString>("box");         // the error box, when it does not

    const QString go;
    QTest::newRow("no argument: the current folder")
        << QStringList{} << -1 << go << go << fromUtf8("KW_switch.ini non trouvé sur @/ailleurs");
    QTest::newRow("folder") << QStringList{QStringLiteral("@/serie")} << -1 << go
                            << QStringLiteral("@/serie") << go;
    QTest::newRow("relative folder")
        << QStringList{QStringLiteral("../serie/")} << -1 << go << QStringLiteral("@/serie") << go;
    QTest::newRow("configuration file") << QStringList{QStringLiteral("@/serie/kw_switch.INI")}
                                        << -1 << go << QStringLiteral("@/serie") << go;
    QTest::newRow("relative configuration file, other case")
        << QStringList{QStringLiteral("../Majuscules/KW_SWITCH.ini")} << -1 << go
        << QStringLiteral("@/Majuscules") << go;
    QTest::newRow("link to a configuration file")
        << QStringList{QStringLiteral("@/lien.ini")} << -1 << go << QStringLiteral("@/serie") << go;
    QTest::newRow("Qt's own options let through")
        << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"),
                       QStringLiteral("@/serie")}
        << -1 << go << QStringLiteral("@/serie") << go;
    QTest::newRow("missing folder") << QStringList{QStringLiteral("../absente")} << -1 << go << go
                                    << fromUtf8("Le dossier « @/absente » n'existe pas.");
    QTest::newRow("missing configuration file")
        << QStringList{QStringLiteral("@/ailleurs/kw_switch.ini")} << -1 << go << go
        << fromUtf8("Le fichier « @/ailleurs/kw_switch.ini » n'existe pas.");
    QTest::newRow("file that is no configuration")
        << QStringList{QStringLiteral("@/serie/notes.txt")} << -1 << go << go
        << fromUtf8("« @/serie/notes.txt » n'est ni un dossier de série ni son fichier de "
                    "configuration kw_switch.INI.");
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << 0
                            << QStringLiteral("Utilisation : kw_switch [DOSSIER") << go << go;
    QTest::newRow("-v") << QStringList{QStringLiteral("@/serie"), QStringLiteral("-v")} << 0
                        << QStringLiteral("kw_switch 1.") << go << go;
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("--aide")} << 2
        << fromUtf8("kw_switch : option inconnue « --aide »") << go << go;
    QTest::newRow("two series") << QStringList{QStringLiteral("@/serie"),
                                               QStringLiteral("@/Majuscules")}
                                << 2 << fromUtf8("kw_switch : une seule série") << go << go;
}

void TestPrincipale::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitStatus);
    QFETCH(QString, printed);
    QFETCH(QString, startFolder);
    QFETCH(QString, box);

    QTemporaryDir temporary;
    const QString root = QFileInfo(temporary.path()).canonicalFilePath();
    const QDir dir(root);
    for (const QString& folder :
         {QStringLiteral("serie"), QStringLiteral("Majuscules"), QStringLiteral("ailleurs")})
        QVERIFY(dir.mkdir(folder));
    const auto write = [&](const QString& name, const QByteArray& content) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    write(QStringLiteral("serie/kw_switch.INI"), imposedIni);
    write(QStringLiteral("serie/switchexos.kw"), "1 2\r\nFIN\r\n");
    write(QStringLiteral("serie/notes.txt"), imposedIni);
    write(QStringLiteral("Majuscules/KW_SWITCH.ini"), imposedIni);
    write(QStringLiteral("Majuscules/switchexos.kw"), "3 4\r\nFIN\r\n");
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("serie/kw_switch.INI")),
                        dir.filePath(QStringLiteral("lien.ini"))));

    const QString previousFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.filePath(QStringLiteral("ailleurs"))));
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const auto restore = qScopeGuard([&] {
        QDir::setCurrent(previousFolder);
        kw::ui::readCommandLine(QStringList{QStringLiteral("kw_switch")}, outStream, errStream);
    });
    QStringList commandLine{QStringLiteral("kw_switch")};
    for (const QString& argument : arguments)
        commandLine << QString(argument).replace(QLatin1Char('@'), root);

    const std::optional<int> status = kw::ui::readCommandLine(commandLine, outStream, errStream);
    outStream.flush();
    errStream.flush();
    QCOMPARE(status.value_or(-1), exitStatus);
    if (status) {
        QVERIFY2((out + err).startsWith(printed), qPrintable(out + err));
        QVERIFY(*status == 0 ? err.isEmpty() : out.isEmpty());
        return;
    }
    QVERIFY(out.isEmpty() && err.isEmpty());

    kw::test::Student student;
    const bool started = kw::ui::createWindows();
    QString startedIn;
    int imposed = 0;
    if (started) {
        startedIn = QString::fromStdString(kw::test::state().StartFolder);
        imposed = kw::test::state().ImposedCount;
        kw::ui::destroyWindows();
    }
    QCOMPARE(started, box.isEmpty());
    QCOMPARE(student.boxTexts(), box.isEmpty()
                                     ? QStringList{}
                                     : QStringList{QString(box).replace(QLatin1Char('@'), root)});
    if (started) {
        QCOMPARE(startedIn, QString(startFolder).replace(QLatin1Char('@'), root));
        // questions=. is the series' folder, not the folder the program was started in.
        QCOMPARE(imposed, 1);
    }
}

// Run as a program, with no display to connect to.
void TestPrincipale::helpAndVersionNeedNoDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("--version")}) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(KW_PROGRAM), {option});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        const QString printed = QString::fromUtf8(program.readAllStandardOutput());
        QVERIFY2(
            printed.contains(QRegularExpression(QStringLiteral("^(Utilisation|kw_switch \\d)"))),
            qPrintable(printed));
        QCOMPARE(program.readAllStandardError(), QByteArray());
    }
}

void TestPrincipale::checkingASeries_data()
{
    // "@" stands for the empty folder the program is started in.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitStatus");
    QTest::addColumn<QStringList>("printed"); // lines of the standard output
    QTest::addColumn<QString>("complaint");   // the start of the standard error
    const QString examples = QStringLiteral(KW_EXAMPLES);
    const QString verifier = QStringLiteral("--verifier");
    QTest::newRow("imposed example")
        << QStringList{verifier, examples + QStringLiteral("/serie_imposee")} << 0
        << QStringList{QStringLiteral("exercices imposés : 8"),
                       fromUtf8("Bilan : la série se joue comme elle est écrite (code 0).")}
        << QString();
    QTest::newRow("random example, by its configuration file")
        << QStringList{verifier, examples + QStringLiteral("/serie_aleatoire/kw_switch.INI")} << 0
        << QStringList{fromUtf8("pas de FIN : tous les exercices sont tirés au hasard, sans fin")}
        << QString();
    QTest::newRow("missing folder")
        << QStringList{verifier, QStringLiteral("absente")} << 2
        << QStringList{fromUtf8("refus : Le dossier « @/absente » n'existe pas.")} << QString();
    QTest::newRow("no folder after the option")
        << QStringList{verifier} << 2 << QStringList{}
        << fromUtf8("kw_switch : --verifier attend un dossier");
    QTest::newRow("a second series")
        << QStringList{verifier, examples + QStringLiteral("/serie_imposee"),
                       examples + QStringLiteral("/serie_aleatoire")}
        << 2 << QStringList{} << fromUtf8("kw_switch : une seule série");
}

// Run as a program, with no display to connect to: the check opens no window.
void TestPrincipale::checkingASeries()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitStatus);
    QFETCH(QStringList, printed);
    QFETCH(QString, complaint);
    QTemporaryDir temporary;
    const QString root = QFileInfo(temporary.path()).canonicalFilePath();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(root);
    program.start(QStringLiteral(KW_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    const QString out = QString::fromUtf8(program.readAllStandardOutput());
    const QString err = QString::fromUtf8(program.readAllStandardError());
    QCOMPARE(program.exitCode(), exitStatus);
    QStringList lines;
    for (const QString& line : out.split(QLatin1Char('\n')))
        lines << line.trimmed();
    for (const QString& line : printed)
        QVERIFY2(lines.contains(QString(line).replace(QLatin1Char('@'), root)), qPrintable(out));
    if (complaint.isEmpty()) {
        QCOMPARE(err, QString());
    } else {
        QVERIFY2(err.startsWith(complaint), qPrintable(err));
        QCOMPARE(out, QString());
    }
}

void TestPrincipale::startUpShowsTheWindows()
{
    Program program(imposedIni, "1 2\r\nFIN\r\n");
    QVERIFY(program.started());
    QCOMPARE(QApplication::applicationName(), QStringLiteral("Velcor"));
    QVERIFY(windows().Principale->isVisible());
    QVERIFY(windows().f_avance->isVisible());
    QVERIFY(windows().f_avance->isMinimized());
    QVERIFY(windows().f_avance->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(windows().AdressesMAC->isVisible());
    QVERIFY(windows().AdressesMAC->isMinimized());
    QVERIFY(windows().AdressesMAC->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!windows().apropos->isVisible());
    QCOMPARE(kw::test::state().FlowState, kw::flow::ExerciseReady);
    QVERIFY(!windows().Principale->Nouveau->isEnabled());
    QVERIFY(program.student.boxes.empty());
}

void TestPrincipale::mainWindowLayout()
{
    Program program(imposedIni, "1 2\r\n");
    TPrincipale* w = windows().Principale;
    QCOMPARE(w->windowTitle(), QStringLiteral("Animation sur le commutateur ethernet  (switch).   "
                                              "         Brevanne  V 1.0"));
    // The client area below the menu: the outer 640 x 468 less frame, caption and menu line.
    QCOMPARE(w->centralWidget()->size(), QSize(632, 422));
    QCOMPARE(w->Label1->geometry(), QRect(24, 18, 158, 13));
    QCOMPARE(w->Label1->text(), QStringLiteral("Emission d'une trame  de  : "));
    QCOMPARE(w->Edit1->geometry(), QRect(184, 16, 121, 21));
    QVERIFY(!w->Edit1->isEnabled());
    QCOMPARE(w->Edit2->geometry(), QRect(344, 16, 121, 21));
    QCOMPARE(w->Label3->geometry(), QRect(120, 48, 405, 32));
    QCOMPARE(w->Image1->geometry(), QRect(72, 96, 485, 234));
    QCOMPARE(w->Image1->canvas().size(), QSize(485, 234));
    QCOMPARE(w->trame_gauche->geometry(), QRect(112, 344, 385, 25));
    QVERIFY(!w->trame_gauche->isVisible());
    QCOMPARE(kw::ui::cell(w->trame_gauche, 3, 0), fromUtf8(" Couches LLC et supérieures"));
    QCOMPARE(kw::ui::cell(w->trame_gauche, 4, 0), QStringLiteral("FCS"));
    QCOMPARE(w->resultat->geometry(), QRect(40, 384, 521, 33));
    const QList<QAction*> menu = w->menuBar()->actions();
    QCOMPARE(menu.size(), 3);
    // Alt and the first letter, with the captions as they are.
    const QStringList captions{QStringLiteral("Nouveau"), QStringLiteral("A propos"),
                               QStringLiteral("Quitter")};
    const QList<QKeySequence> letters{QKeySequence(Qt::ALT | Qt::Key_N),
                                      QKeySequence(Qt::ALT | Qt::Key_A),
                                      QKeySequence(Qt::ALT | Qt::Key_Q)};
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(w->menuBar());
    QVERIFY(bar && bar->childCount() == 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(menu[i]->text(), captions[i]);
        QCOMPARE(menu[i]->shortcut(), letters[i]);
        QCOMPARE(bar->child(i)->text(QAccessible::Name), captions[i]);
    }
}

void TestPrincipale::exerciseNamesShown_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("destination");
    QTest::newRow("Machine 3 to Broadcast")
        << QByteArray("3 9") << QStringLiteral("Machine 3") << QStringLiteral("Broadcast");
    QTest::newRow("ServeurA to Machine 6")
        << QByteArray("7,6") << QStringLiteral("ServeurA") << QStringLiteral("Machine 6");
    QTest::newRow("Machine 5 to ServeurB")
        << QByteArray("58") << QStringLiteral("Machine 5") << QStringLiteral("ServeurB");
}

void TestPrincipale::exerciseNamesShown()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, source);
    QFETCH(QString, destination);
    Program program(imposedIni, (line + "\r\nFIN\r\n").constData());
    QCOMPARE(windows().Principale->Edit1->text(), source);
    QCOMPARE(windows().Principale->Edit2->text(), destination);
}

void TestPrincipale::cablesStartBlack()
{
    Program program(imposedIni, "1 2\r\n");
    const QRgb black = qRgb(0, 0, 0);
    for (const auto& p : kw::CableLinePixels(1, kw::CableLine::First))
        QCOMPARE(program.diagramPixel(p.x, p.y), black);
    for (const auto& p : kw::CableLinePixels(1, kw::CableLine::Second))
        QCOMPARE(program.diagramPixel(p.x, p.y), black);
    QCOMPARE(program.diagramPixel(28, 192), black);
    // The line-to leaves out its end point, the grey centre of Hub 1's port-1 LED square.
    QCOMPARE(program.diagramPixel(55, 147), qRgb(204, 204, 204));
}

void TestPrincipale::closeQuestion_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("how"); // 0 the close box, 1 "Quitter", 2 Alt+Q
    QTest::newRow("close box, Annuler") << false << 0;
    QTest::newRow("close box, OK") << true << 0;
    QTest::newRow("Quitter, Annuler") << false << 1;
    QTest::newRow("Quitter, OK") << true << 1;
    QTest::newRow("Alt+Q, Annuler") << false << 2;
    QTest::newRow("Alt+Q, OK") << true << 2;
}

void TestPrincipale::closeQuestion()
{
    QFETCH(bool, answer);
    QFETCH(int, how);
    Program program(imposedIni, "1 2\r\n");
    program.student.thenAnswer(answer);
    TPrincipale* w = windows().Principale;
    if (how == 2) {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::AltModifier);
    } else if (how == 1) {
        w->Quitter1->trigger();
    } else {
        w->close();
    }
    QCOMPARE(program.student.boxes.size(), std::size_t(1));
    QCOMPARE(program.student.boxes[0].kind, kw::seam::BoxKind::Confirmation);
    QCOMPARE(program.student.boxes[0].caption, QStringLiteral("Confirmation"));
    QCOMPARE(program.student.boxes[0].text, QStringLiteral("Terminer ?"));
    QCOMPARE(windows().Principale->isVisible(), !answer);
}

void TestPrincipale::aboutBoxLeavesTheExerciseAlone()
{
    Program program(imposedIni, "1 2\r\n");
    kw::test::state().FlowState = kw::flow::SenderHubDone;
    kw::test::state().ErrorTotal = 4;
    const QImage before = windows().Principale->Image1->canvas();
    QString shownVersion;
    program.student.thenDialog([&](QDialog* dialog) {
        auto* about = qobject_cast<Tapropos*>(dialog);
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("KW SWITCH"));
        QCOMPARE(about->size(), QSize(289, 221));
        // The panel's edge is etched: dark then light from the outside at the top left,
        // light outside dark at the bottom right.
        const QImage panel = about->Panel1->grab().toImage();
        const QPoint end(panel.width() - 1, panel.height() - 1);
        QVERIFY(qGray(panel.pixel(0, 0)) < qGray(panel.pixel(1, 1)));
        QVERIFY(qGray(panel.pixel(end)) > qGray(panel.pixel(end - QPoint(1, 1))));
        shownVersion = about->Version->text();
        QVERIFY(about->OKButton->isDefault());
        QTest::mouseClick(about->OKButton, Qt::LeftButton);
    });
    windows().Principale->APropos1->trigger();
    QCOMPARE(program.student.dialogsOpened, QStringList{QStringLiteral("Tapropos")});
    QCOMPARE(shownVersion, fromUtf8("Version 1.0  février 2000"));
    QVERIFY(!windows().apropos->isVisible());
    QCOMPARE(windows().apropos->result(), int(QDialog::Accepted));
    QCOMPARE(kw::test::state().FlowState, kw::flow::SenderHubDone);
    QCOMPARE(kw::test::state().ErrorTotal, 4);
    QCOMPARE(windows().Principale->Image1->canvas(), before);
}

void TestPrincipale::addressListRefusesToClose()
{
    Program program(
        "[adresses MAC]\r\nServeurB = 12-34-56-78-9A-BC\r\n[parametres]\r\nquestions=.\r\n",
        "1 2\r\n");
    TAdressesMAC* list = windows().AdressesMAC;
    QCOMPARE(list->windowTitle(), QStringLiteral("Adresses MAC"));
    QCOMPARE(kw::ui::cell(list->table_MAC, 0, 0), QString());
    QCOMPARE(kw::ui::cell(list->table_MAC, 1, 0), QStringLiteral("adresses MAC"));
    QCOMPARE(kw::ui::cell(list->table_MAC, 0, 8), QStringLiteral("ServeurB"));
    QCOMPARE(list->macOf(8), QStringLiteral("12-34-56-78-9A-BC"));
    QCOMPARE(list->macOf(1), QStringLiteral("00-C0-B0-69-16-25"));
    QCOMPARE(kw::ui::cell(list->table_MAC, 1, 9), QStringLiteral("FF-FF-FF-FF-FF-FF"));
    QCOMPARE(kw::test::cellSize(list->table_MAC, 0, 0).width(), 85);
    QVERIFY(!list->close());
    QVERIFY(list->isVisible());
    QVERIFY(program.student.boxes.empty());
}

void TestPrincipale::progressWindowRefusesToClose()
{
    Program program(imposedIni, "1 2\r\n");
    Tf_avance* progress = windows().f_avance;
    QCOMPARE(progress->windowTitle(), QStringLiteral("Avancement"));
    QCOMPARE(progress->size(), QSize(173, 220)); // the outer 181 x 247 less its frame
    QCOMPARE(progress->fin_traitement->geometry(), QRect(2, 192, 167, 26));
    QVERIFY(!progress->fin_traitement->isEnabled());
    QVERIFY(!progress->_hub1->isEnabled());
    QVERIFY(!progress->close());
    QVERIFY(progress->isVisible());
    QVERIFY(program.student.boxes.empty());
}

void TestPrincipale::reportErrorUpdatesTheTotalBeforeItsBox()
{
    Program program(imposedIni, "1 2\r\n");
    QStringList labelsSeen;
    program.student.onBox = [&](const kw::seam::BoxRecord&) {
        labelsSeen << windows().f_avance->label_erreurs->text();
    };
    // Three clicks on a station that is not the sender, each one a counted error.
    for (int i = 0; i < 3; ++i)
        program.clickStation(2);
    QCOMPARE(labelsSeen,
             (QStringList{QStringLiteral("Cumul erreurs = 1"), QStringLiteral("Cumul erreurs = 2"),
                          QStringLiteral("Cumul erreurs = 3")}));
    QCOMPARE(program.student.boxes.back().kind, kw::seam::BoxKind::Warning);
    QCOMPARE(program.student.boxes.back().caption, QStringLiteral("Avertissement"));
    windows().f_avance->FormActivate();
    QCOMPARE(windows().f_avance->label_erreurs->text(), QStringLiteral("Cumul erreurs = 3"));
    QCOMPARE(windows().f_avance->numero_exo->text(), fromUtf8("Exercice N° 1  (1)"));
}

void TestPrincipale::senderBoxNeverStaysTicked()
{
    Program program(imposedIni, "1 2\r\n");
    QTest::mouseClick(windows().f_avance->emetteur, Qt::LeftButton, {},
                      QPoint(5, windows().f_avance->emetteur->height() / 2));
    QCOMPARE(program.student.boxTexts(), QStringList{fromUtf8("L'émetteur doit émettre !")});
    QVERIFY(!windows().f_avance->emetteur->isChecked());
    QCOMPARE(kw::test::state().ErrorTotal, 1);
}

void TestPrincipale::destinationBoxReportsOnce()
{
    Program program(imposedIni, "1 2\r\n");
    windows().f_avance->destinataire->setChecked(true);
    QCOMPARE(program.student.boxTexts(),
             QStringList{fromUtf8("Vérifiez le destinataire (et l'expéditeur)")});
    QVERIFY(!windows().f_avance->destinataire->isChecked());
    QCOMPARE(kw::test::state().ErrorTotal, 1);
}

void TestPrincipale::endOfFrameCheck_data()
{
    QTest::addColumn<bool>("hub1");
    QTest::addColumn<bool>("hub1Treated");
    QTest::addColumn<bool>("hub2");
    QTest::addColumn<bool>("hub2Treated");
    QTest::addColumn<bool>("passes");
    QTest::newRow("Hub 2 not concerned") << false << true << true << false << true;
    QTest::newRow("both hubs treated") << false << true << false << true << true;
    QTest::newRow("Hub 1 ticked twice") << true << true << true << false << false;
    QTest::newRow("Hub 2 row empty") << false << true << false << false << false;
    QTest::newRow("both not concerned") << true << false << true << false << true;
}

void TestPrincipale::endOfFrameCheck()
{
    QFETCH(bool, hub1);
    QFETCH(bool, hub1Treated);
    QFETCH(bool, hub2);
    QFETCH(bool, hub2Treated);
    QFETCH(bool, passes);
    Program program(imposedIni, "1 7\r\n");
    Tf_avance* progress = windows().f_avance;
    kw::test::state().FlowState = kw::flow::FrameDone;
    kw::test::completeFrame();
    progress->Hub1->setChecked(hub1);
    kw::test::setTicked(kw::Tick::_hub1, hub1Treated);
    progress->Hub2->setChecked(hub2);
    kw::test::setTicked(kw::Tick::_hub2, hub2Treated);
    QVERIFY(progress->fin_traitement->isEnabled());
    QTest::mouseClick(progress->fin_traitement, Qt::LeftButton);
    const QString success = fromUtf8("Vous avez mené à bien cette transmission\r\n"
                                     "Utilisez le menu Nouveau");
    if (passes) {
        QCOMPARE(program.student.boxTexts(), QStringList{success});
        QCOMPARE(program.student.boxes[0].kind, kw::seam::BoxKind::Information);
        QCOMPARE(kw::test::state().ErrorTotal, 0);
        // An exercise file without FIN goes on with random exercises.
        QVERIFY(windows().Principale->Nouveau->isEnabled());
    } else {
        QCOMPARE(program.student.boxTexts(),
                 QStringList{QStringLiteral("Une et une seule coche par ligne")});
        QCOMPARE(kw::test::state().ErrorTotal, 1);
        QVERIFY(!windows().Principale->Nouveau->isEnabled());
    }
    QCOMPARE(kw::test::state().FlowState, kw::flow::FrameDone);
}

void TestPrincipale::heldEnterEndsTheFrameOnce_data()
{
    // How a held key reaches the program: presses marked as repeated, or, as X11 repeats it,
    // a release and a press of the same instant that Qt has not marked.
    QTest::addColumn<bool>("marked");
    QTest::newRow("repeats marked") << true;
    QTest::newRow("release and press of one instant") << false;
}

void TestPrincipale::heldEnterEndsTheFrameOnce()
{
    QFETCH(bool, marked);
    Program program(imposedIni, "1 7\r\n");
    kw::test::completeFrame();
    // Neither hub ticked: the check fails, and counts an error each time it runs.
    QWidget* focus = windows().f_avance->Hub1;
    const auto send = [focus](QEvent::Type type, bool repeat, quint64 instant) {
        QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QString(), repeat);
        key.setTimestamp(instant);
        QApplication::sendEvent(focus, &key);
    };
    send(QEvent::KeyPress, false, 1000);
    for (quint64 instant = 1660; instant < 3000; instant += 40) {
        send(QEvent::KeyRelease, marked, instant);
        send(QEvent::KeyPress, marked, instant);
    }
    send(QEvent::KeyRelease, false, 3010);
    QCOMPARE(program.student.boxTexts(),
             QStringList{QStringLiteral("Une et une seule coche par ligne")});
    QCOMPARE(kw::test::state().ErrorTotal, 1);
}

void TestPrincipale::imposedSeriesEndsWithItsTime()
{
    Program program(imposedIni, "1 7\r\nFIN\r\n");
    Tf_avance* progress = windows().f_avance;
    kw::test::state().FlowState = kw::flow::FrameDone;
    kw::test::completeFrame();
    kw::test::setTicked(kw::Tick::_hub1, true);
    progress->Hub2->setChecked(true);
    QTest::mouseClick(progress->fin_traitement, Qt::LeftButton);
    QCOMPARE(program.student.boxes.size(), std::size_t(1));
    TPrincipale* w = windows().Principale;
    QVERIFY(w->resultat->isVisible());
    const QString text = w->resultat->text();
    QVERIFY2(text.startsWith(QStringLiteral("TOUS LES EXERCICES ONT ETE TRAITES en 00:00:")),
             qPrintable(text));
    QCOMPARE(text.size(), QStringLiteral("TOUS LES EXERCICES ONT ETE TRAITES en 00:00:00").size());
    QVERIFY(!w->Nouveau->isEnabled());
    // Pressing the button again repeats the check and leaves the series ended.
    QTest::mouseClick(progress->fin_traitement, Qt::LeftButton);
    QVERIFY(!w->Nouveau->isEnabled());
}

void TestPrincipale::nextExerciseShowsItsNumber()
{
    Program program(imposedIni, "1 7\r\n4 9\r\nFIN\r\n");
    TPrincipale* w = windows().Principale;
    Tf_avance* progress = windows().f_avance;
    kw::test::setTicked(kw::Tick::_emetteur, true);
    progress->Hub2->setChecked(true);
    kw::test::view().avance.finEnabled = true;
    w->DrawCableLine(3, kw::CableLine::Second, QColor(255, 255, 0));
    kw::test::view().principale.nouveauEnabled = true;
    kw::test::refresh();
    w->Nouveau->trigger();
    QCOMPARE(progress->numero_exo->text(), fromUtf8("Exercice n° = 2  (2)"));
    QCOMPARE(w->Edit1->text(), QStringLiteral("Machine 4"));
    QCOMPARE(w->Edit2->text(), QStringLiteral("Broadcast"));
    QVERIFY(!progress->_emetteur->isChecked());
    QVERIFY(!progress->Hub2->isChecked());
    QVERIFY(!progress->fin_traitement->isEnabled());
    QVERIFY(!w->Nouveau->isEnabled());
    QCOMPARE(kw::test::state().FlowState, kw::flow::ExerciseReady);
    for (const auto& p : kw::CableLinePixels(3, kw::CableLine::Second))
        QCOMPARE(program.diagramPixel(p.x, p.y), qRgb(0, 0, 0));
    QVERIFY(program.student.boxes.empty());
}

void TestPrincipale::hubRowBetweenHubsIsRefused()
{
    Program program(imposedIni, "1 2\r\n");
    program.clickDiagram(250, 145, Qt::RightButton);
    QCOMPARE(program.student.boxTexts(),
             QStringList{QStringLiteral("Ce n'est pas le moment de traiter ce hub")});
    QCOMPARE(kw::test::state().ErrorTotal, 1);
    QCOMPARE(windows().f_avance->label_erreurs->text(), QStringLiteral("Cumul erreurs = 1"));
    program.clickDiagram(50, 200);
    program.clickDiagram(250, 30);
    QCOMPARE(kw::test::state().ErrorTotal, 1);
}

void TestPrincipale::unreadableExerciseFileGivesRandomSeries()
{
    Program program("[parametres]\r\nquestions=absent\r\n");
    QVERIFY(program.started());
    QCOMPARE(program.student.boxes.size(), std::size_t(1));
    QCOMPARE(program.student.boxes[0].kind, kw::seam::BoxKind::Error);
    QCOMPARE(program.student.boxes[0].text,
             QStringLiteral("Le fichier absent/switchexos.kw \r\n n'est pas accessible"));
    const auto& exercise = kw::test::state().CurrentExercise;
    QVERIFY(exercise.source >= 1 && exercise.source <= 8);
    QVERIFY(exercise.destination >= 1 && exercise.destination <= 9);
    QVERIFY(exercise.source != exercise.destination);
}

void TestPrincipale::cleanup()
{
    QVERIFY(kw::seam::script() == nullptr);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget))
            QVERIFY2(!dialog->isVisible(), dialog->metaObject()->className());
    }
}

KW_TEST_MAIN(TestPrincipale)
#include "tst_principale.moc"
