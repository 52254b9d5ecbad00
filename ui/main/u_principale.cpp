#include "u_principale.h"

#include "a_propos.h"
#include "clock.h"
#include "command_line.h"
#include "global.h"
#include "hubs/hub_step.h"
#include "picture_accessible.h"
#include "seam.h"
#include "series.h"
#include "stations/station_click.h"
#include "switch/switch_step.h"
#include "u_avance.h"
#include "widgets.h"
#include "windows.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QTableWidget>

namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLineEdit* makeNameEdit(QWidget* parent, const QRect& geometry)
{
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(geometry);
    edit->setFont(kw::ui::defaultFont(true));
    edit->setReadOnly(true);
    edit->setEnabled(false);
    return edit;
}

QLabel* makeFixedLabel(QWidget* parent, const QRect& geometry, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setFont(kw::ui::defaultFont(true));
    return label;
}

} // namespace

TPrincipale::TPrincipale(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Principale"));
    setWindowTitle(QStringLiteral("Animation sur le commutateur ethernet  (switch).            "
                                  "Brevanne  V 1.0"));
    setFont(kw::ui::defaultFont());

    Nouveau = menuBar()->addAction(QStringLiteral("Nouveau"), this, &TPrincipale::NouveauClick);
    APropos1 = menuBar()->addAction(QStringLiteral("A propos"), this, &TPrincipale::APropos1Click);
    Quitter1 = menuBar()->addAction(QStringLiteral("Quitter"), this, &TPrincipale::Quitter1Click);
    // Alt and the first letter of each item, as shortcuts: the captions stay as they are, with
    // no underlined letter (Alt alone still enters the menu bar, the arrows and Enter choose).
    Nouveau->setShortcut(QKeySequence(Qt::ALT | Qt::Key_N));
    APropos1->setShortcut(QKeySequence(Qt::ALT | Qt::Key_A));
    Quitter1->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Q));
    Nouveau->setObjectName(QStringLiteral("Nouveau"));
    APropos1->setObjectName(QStringLiteral("APropos1"));
    Quitter1->setObjectName(QStringLiteral("Quitter1"));

    auto* client = new QWidget(this);
    setCentralWidget(client);
    // The controls' area is the layout's; the menu bar above it takes what it needs.
    const QSize clientArea =
        kw::ui::clientSize(QSize(640, 468), kw::ui::WindowFrame::Sizeable, true);
    resize(clientArea.width(), clientArea.height() + menuBar()->sizeHint().height());
    kw::ui::centreOnScreen(this, kw::ui::WindowFrame::Sizeable);

    Label1 = makeFixedLabel(client, QRect(24, 18, 158, 13),
                            QStringLiteral("Emission d'une trame  de  : "));
    Edit1 = makeNameEdit(client, QRect(184, 16, 121, 21));
    Label2 = makeFixedLabel(client, QRect(312, 20, 25, 13), QStringLiteral("vers"));
    Edit2 = makeNameEdit(client, QRect(344, 16, 121, 21));

    Label3 =
        new QLabel(QStringLiteral("Cliquer,  dans l'ordre,  sur chaque élément actif concerné. "
                                  "               ( Traiter le destinataire en dernier lieu )"),
                   client);
    Label3->setGeometry(120, 48, 405, 32);
    QFont label3Font = kw::ui::defaultFont(true);
    label3Font.setPixelSize(13);
    Label3->setFont(label3Font);
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setAutoFillBackground(true);
    QPalette yellow = Label3->palette();
    yellow.setColor(QPalette::Window, QColor(255, 255, 0));
    Label3->setPalette(yellow);

    Image1 =
        new kw::ui::ImageView(client, QRect(72, 96, 485, 234), QStringLiteral(":/diagram.png"));
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setCursor(Qt::CrossCursor);
    connect(Image1, &kw::ui::ImageView::mouseDown, this, &TPrincipale::Image1MouseDown);

    resultat = new QLabel(client);
    resultat->setGeometry(40, 384, 521, 33);
    QFont resultFont = kw::ui::defaultFont(true);
    resultFont.setPixelSize(16);
    resultat->setFont(resultFont);
    resultat->setFrameStyle(QFrame::Panel | QFrame::Raised);
    resultat->setAlignment(Qt::AlignCenter);
    resultat->hide();

    // What screen readers say of the window.
    setAccessibleDescription(QStringLiteral("Fenêtre principale : l'exercice en cours et le schéma "
                                            "du réseau sur lequel on clique chaque élément."));
    Edit1->setAccessibleName(QStringLiteral("Station émettrice"));
    Edit1->setAccessibleDescription(QStringLiteral("Station qui émet la trame de l'exercice"));
    Edit2->setAccessibleName(QStringLiteral("Destinataire"));
    Edit2->setAccessibleDescription(
        QStringLiteral("Destinataire de la trame de l'exercice : une station ou Broadcast"));
    kw::ui::makeDiagramAccessible(Image1);

    m_startedUp = FormCreate();
}

void TPrincipale::makeFrameGrid()
{
    trame_gauche = kw::ui::makeStringGrid(centralWidget(), QRect(112, 344, 385, 25), 5, 1, 0, 20);
    // In the place it has among the controls, before the result panel.
    trame_gauche->stackUnder(resultat);
    trame_gauche->setSelectionBehavior(QAbstractItemView::SelectRows);
    trame_gauche->setEnabled(false);
    trame_gauche->hide();
    trame_gauche->setAccessibleName(QStringLiteral("Trame émise"));
    trame_gauche->setAccessibleDescription(
        QStringLiteral("Adresse MAC du destinataire, adresse MAC de la source, couches LLC et "
                       "supérieures, FCS"));
    kw::ui::setupFrameGrid(trame_gauche, kw::ui::layersText());
}

bool TPrincipale::FormCreate()
{
    kw::SharedState& g = kw::global();

    // The folder named on the command line, or else the current one.
    const kw::StartFolderChoice start =
        kw::ChooseStartFolder(QDir::currentPath().toStdString(), kw::ui::startArgument());
    if (!start.error.empty()) {
        kw::seam::messageBox(kw::seam::BoxKind::Error, fromUtf8(start.error));
        return false;
    }
    const kw::StartupOutcome outcome = kw::StartUp(g, start.folder);
    for (const std::string& message : outcome.errorBoxes)
        kw::seam::messageBox(kw::seam::BoxKind::Error, fromUtf8(message));
    if (!outcome.ok)
        return false;

    DrawCables();
    NouveauClick();
    return true;
}

void TPrincipale::NouveauClick()
{
    kw::SharedState& g = kw::global();
    Nouveau->setEnabled(false);
    // A frame grid not built yet has never been shown.
    if (QTableWidget* frame = trame_gauche.ifBuilt())
        frame->hide();
    DrawCables();
    const bool resetOtherWindows = kw::StartExercise(g);
    if (g.ExerciseNumber > 1 && kw::ui::windows().f_avance)
        kw::ui::windows().f_avance->showExerciseNumber(fromUtf8(kw::ExerciseNumberCaption(g)));
    Edit1->setText(fromUtf8(g.StationTable[g.CurrentExercise.source].name));
    Edit2->setText(fromUtf8(g.StationTable[g.CurrentExercise.destination].name));
    // At the first exercise the other windows do not exist yet.
    if (resetOtherWindows)
        kw::ui::resetWindowsForNewExercise();
}

void TPrincipale::APropos1Click()
{
    kw::seam::execModal(kw::ui::windows().apropos);
}

void TPrincipale::Quitter1Click()
{
    close();
}

void TPrincipale::closeEvent(QCloseEvent* event)
{
    if (kw::seam::messageBox(kw::seam::BoxKind::Confirmation, QStringLiteral("Terminer ?"))) {
        event->accept();
        // exit(), not quit(): quit() first asks every window to close and gives up when one
        // refuses, and the two reference windows always refuse.
        QCoreApplication::exit(0);
    } else {
        event->ignore();
    }
}

void TPrincipale::Image1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)
{
    // Every button acts alike and the shift state is ignored.
    const kw::DiagramHit hit = kw::HitTestDiagram(x, y);
    switch (hit.element) {
    case kw::DiagramElement::HubRow:
        if (!kw::ui::HubStep(x))
            kw::ui::ReportError(QStringLiteral("Ce n'est pas le moment de traiter ce hub"));
        break;
    case kw::DiagramElement::Station:
        kw::global().ClickedStation = static_cast<std::uint8_t>(hit.station);
        kw::ui::StationClick();
        break;
    case kw::DiagramElement::Switch:
        kw::ui::SwitchStep();
        break;
    case kw::DiagramElement::Nothing:
        break;
    }
}

void TPrincipale::DrawCables()
{
    for (int cable = 1; cable <= kw::CableCount; ++cable) {
        DrawCableLine(cable, kw::CableLine::First, Qt::black);
        DrawCableLine(cable, kw::CableLine::Second, Qt::black);
    }
}

void TPrincipale::DrawCableLine(int cable, kw::CableLine line, const QColor& colour)
{
    Image1->drawPixels(kw::CableLinePixels(cable, line), colour);
}

void TPrincipale::FIN()
{
    if (!kw::SeriesEnded(kw::global()))
        return;
    resultat->setText(fromUtf8(kw::SeriesEndText(kw::global(), kw::NowDays())));
    resultat->show();
    Nouveau->setEnabled(false);
}

namespace kw::ui {
void DrawCableLine(int cable, kw::CableLine line, const QColor& colour)
{
    windows().Principale->DrawCableLine(cable, line, colour);
}
} // namespace kw::ui
