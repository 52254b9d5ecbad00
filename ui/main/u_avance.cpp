#include "u_avance.h"

#include "kit/play.h"
#include "kit/widgets.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>

namespace {

QCheckBox* makeBox(QWidget* parent, const QString& name, const QRect& geometry,
                   const QString& caption, bool programOnly)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    box->setFont(kw::ui::defaultFont());
    // The "Traité" column is ticked by the program only.
    box->setEnabled(!programOnly);
    return box;
}

} // namespace

Tf_avance::Tf_avance(QWidget* parent)
    : BuiltWhenExposed(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("f_avance"));
    setWindowTitle(QStringLiteral("Avancement"));
    setFont(kw::ui::defaultFont());
    setFixedSize(kw::ui::clientSize(QSize(181, 247), kw::ui::WindowFrame::Sizeable));
    kw::ui::centreOnScreen(this, kw::ui::WindowFrame::Sizeable, true);
    // What screen readers say of the window; it starts minimised, when its title would not
    // be read.
    setAccessibleName(windowTitle());
    setAccessibleDescription(QStringLiteral("Avancement de la trame : les éléments traités, ceux "
                                            "que la trame ne concerne pas, le cumul des erreurs."));
}

void Tf_avance::makeControls()
{
    Panel1 = new QFrame(this);
    Panel1->setGeometry(0, 0, 169, 41);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    const kw::ProgressView& view = kw::ui::play().game().view().avance;
    numero_exo = kw::ui::makeLabel(Panel1, 48, 4, kw::ui::fromUtf8(view.exerciseCaption));
    label_erreurs = new QLabel(kw::ui::fromUtf8(view.errorsCaption), Panel1);
    label_erreurs->setGeometry(8, 23, 153, 13);
    label_erreurs->setFont(kw::ui::defaultFont(true));
    label_erreurs->setAlignment(Qt::AlignCenter);

    Label2 = kw::ui::makeLabel(this, 8, 48, QStringLiteral("Non concerné"));
    Label1 = kw::ui::makeLabel(this, 120, 48, QStringLiteral("Traité"));

    emetteur = makeBox(this, QStringLiteral("emetteur"), QRect(32, 64, 73, 17),
                       QStringLiteral("émetteur"), false);
    Hub1 =
        makeBox(this, QStringLiteral("Hub1"), QRect(32, 88, 65, 17), QStringLiteral("Hub1"), false);
    Hub2 = makeBox(this, QStringLiteral("Hub2"), QRect(32, 112, 73, 17), QStringLiteral("Hub2"),
                   false);
    switch_ = makeBox(this, QStringLiteral("switch"), QRect(32, 136, 57, 17),
                      QStringLiteral("switch"), false);
    destinataire = makeBox(this, QStringLiteral("destinataire"), QRect(32, 168, 81, 17),
                           QStringLiteral("destinataire"), false);
    _emetteur = makeBox(this, QStringLiteral("_emetteur"), QRect(128, 64, 25, 17), {}, true);
    _hub1 = makeBox(this, QStringLiteral("_hub1"), QRect(128, 88, 25, 17), {}, true);
    _hub2 = makeBox(this, QStringLiteral("_hub2"), QRect(128, 112, 25, 17), {}, true);
    _switch = makeBox(this, QStringLiteral("_switch"), QRect(128, 136, 17, 17), {}, true);
    _destinataire =
        makeBox(this, QStringLiteral("_destinataire"), QRect(128, 168, 17, 17), {}, true);

    fin_traitement = kw::ui::makeTickButton(this, QRect(2, 192, 167, 26),
                                            QStringLiteral("Fin du traitement de la trame"));
    fin_traitement->setObjectName(QStringLiteral("fin_traitement"));
    fin_traitement->setDefault(true);
    fin_traitement->setEnabled(false);

    connect(emetteur, &QCheckBox::toggled, this, &Tf_avance::emetteurClick);
    connect(destinataire, &QCheckBox::toggled, this, &Tf_avance::destinataireClick);
    for (const auto& [control, tick] :
         {std::pair{Hub1.get(), kw::Tick::Hub1}, std::pair{Hub2.get(), kw::Tick::Hub2},
          std::pair{switch_.get(), kw::Tick::switch_}})
        connect(control, &QCheckBox::toggled, this,
                [this, tick](bool ticked) { tickClick(tick, ticked); });
    connect(fin_traitement, &QPushButton::clicked, this, &Tf_avance::fin_traitementClick);

    // What screen readers say of the controls: the "Traité" boxes have no caption of their own.
    for (const auto& [box, element] :
         {std::pair{_emetteur, QStringLiteral("émetteur")},
          std::pair{_hub1, QStringLiteral("Hub1")}, std::pair{_hub2, QStringLiteral("Hub2")},
          std::pair{_switch, QStringLiteral("switch")},
          std::pair{_destinataire, QStringLiteral("destinataire")}}) {
        box->setAccessibleName(element + QStringLiteral(" traité"));
        box->setAccessibleDescription(QStringLiteral("Coché par le programme"));
    }
    for (QCheckBox* box : {emetteur, Hub1, Hub2, switch_, destinataire})
        box->setAccessibleDescription(
            QStringLiteral("Cocher si la trame ne concerne pas cet élément"));
    fin_traitement->setAccessibleDescription(
        QStringLiteral("Vérifie une et une seule coche par ligne"));

    showView(kw::ui::play().game());
}

QCheckBox* Tf_avance::box(kw::Tick tick) const
{
    switch (tick) {
    case kw::Tick::emetteur:
        return emetteur;
    case kw::Tick::Hub1:
        return Hub1;
    case kw::Tick::Hub2:
        return Hub2;
    case kw::Tick::switch_:
        return switch_;
    case kw::Tick::destinataire:
        return destinataire;
    case kw::Tick::_emetteur:
        return _emetteur;
    case kw::Tick::_hub1:
        return _hub1;
    case kw::Tick::_hub2:
        return _hub2;
    case kw::Tick::_switch:
        return _switch;
    case kw::Tick::_destinataire:
        return _destinataire;
    }
    return nullptr;
}

void Tf_avance::refresh(const kw::Game& game)
{
    if (controlsBuilt())
        showView(game);
}

void Tf_avance::showView(const kw::Game& game)
{
    const kw::ProgressView& view = game.view().avance;
    const QString caption = kw::ui::fromUtf8(view.exerciseCaption);
    if (numero_exo->text() != caption) {
        numero_exo->setText(caption);
        numero_exo->adjustSize();
    }
    kw::ui::setText(label_erreurs, kw::ui::fromUtf8(view.errorsCaption));
    for (int t = 0; t < kw::TickCount; ++t) {
        QCheckBox* control = box(static_cast<kw::Tick>(t));
        const bool ticked = view.ticks[static_cast<std::size_t>(t)];
        if (control->isChecked() != ticked) {
            const QSignalBlocker quiet(control);
            control->setChecked(ticked);
        }
    }
    fin_traitement->setEnabled(view.finEnabled);
}

void Tf_avance::showErrorTotal(int total)
{
    if (controlsBuilt())
        kw::ui::setText(label_erreurs,
                        QString::fromUtf8(kw::msg::ErrorTotalPrefix) + QString::number(total));
}

void Tf_avance::FormActivate()
{
    kw::ui::play().act([](kw::Game& g) { return g.activate(kw::Window::Avance); });
}

void Tf_avance::tickClick(kw::Tick tick, bool ticked)
{
    kw::ui::play().act([=](kw::Game& g) { return g.setTick(tick, ticked); });
}

void Tf_avance::emetteurClick()
{
    tickClick(kw::Tick::emetteur, emetteur->isChecked());
}

void Tf_avance::destinataireClick()
{
    tickClick(kw::Tick::destinataire, destinataire->isChecked());
}

void Tf_avance::fin_traitementClick()
{
    kw::ui::play().act([](kw::Game& g) { return g.finTraitement(); });
}

void Tf_avance::closeEvent(QCloseEvent* event)
{
    // The score sheet stays for the whole run.
    event->ignore();
}

void Tf_avance::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (kw::ui::becameActive(this, event))
        FormActivate();
}

void Tf_avance::keyPressEvent(QKeyEvent* event)
{
    // "Fin du traitement de la trame" is the window's default button, as in a dialog: Enter
    // presses it whichever box has the focus.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        fin_traitement->isEnabled()) {
        // One act per press: a held key does not repeat it.
        if (!event->isAutoRepeat())
            fin_traitement->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Tf_avance::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A window that starts minimised is not activated yet.
    if (!isMinimized())
        FormActivate();
}
