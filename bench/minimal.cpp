// The yardsticks of the start-up benchmark: the smallest Qt Widgets programs with a main
// window of the program's size, ending the same way once the window is on screen.
// The size is that of the program's main window, menu bar included: its 632 x 422 client
// area under a menu bar of 17 pixels, so that both paint as many pixels.
//   qt_minimal_startup           the window shows one line of text
//   qt_minimal_startup --bare    an empty window
// The empty window never lays out text, so it skips loading the font database and a
// font, which every window with a word in it pays for: the first form is the fair one.

#include "shown.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include <cstring>

int main(int argc, char** argv)
{
    const bool bare = argc > 1 && std::strcmp(argv[1], "--bare") == 0;
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("minimal"));
    if (!bare)
        window.setCentralWidget(new QLabel(QStringLiteral("Fenêtre minimale")));
    window.resize(632, 422 + 17);
    window.show();
    new kw::bench::QuitWhenShown(&window);
    return app.exec();
}
