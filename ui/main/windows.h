#pragma once

// The ten windows of the program, created once each at start-up and alive until the end.

class TPrincipale;
class Tf_source;
class Tf_avance;
class Tf_hub1;
class TAdressesMAC;
class Tf_destination;
class Tf_hub2;
class Tapropos;
class Tf_switch;
class Tf_switch_gros;

namespace kw::ui {

struct Windows {
    TPrincipale* Principale = nullptr;
    Tf_source* f_source = nullptr;
    Tf_avance* f_avance = nullptr;
    Tf_hub1* f_hub1 = nullptr;
    TAdressesMAC* AdressesMAC = nullptr;
    Tf_destination* f_destination = nullptr;
    Tf_hub2* f_hub2 = nullptr;
    Tapropos* apropos = nullptr;
    Tf_switch* f_switch = nullptr;
    Tf_switch_gros* f_switch_gros = nullptr;
};

Windows& windows();

// Creates the windows in the program's order and shows those visible at start.
// False when the main window's start-up failed (its message was shown): the program ends.
bool createWindows();

// What createWindows sets up first for the whole program: its name, its application id and
// the windows' face as the application's font.
void setUpApplication();

// Destroys every window (tests run several programs in one process).
void destroyWindows();

// What a new exercise resets in the windows other than the main window.
void resetWindowsForNewExercise();

} // namespace kw::ui
