#pragma once

namespace kw::ui {

// Runs the step of a click on the switch of the diagram.
void SwitchStep();

} // namespace kw::ui
