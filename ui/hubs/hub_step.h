#pragma once

class HubDialog;

namespace kw::ui {

// Runs the step of a click in the hub row at picture x; false when the click is refused.
bool HubStep(int x);

// The LED dialog of hub 1 or 2; nullptr for any other number.
HubDialog* HubDialogOf(int hub);

// Shows ExpectedHubLeds[hub] in that hub's LED picture.
void PaintHubLeds(int hub);

} // namespace kw::ui
