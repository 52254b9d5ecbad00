#include "station_click.h"

#include "flow.h"
#include "global.h"
#include "main/seam.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "main/widgets.h"
#include "main/windows.h"
#include "u_dest.h"
#include "u_source.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace kw::ui {

namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString macOf(int index)
{
    if (index < 0 || index > kw::BroadcastIndex)
        return {};
    return fromUtf8(kw::global().StationTable[index].mac);
}

// Both station dialogs are placed from the main window and show the clicked station's icon.
void preamble(int clicked)
{
    Windows& w = windows();
    kw::SharedState& g = kw::global();
    const QPoint anchor = w.Principale->pos();
    g.DialogAnchorTop = anchor.y();
    g.DialogAnchorLeft = anchor.x();
    const bool server = clicked >= 7;
    w.f_source->station_image->setVisible(!server);
    w.f_source->serveur_image->setVisible(server);
    w.f_destination->station_image->setVisible(!server);
    w.f_destination->serveur_image->setVisible(server);
}

// A modal opening always starts from a hidden dialog, so its activation runs.
int openModal(QDialog* dialog)
{
    if (dialog->isVisible())
        dialog->hide();
    return kw::seam::execModal(dialog);
}

void emitFrame()
{
    Windows& w = windows();
    kw::SharedState& g = kw::global();
    w.f_source->BitBtn1->show();
    w.f_source->Label1->show();
    openModal(w.f_source);
    // The dialog's "Terminé" alone decides, through FlowState, whether the frame left.
    const kw::EmissionResult emission = kw::FinishEmission(g);
    if (!emission.emitted)
        return;
    QTableWidget* frame = w.Principale->trame_gauche;
    setCell(frame, 0, 0, macOf(g.CurrentExercise.destination));
    setCell(frame, 1, 0, macOf(g.CurrentExercise.source));
    frame->show();
    w.f_avance->_emetteur->setChecked(true);
    DrawCableLine(emission.cable, kw::CableLine::First, QColor(255, 255, 255));
}

void receive(bool copyTicked, kw::AfterReceiving after)
{
    Windows& w = windows();
    w.f_destination->copier->setChecked(copyTicked);
    openModal(w.f_destination);
    if (kw::FinishReceivingClick(kw::global(), after))
        w.f_avance->frameCompleted();
}

} // namespace

void StationClick()
{
    kw::SharedState& g = kw::global();
    const int clicked = g.ClickedStation;
    if (clicked < 1 || clicked > kw::StationCount)
        return;
    preamble(clicked);
    const kw::StationClickDecision decision = kw::BeginStationClick(g, clicked);
    Windows& w = windows();
    switch (decision.outcome) {
    case kw::StationClickOutcome::Nothing:
        break;
    case kw::StationClickOutcome::Emit:
        emitFrame();
        break;
    case kw::StationClickOutcome::RefuseNotSender:
    case kw::StationClickOutcome::RefuseNotNow:
        ReportError(fromUtf8(decision.message));
        break;
    case kw::StationClickOutcome::SendingReview:
        w.f_source->BitBtn1->hide();
        w.f_source->Label1->hide();
        w.f_source->showView();
        break;
    case kw::StationClickOutcome::SendingView:
        w.f_source->showView();
        break;
    case kw::StationClickOutcome::ReceivingCopied:
        receive(true, decision.after);
        break;
    case kw::StationClickOutcome::ReceivingEditable:
        receive(false, decision.after);
        break;
    case kw::StationClickOutcome::WarnNotYet:
        // The one hint that is not counted as an error.
        kw::seam::messageBox(kw::seam::BoxKind::Warning, fromUtf8(decision.message));
        break;
    case kw::StationClickOutcome::ReceivingView:
        w.f_destination->showView();
        break;
    }
}

} // namespace kw::ui
