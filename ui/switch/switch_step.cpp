#include "switch_step.h"

#include "U_switch.h"
#include "flow.h"
#include "global.h"
#include "main/seam.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "main/windows.h"
#include "switchleds.h"

#include <QCheckBox>
#include <QColor>

namespace kw::ui {

void SwitchStep()
{
    SharedState& g = global();
    Windows& w = windows();
    const ElementClickDecision decision =
        DecideSwitchClick(g.FlowState, w.f_avance->_switch->isChecked());
    switch (decision.outcome) {
    case ElementClickOutcome::Refused:
        ReportError(QString::fromStdString(decision.message));
        return;
    case ElementClickOutcome::Review:
        // Modeless: the diagram stays usable, and the picture still opens the LEDs.
        w.f_switch->setReviewMode(true);
        w.f_switch->show();
        w.f_switch->raise();
        return;
    case ElementClickOutcome::Treat:
        break;
    }

    w.f_switch->setReviewMode(false);
    seam::execModal(w.f_switch);
    if (!SwitchWasPassed(g.FlowState))
        return; // closed before the step was committed

    w.f_avance->_switch->setChecked(true);
    const QColor red(255, 0, 0);
    for (int cable : SwitchEmittingCables(g.LedState[3]))
        DrawCableLine(cable, CableLine::First, red);
}

} // namespace kw::ui
