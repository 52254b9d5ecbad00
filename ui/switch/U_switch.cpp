#include "U_switch.h"

#include "global.h"
#include "main/seam.h"
#include "main/u_avance.h"
#include "main/widgets.h"
#include "main/windows.h"
#include "stations/u_MACs.h"
#include "u_switch_gros.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>

#include <functional>

namespace {

QString fromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

// A picture that acts on a click (left button pressed and released over it), so that the
// modal dialog it opens does not start in the middle of a press.
class ClickableImage : public kw::ui::ImageView {
public:
    ClickableImage(QWidget* parent, const QRect& geometry, const QString& resource,
                   std::function<void()> onClick)
        : kw::ui::ImageView(parent, geometry, resource), m_onClick(std::move(onClick))
    {
        // The whole picture is one element: Enter or Space clicks it.
        kw::ui::KeyboardElements keys;
        keys.rects = {QRect(QPoint(), geometry.size())};
        keys.order = {0};
        keys.markMargin = 0;
        setKeyboardElements(std::move(keys));
    }

protected:
    void activateElement(int) override
    {
        if (m_onClick)
            m_onClick();
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        m_pressed = event->button() == Qt::LeftButton;
        kw::ui::ImageView::mousePressEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const bool click = m_pressed && event->button() == Qt::LeftButton &&
                           rect().contains(event->position().toPoint());
        m_pressed = false;
        if (click && m_onClick)
            m_onClick();
    }

private:
    std::function<void()> m_onClick;
    bool m_pressed = false;
};

QRadioButton* makeRadio(QWidget* parent, const QString& name, const QRect& geometry,
                        const QString& caption)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setFont(kw::ui::defaultFont());
    return button;
}

QLabel* makeNamedLabel(QWidget* parent, const QString& name, int x, int y, const QString& text,
                       bool bold = false)
{
    QLabel* label = kw::ui::makeLabel(parent, x, y, text, bold);
    label->setObjectName(name);
    return label;
}

std::string macOfStation(int station)
{
    // The known-addresses window is the reference for the stations' addresses.
    if (const TAdressesMAC* known = kw::ui::windows().AdressesMAC)
        return known->macOf(station).toStdString();
    if (station >= 1 && station <= kw::StationCount)
        return kw::global().StationTable[static_cast<std::size_t>(station)].mac;
    return {};
}

} // namespace

Tf_switch::Tf_switch(QWidget* parent)
    : BuiltWhenShown(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                 Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("f_switch"));
    setWindowTitle(QStringLiteral(
        "Switch.     Analyser la trame reçue   1) et 2)       et en déduire l'action 3)"));
    setFont(kw::ui::defaultFont());
    resize(kw::ui::clientSize(QSize(512, 338), kw::ui::WindowFrame::Sizeable));
    kw::ui::centreOnScreen(this, kw::ui::WindowFrame::Sizeable);
    // What screen readers say of the dialog.
    setAccessibleDescription(QStringLiteral(
        "Switch : mettre à jour la table avec la source et son port, choisir le port du "
        "destinataire, puis cliquer sur le switch pour émettre"));

    // The table is made now, in the start-up's order: it takes the known-addresses window's
    // addresses and reseeds the random generator.
    m_table =
        kw::InitSwitchTable(kw::global().InitialEntries, kw::global().TtlMaxText, macOfStation);
    m_frame = kw::MakeFrameRow({}, {});
}

void Tf_switch::makeControls()
{
    Panel = new QFrame(this);
    Panel->setObjectName(QStringLiteral("Panel"));
    Panel->setGeometry(0, 0, 497, 305);
    Panel->setFrameStyle(QFrame::NoFrame);

    Label4 = makeNamedLabel(Panel, QStringLiteral("Label4"), 24, 16, QStringLiteral("Trame reçue"));

    trame = kw::ui::makeStringGrid(Panel, QRect(98, 8, 385, 25), 5, 1, 0, 20);
    trame->setObjectName(QStringLiteral("trame"));
    trame->setSelectionBehavior(QAbstractItemView::SelectItems);
    kw::ui::setupFrameGrid(trame, kw::ui::layersText());
    trame->setToolTip(
        QStringLiteral("Double click -> copie de l'adresse & du port   dans la table "));

    Label1 = makeNamedLabel(Panel, QStringLiteral("Label1"), 64, 42,
                            QStringLiteral("Table  adresse <->  port"), true);

    table_ports =
        kw::ui::makeStringGrid(Panel, QRect(16, 64, 233, 241), 3, kw::SwitchTableRowCount, 1, 20);
    table_ports->setObjectName(QStringLiteral("table_ports"));
    table_ports->setSelectionBehavior(QAbstractItemView::SelectRows);
    kw::ui::setColumnWidths(table_ports, {98, 50, 50});
    // The student never types in the table; the entry row stays highlighted.
    table_ports->setCurrentCell(kw::SwitchEntryRow, 0);
    table_ports->setEnabled(false);

    Panel1 = new QFrame(Panel);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(266, 40, 217, 113);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setToolTip(
        QStringLiteral("Double click sur le port  -> copie de l'adresse et du port dans la table"));
    Label3 = makeNamedLabel(Panel1, QStringLiteral("Label3"), 8, 6,
                            QStringLiteral("1 ) à l'aide de champs de la trame ci-dessus"));
    Label6 = makeNamedLabel(Panel1, QStringLiteral("Label6"), 56, 24,
                            QStringLiteral("et d'un port  ci-dessous"));
    Label5 = makeNamedLabel(Panel1, QStringLiteral("Label5"), 48, 48,
                            QStringLiteral("mettre à jour la table"));
    port1 = makeRadio(Panel1, QStringLiteral("port1"), QRect(8, 72, 33, 17), QStringLiteral("1"));
    port2 = makeRadio(Panel1, QStringLiteral("port2"), QRect(64, 72, 33, 17), QStringLiteral("2"));
    port3 = makeRadio(Panel1, QStringLiteral("port3"), QRect(120, 72, 33, 17), QStringLiteral("3"));
    port4 = makeRadio(Panel1, QStringLiteral("port4"), QRect(168, 72, 33, 17), QStringLiteral("4"));
    Label2 =
        makeNamedLabel(Panel1, QStringLiteral("Label2"), 64, 92, QStringLiteral("Numéro du Port"));

    // Children of the form, over the right of Panel: disabling Panel leaves them alone.
    dest_via = new QGroupBox(QStringLiteral("2 )   Destinataire via port"), this);
    dest_via->setObjectName(QStringLiteral("dest_via"));
    dest_via->setGeometry(266, 160, 217, 73);
    b_d1 = makeRadio(dest_via, QStringLiteral("b_d1"), QRect(8, 24, 33, 17), QStringLiteral("1"));
    b_d2 = makeRadio(dest_via, QStringLiteral("b_d2"), QRect(64, 24, 33, 17), QStringLiteral("2"));
    b_d3 = makeRadio(dest_via, QStringLiteral("b_d3"), QRect(120, 24, 33, 17), QStringLiteral("3"));
    b_d4 = makeRadio(dest_via, QStringLiteral("b_d4"), QRect(168, 24, 33, 17), QStringLiteral("4"));
    b_dinconnu = makeRadio(dest_via, QStringLiteral("b_dinconnu"), QRect(96, 48, 57, 17),
                           QStringLiteral("inconnu"));

    GroupBox2 = new QGroupBox(QStringLiteral("3 )  Emettre  ?"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(266, 240, 217, 65);
    image_switch =
        new ClickableImage(GroupBox2, QRect(36, 29, 141, 20), QStringLiteral(":/switch_small.png"),
                           [this] { image_switchClick(); });
    image_switch->setObjectName(QStringLiteral("image_switch"));
    image_switch->setCursor(Qt::PointingHandCursor);

    connect(trame, &QTableWidget::cellDoubleClicked, this, [this] { bouton_majClick(); });
    // A radio button reports no double-click of its own. Enter on the frame or on a port
    // button copies as their double-click does.
    for (QRadioButton* port : {port1, port2, port3, port4})
        port->installEventFilter(this);
    trame->installEventFilter(this);

    trame->setCurrentCell(0, 0);
    showTable();
    showFrame();

    // What screen readers say of the controls; the port buttons show only a digit.
    trame->setAccessibleName(QStringLiteral("Trame reçue"));
    trame->setAccessibleDescription(
        QStringLiteral("Double click -> copie de l'adresse & du port   dans la table "));
    table_ports->setAccessibleName(QStringLiteral("Table  adresse <->  port"));
    table_ports->setAccessibleDescription(QStringLiteral(
        "Lignes 1 à 8 : adresses apprises avec leur TTL et leur port ; dernière ligne : "
        "l'entrée préparée"));
    int number = 1;
    for (QRadioButton* port : {port1, port2, port3, port4}) {
        port->setAccessibleName(QStringLiteral("Port %1").arg(number++));
        port->setAccessibleDescription(QStringLiteral(
            "Double click sur le port  -> copie de l'adresse et du port dans la table"));
    }
    number = 1;
    for (QRadioButton* via : {b_d1, b_d2, b_d3, b_d4})
        via->setAccessibleName(QStringLiteral("Destinataire via port %1").arg(number++));
    b_dinconnu->setAccessibleName(QStringLiteral("Destinataire inconnu"));
    image_switch->setAccessibleName(QStringLiteral("Switch : émettre"));
    image_switch->setAccessibleDescription(
        QStringLiteral("Cliquer sur le switch pour émettre la trame"));
}

void Tf_switch::FormActivate()
{
    m_frame = kw::ShowReceivedFrame(kw::global());
    showFrame();
}

void Tf_switch::bouton_majClick()
{
    kw::CopyToEntryRow(m_table, m_frame, selectedColumn(), updatePort(), kw::global().TtlMaxText);
    showTable();
}

void Tf_switch::image_switchClick()
{
    kw::SharedState& g = kw::global();
    Tf_switch_gros* leds = kw::ui::windows().f_switch_gros;
    const Tf_avance* avance = kw::ui::windows().f_avance;
    if (!leds || !avance)
        return; // only while the program's windows are being built
    const bool treated = avance->_switch->isChecked();
    const int source = g.CurrentExercise.source;

    const kw::EmitDecision decision =
        kw::DecideEmit(m_table, m_frame, source, forwardingChoice(), treated);
    switch (decision.action) {
    case kw::EmitAction::ReviewLeds:
        leds->execInMode(Tf_switch_gros::Mode::Review);
        return;
    case kw::EmitAction::Refuse:
        leds->setMode(Tf_switch_gros::Mode::Working);
        kw::ui::ReportError(fromStd(decision.message));
        return;
    case kw::EmitAction::OpenLeds:
        break;
    }
    if (!leds->execInMode(Tf_switch_gros::Mode::Working))
        return; // closed without success: nothing is committed
    g.FlowState = kw::CommitSwitchStep(m_table, decision.lookup, g.FrameFiltered, source);
    showTable();
    accept();
}

void Tf_switch::setReviewMode(bool review)
{
    Panel->setEnabled(!review);
    dest_via->setEnabled(!review);
}

void Tf_switch::resetForNewExercise()
{
    trame->setCurrentCell(0, 3);
    hide();
}

int Tf_switch::updatePort() const
{
    const QRadioButton* ports[] = {port1, port2, port3, port4};
    for (int p = 0; p < 4; ++p)
        if (ports[p]->isChecked())
            return p + 1;
    return 0;
}

kw::ForwardingChoice Tf_switch::forwardingChoice() const
{
    if (b_d1->isChecked())
        return kw::ForwardingChoice::Port1;
    if (b_d2->isChecked())
        return kw::ForwardingChoice::Port2;
    if (b_d3->isChecked())
        return kw::ForwardingChoice::Port3;
    if (b_d4->isChecked())
        return kw::ForwardingChoice::Port4;
    if (b_dinconnu->isChecked())
        return kw::ForwardingChoice::Unknown;
    return kw::ForwardingChoice::None;
}

int Tf_switch::selectedColumn() const
{
    return trame->currentColumn();
}

void Tf_switch::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!kw::ui::isNewShowing(event))
        return;
    FormActivate();
    kw::ui::focusFirstControl(this);
}

bool Tf_switch::eventFilter(QObject* watched, QEvent* event)
{
    if (kw::ui::isEnterKey(event) && static_cast<QWidget*>(watched)->isEnabled()) {
        if (auto* port = qobject_cast<QRadioButton*>(watched))
            port->setChecked(true);
        bouton_majClick();
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        // The filter sees the double-click before a disabled button drops it: in review the
        // ports stay inert.
        auto* port = qobject_cast<QRadioButton*>(watched);
        if (port && port->isEnabled()) {
            port->setChecked(true);
            bouton_majClick();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tf_switch::showTable()
{
    for (int row = 0; row < kw::SwitchTableRowCount; ++row) {
        const kw::SwitchRow& r = m_table.rows[static_cast<std::size_t>(row)];
        kw::ui::setCell(table_ports, 0, row, fromStd(r.address));
        kw::ui::setCell(table_ports, 1, row, fromStd(r.ttl));
        kw::ui::setCell(table_ports, 2, row, fromStd(r.port));
    }
}

void Tf_switch::showFrame()
{
    for (int column = 0; column < static_cast<int>(m_frame.size()); ++column)
        kw::ui::setCell(trame, column, 0, fromStd(m_frame[static_cast<std::size_t>(column)]));
}
