#pragma once

// The program's command line: at most one series, named by its folder or by its
// kw_switch.INI file, and --help or --version. It is read before the QApplication exists,
// so that help and version are printed on a terminal without any display.

#include <QStringList>

#include <optional>
#include <string>

class QTextStream;

namespace kw::ui {

// Reads `arguments` (the program's name first). Help, version and a command line that
// cannot be used are written to `out` or `err` and give the exit status the program must
// end with at once; otherwise nothing is written and the series argument, if any, is kept
// for the main window's start-up (startArgument). Qt's own options (-platform, -style, ...)
// are let through to the QApplication.
std::optional<int> readCommandLine(const QStringList& arguments, QTextStream& out,
                                   QTextStream& err);
// The same on main()'s arguments, with the process's standard output and error.
std::optional<int> readCommandLine(int argc, char** argv);

// The folder or file the command line named, as it was typed; nothing without one.
const std::optional<std::string>& startArgument();

} // namespace kw::ui
