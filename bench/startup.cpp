// The program's start-up, as main() does it, ending once the main window is on screen.
//   kw_switch_startup                 all ten windows (the program's start-up)
//   kw_switch_startup --main-only     the main window alone, to see what the others cost
// Run in an example folder, under the runner kw_bench_run.

#include "shown.h"

#include "app/front_end.h"
#include "app/windows.h"
#include "kit/widgets.h"
#include "main/u_principale.h"

#include <QApplication>
#include <QIcon>

#include <cstring>

int main(int argc, char** argv)
{
    const bool mainOnly = argc > 1 && std::strcmp(argv[1], "--main-only") == 0;
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    app.setWindowIcon(kw::ui::programIcon());
    int code = 0;
    if (mainOnly) {
        if (!kw::ui::createMainWindow())
            return 1;
        TPrincipale* principale = kw::ui::windows().Principale;
        principale->show();
        new kw::bench::QuitWhenShown(principale);
        code = app.exec();
        kw::ui::destroyWindows();
    } else {
        if (!kw::ui::createWindows())
            return 1;
        new kw::bench::QuitWhenShown(kw::ui::windows().Principale);
        code = app.exec();
        kw::ui::destroyWindows();
    }
    return code;
}
