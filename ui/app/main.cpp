#include "app/command_line.h"
#include "app/front_end.h"
#include "app/platform.h"
#include "kit/widgets.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    // Before the QApplication: --help and --version need no display.
    if (const std::optional<int> status = kw::ui::readCommandLine(argc, argv))
        return *status;
    kw::ui::choosePlatform();
    QApplication app(argc, argv);
    // The main window ends the program; the stay-on-top windows never close.
    app.setQuitOnLastWindowClosed(false);
    app.setWindowIcon(kw::ui::programIcon());
    if (!kw::ui::createWindows())
        return 1;
    const int code = app.exec();
    kw::ui::destroyWindows();
    return code;
}
