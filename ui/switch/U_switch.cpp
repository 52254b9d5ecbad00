#include "U_switch.h"

#include "game.h"
#include "kit/play.h"
#include "kit/widgets.h"

#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableWidget>

#include <array>
#include <functional>

namespace {

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

// Checks the button `checked` of the group (0 for none) without the buttons telling of it.
template <std::size_t N>
void checkOnly(const std::array<QRadioButton*, N>& buttons, std::size_t checked)
{
    for (std::size_t i = 0; i < N; ++i) {
        QRadioButton* button = buttons[i];
        const bool wanted = i + 1 == checked;
        if (button->isChecked() == wanted)
            continue;
        const QSignalBlocker quiet(button);
        // The group lets a button go unchecked only while it is not exclusive.
        button->setAutoExclusive(false);
        button->setChecked(wanted);
        button->setAutoExclusive(true);
    }
}

constexpr std::array<kw::ForwardingChoice, 5> Choices{
    kw::ForwardingChoice::Port1, kw::ForwardingChoice::Port2, kw::ForwardingChoice::Port3,
    kw::ForwardingChoice::Port4, kw::ForwardingChoice::Unknown};

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
    kw::ui::setupFrameGrid(trame);
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
    connect(trame, &QTableWidget::currentCellChanged, this, [this](int, int column, int, int) {
        if (column >= 0)
            kw::ui::play().act([column](kw::Game& g) { return g.selectSwitchColumn(column); });
    });
    // A radio button reports no double-click of its own. Enter on the frame or on a port
    // button copies as their double-click does.
    int port = 1;
    for (QRadioButton* button : {port1, port2, port3, port4}) {
        button->installEventFilter(this);
        connect(button, &QRadioButton::toggled, this, [this, port](bool checked) {
            if (checked)
                chooseUpdatePort(port);
        });
        ++port;
    }
    trame->installEventFilter(this);
    std::size_t choice = 0;
    for (QRadioButton* button : {b_d1, b_d2, b_d3, b_d4, b_dinconnu}) {
        connect(button, &QRadioButton::toggled, this, [this, choice](bool checked) {
            if (checked)
                chooseForwarding(Choices[choice]);
        });
        ++choice;
    }

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

    showView(kw::ui::play().game());
}

void Tf_switch::refresh(const kw::Game& game)
{
    if (controlsBuilt())
        showView(game);
}

void Tf_switch::showView(const kw::Game& game)
{
    const kw::SwitchView& view = game.view().switch_;
    // Review shows everything but leaves only the switch picture usable.
    Panel->setEnabled(view.panelEnabled);
    dest_via->setEnabled(view.destViaEnabled);
    kw::ui::showFrame(trame, view.frame);
    kw::ui::setCurrentCell(trame, view.selectedColumn, 0);
    for (int row = 0; row < kw::SwitchTableRowCount; ++row) {
        const kw::SwitchRow& r = view.table.rows[static_cast<std::size_t>(row)];
        kw::ui::setCell(table_ports, 0, row, kw::ui::fromUtf8(r.address));
        kw::ui::setCell(table_ports, 1, row, kw::ui::fromUtf8(r.ttl));
        kw::ui::setCell(table_ports, 2, row, kw::ui::fromUtf8(r.port));
    }
    checkOnly(std::array<QRadioButton*, 4>{port1, port2, port3, port4},
              static_cast<std::size_t>(view.updatePort));
    std::size_t choice = 0;
    for (std::size_t i = 0; i < Choices.size(); ++i)
        if (Choices[i] == view.choice)
            choice = i + 1;
    checkOnly(std::array<QRadioButton*, 5>{b_d1, b_d2, b_d3, b_d4, b_dinconnu}, choice);
}

void Tf_switch::FormActivate()
{
    kw::ui::play().act([](kw::Game& g) { return g.activate(kw::Window::Switch); });
}

void Tf_switch::bouton_majClick()
{
    kw::ui::play().act([](kw::Game& g) { return g.copyToEntryRow(); });
}

void Tf_switch::image_switchClick()
{
    kw::ui::play().act([](kw::Game& g) { return g.clickSwitchPicture(); });
}

void Tf_switch::reject()
{
    kw::ui::play().closeWindow(kw::Window::Switch);
}

void Tf_switch::chooseUpdatePort(int port)
{
    kw::ui::play().act([port](kw::Game& g) { return g.chooseUpdatePort(port); });
}

void Tf_switch::chooseForwarding(kw::ForwardingChoice choice)
{
    kw::ui::play().act([choice](kw::Game& g) { return g.chooseForwarding(choice); });
}

int Tf_switch::updatePort() const
{
    return kw::ui::play().game().view().switch_.updatePort;
}

kw::ForwardingChoice Tf_switch::forwardingChoice() const
{
    return kw::ui::play().game().view().switch_.choice;
}

int Tf_switch::selectedColumn() const
{
    return kw::ui::play().game().view().switch_.selectedColumn;
}

const kw::SwitchTable& Tf_switch::switchTable() const
{
    return kw::ui::play().game().view().switch_.table;
}

const kw::FrameRow& Tf_switch::frameRow() const
{
    return kw::ui::play().game().view().switch_.frame;
}

void Tf_switch::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (kw::ui::becameActive(this, event))
        FormActivate();
}

void Tf_switch::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (kw::ui::isNewShowing(event))
        kw::ui::focusFirstControl(this);
}

bool Tf_switch::eventFilter(QObject* watched, QEvent* event)
{
    if (kw::ui::isEnterKey(event) && static_cast<QWidget*>(watched)->isEnabled()) {
        // One act per press: a held key does not repeat it.
        if (static_cast<QKeyEvent*>(event)->isAutoRepeat())
            return true;
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
