#include "hub_step.h"

#include "diagram.h"
#include "flow.h"
#include "global.h"
#include "hubs.h"
#include "main/seam.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "main/windows.h"
#include "u_hub.h"
#include "u_hub2.h"

#include <QCheckBox>

namespace kw::ui {

namespace {

QCheckBox* treatedBox(int hub)
{
    Tf_avance* avance = windows().f_avance;
    return hub == 1 ? avance->_hub1 : avance->_hub2;
}

} // namespace

HubDialog* HubDialogOf(int hub)
{
    if (hub == 1)
        return windows().f_hub1;
    if (hub == 2)
        return windows().f_hub2;
    return nullptr;
}

void PaintHubLeds(int hub)
{
    if (HubDialog* dialog = HubDialogOf(hub))
        dialog->PaintHubLeds();
}

bool HubStep(int x)
{
    SharedState& g = global();
    const int hub = HubAtX(x);
    HubDialog* dialog = HubDialogOf(hub);
    if (!dialog)
        return false;
    QCheckBox* treated = treatedBox(hub);

    const ElementClickDecision decision = DecideHubClick(hub, treated->isChecked(), g.FlowState,
                                                         g.CurrentExercise.source, g.LedState[3]);
    if (decision.outcome == ElementClickOutcome::Review) {
        dialog->showForReview();
        return true;
    }
    dialog->showForWork();
    if (decision.outcome != ElementClickOutcome::Treat)
        return false;

    PrepareHubStep(g, hub);
    if (HubAutoRule(g)) {
        // Its activation must save FlowState, so it has to be shown afresh.
        dialog->hide();
        seam::execModal(dialog);
    }
    if (!HubWasPassed(g))
        return true;

    for (int cable : RepeatedCables(hub, g.ExpectedHubLeds[hub]))
        DrawCableLine(cable, CableLine::Second,
                      QColor(colour::Yellow.r, colour::Yellow.g, colour::Yellow.b));
    PaintHubLeds(hub);
    treated->setChecked(true);
    return true;
}

} // namespace kw::ui
