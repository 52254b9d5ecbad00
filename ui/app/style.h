#pragma once

// The program's style: the desktop's, with the one icon that would cost the start-up made
// otherwise.

namespace kw::ui {

// Puts the style in place for the whole program, before any window is made.
void useProgramStyle();

} // namespace kw::ui
