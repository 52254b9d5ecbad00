#include "u_avance.h"

#include "global.h"
#include "seam.h"
#include "u_principale.h"
#include "widgets.h"
#include "windows.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

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

QString numbered(const QString& prefix, int number)
{
    return prefix + QString::number(number);
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
    numero_exo = kw::ui::makeLabel(Panel1, 48, 4, QStringLiteral("Exercice N° 1"));
    label_erreurs = new QLabel(QStringLiteral("Cumul erreurs = "), Panel1);
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

    // Shown in view before its controls were made (no window manager minimised it): what
    // its showing would have done to them.
    if (isVisible() && !isMinimized())
        FormActivate();
}

void Tf_avance::ReportError(const QString& message)
{
    kw::countError(kw::global());
    showErrorTotal();
    kw::seam::messageBox(kw::seam::BoxKind::Warning, message);
}

void Tf_avance::showErrorTotal()
{
    label_erreurs->setText(numbered(QStringLiteral("Cumul erreurs = "), kw::global().ErrorTotal));
}

void Tf_avance::showExerciseNumber(const QString& caption)
{
    numero_exo->setText(caption);
    numero_exo->adjustSize();
}

void Tf_avance::FormActivate()
{
    const kw::SharedState& g = kw::global();
    showExerciseNumber(numbered(QStringLiteral("Exercice N° "), g.ExerciseNumber) +
                       numbered(QStringLiteral("  ("), g.ImposedCount) + QStringLiteral(")"));
    showErrorTotal();
}

void Tf_avance::emetteurClick()
{
    if (emetteur->isChecked()) {
        ReportError(QStringLiteral("L'émetteur doit émettre !"));
        // The sender is always concerned: the box never stays ticked.
        emetteur->setChecked(false);
    }
}

void Tf_avance::destinataireClick()
{
    if (destinataire->isChecked()) {
        ReportError(QStringLiteral("Vérifiez le destinataire (et l'expéditeur)"));
        destinataire->setChecked(false);
    }
}

void Tf_avance::fin_traitementClick()
{
    auto exactlyOne = [](const QCheckBox* a, const QCheckBox* b) {
        return a->isChecked() != b->isChecked();
    };
    if (exactlyOne(Hub1, _hub1) && exactlyOne(Hub2, _hub2) &&
        exactlyOne(destinataire, _destinataire)) {
        kw::seam::messageBox(kw::seam::BoxKind::Information,
                             QStringLiteral("Vous avez mené à bien cette transmission\r\n"
                                            "Utilisez le menu Nouveau"));
        TPrincipale* principale = kw::ui::windows().Principale;
        principale->Nouveau->setEnabled(true);
        principale->FIN();
    } else {
        ReportError(QStringLiteral("Une et une seule coche par ligne"));
    }
}

void Tf_avance::frameCompleted()
{
    _destinataire->setChecked(true);
    fin_traitement->setEnabled(true);
    // The student's part starts at the top: the "Non concerné" boxes, then Enter.
    kw::ui::focusFirstControl(this);
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    showNormal();
    raise();
    activateWindow();
}

void Tf_avance::resetForNewExercise()
{
    for (QCheckBox* box : {_emetteur, emetteur, _destinataire, destinataire, Hub1, _hub1, Hub2,
                           _hub2, switch_, _switch})
        box->setChecked(false);
    fin_traitement->setEnabled(false);
}

void Tf_avance::closeEvent(QCloseEvent* event)
{
    // The score sheet stays for the whole run.
    event->ignore();
}

void Tf_avance::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void Tf_avance::keyPressEvent(QKeyEvent* event)
{
    // "Fin du traitement de la trame" is the window's default button, as in a dialog: Enter
    // presses it whichever box has the focus.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        fin_traitement->isEnabled()) {
        fin_traitement->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Tf_avance::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A window that starts minimised is not activated yet; one whose controls are still to
    // be made is, once they are.
    if (!isMinimized() && controlsBuilt())
        FormActivate();
}

namespace kw::ui {
void ReportError(const QString& message)
{
    windows().f_avance->ReportError(message);
}
} // namespace kw::ui
