#include "windows.h"

namespace kw::ui {

Windows& windows()
{
    static Windows theWindows;
    return theWindows;
}

} // namespace kw::ui
