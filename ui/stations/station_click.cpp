#include "station_click.h"

namespace kw::ui {

void StationClick() {}

} // namespace kw::ui
