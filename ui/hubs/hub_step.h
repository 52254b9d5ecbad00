#pragma once

namespace kw::ui {

// Runs the step of a click in the hub row at picture x; false when the click is refused.
bool HubStep(int x);

} // namespace kw::ui
