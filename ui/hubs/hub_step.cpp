#include "hub_step.h"

namespace kw::ui {

bool HubStep(int x)
{
    (void)x;
    return false;
}

} // namespace kw::ui
