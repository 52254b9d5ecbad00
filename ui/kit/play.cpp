#include "play.h"

#include <cstdlib>

namespace kw::ui {

namespace {
Play* thePlay = nullptr;
} // namespace

Play& play()
{
    // Windows exist only within a program: one without its play is a fault of the program.
    if (!thePlay)
        std::abort();
    return *thePlay;
}

void setPlay(Play* play)
{
    thePlay = play;
}

} // namespace kw::ui
