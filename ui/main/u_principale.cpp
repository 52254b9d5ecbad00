#include "u_principale.h"

#include "game.h"
#include "kit/picture_accessible.h"
#include "kit/play.h"
#include "kit/widgets.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QTableWidget>

namespace {

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
    kw::ui::setupFrameGrid(trame_gauche);
    kw::ui::showFrame(trame_gauche, kw::ui::play().game().view().principale.frame);
}

bool TPrincipale::FormCreate(const std::optional<std::string>& startArgument)
{
    // The folder named on the command line, or else the current one.
    const std::string folder = QDir::currentPath().toStdString();
    kw::ui::play().act([&](kw::Game& g) { return g.start(folder, startArgument); });
    m_startedUp = kw::ui::play().game().started();
    return m_startedUp;
}

void TPrincipale::NouveauClick()
{
    kw::ui::play().act([](kw::Game& g) { return g.nouveau(); });
}

void TPrincipale::APropos1Click()
{
    kw::ui::play().act([](kw::Game& g) { return g.about(); });
}

void TPrincipale::Quitter1Click()
{
    close();
}

void TPrincipale::closeEvent(QCloseEvent* event)
{
    // The window closes only once the student has confirmed that the program ends.
    kw::ui::play().act([](kw::Game& g) { return g.quit(); });
    event->setAccepted(kw::ui::play().game().ended());
}

void TPrincipale::Image1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)
{
    // The station dialogs are placed from the window's frame.
    const QPoint corner = pos();
    kw::ui::play().act([&](kw::Game& g) { return g.clickDiagram(x, y, corner.x(), corner.y()); });
}

void TPrincipale::DrawCableLine(int cable, kw::CableLine line, const QColor& colour)
{
    Image1->drawPixels(kw::CableLinePixels(cable, line), colour);
}

void TPrincipale::refresh(const kw::Game& game)
{
    const kw::MainView& view = game.view().principale;
    kw::ui::setText(Edit1, kw::ui::fromUtf8(view.sourceName));
    kw::ui::setText(Edit2, kw::ui::fromUtf8(view.destinationName));
    Nouveau->setEnabled(view.nouveauEnabled);
    // A frame grid not built yet has never been shown.
    QTableWidget* frame = view.frameShown ? trame_gauche.get() : trame_gauche.ifBuilt();
    if (frame) {
        kw::ui::showFrame(frame, view.frame);
        kw::ui::setShown(frame, view.frameShown);
    }
    kw::ui::setText(resultat, kw::ui::fromUtf8(view.result));
    kw::ui::setShown(resultat, view.resultShown);
}
