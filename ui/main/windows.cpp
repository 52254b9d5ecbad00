#include "windows.h"

#include "a_propos.h"
#include "desktop.h"
#include "hubs/u_hub.h"
#include "hubs/u_hub2.h"
#include "stations/u_MACs.h"
#include "stations/u_dest.h"
#include "stations/u_source.h"
#include "switch/U_switch.h"
#include "switch/u_switch_gros.h"
#include "u_avance.h"
#include "u_principale.h"
#include "widgets.h"

#include <QApplication>

namespace kw::ui {

namespace {
Windows theWindows;
} // namespace

Windows& windows()
{
    return theWindows;
}

void setUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("Velcor"));
    // Ties the windows to the desktop entry on Wayland, where no window class does.
    QGuiApplication::setDesktopFileName(QStringLiteral(KW_APP_ID));
    // The layout's face as the application's: every edit box lays its text out once in the
    // application's font before it takes its own, which would load one more face at start-up.
    // Message boxes keep the desktop's font (seam).
    QApplication::setFont(defaultFont());
}

bool createWindows()
{
    setUpApplication();
    Windows& w = theWindows;
    w.Principale = new TPrincipale;
    if (!w.Principale->startedUp()) {
        destroyWindows();
        return false;
    }
    w.f_source = new Tf_source;
    w.f_avance = new Tf_avance;
    w.f_hub1 = new Tf_hub1;
    w.AdressesMAC = new TAdressesMAC;
    w.f_destination = new Tf_destination;
    w.f_hub2 = new Tf_hub2;
    w.apropos = new Tapropos;
    w.f_switch = new Tf_switch;
    w.f_switch_gros = new Tf_switch_gros;

    w.Principale->show();
    showReferenceWindows(w.Principale, w.f_avance, w.AdressesMAC);
    return true;
}

void destroyWindows()
{
    Windows& w = theWindows;
    // Dialogs first, the main window last, as the program ends.
    delete w.f_switch_gros;
    delete w.f_switch;
    delete w.apropos;
    delete w.f_hub2;
    delete w.f_destination;
    delete w.AdressesMAC;
    delete w.f_hub1;
    delete w.f_avance;
    delete w.f_source;
    delete w.Principale;
    w = Windows{};
}

void resetWindowsForNewExercise()
{
    Windows& w = theWindows;
    w.f_switch->resetForNewExercise();
    w.f_hub1->resetForNewExercise();
    w.f_hub2->resetForNewExercise();
    w.f_switch_gros->resetForNewExercise();
    w.f_destination->resetForNewExercise();
    w.f_source->resetForNewExercise();
    w.f_avance->resetForNewExercise();
}

} // namespace kw::ui
