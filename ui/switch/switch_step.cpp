#include "switch_step.h"

namespace kw::ui {

void SwitchStep() {}

} // namespace kw::ui
