#pragma once

namespace kw::ui {

// Runs the step of a click on station ClickedStation (1..8).
void StationClick();

} // namespace kw::ui
