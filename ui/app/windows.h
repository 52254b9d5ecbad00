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

// The program's windows; all null while there is no program.
Windows& windows();

} // namespace kw::ui
