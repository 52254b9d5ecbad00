#pragma once

// A scripted student for window tests: answers every message box, plays each modal
// dialog in turn, and records what the program showed.

#include "game.h"
#include "kit/seam.h"

#include <QApplication>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <functional>
#include <vector>

class QDialog;
class QTableWidget;

// Tests run offscreen unless told otherwise, so they need no display.
#define KW_TEST_MAIN(TestClass)                                                                    \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))                                         \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        QApplication app(argc, argv);                                                              \
        app.setQuitOnLastWindowClosed(false);                                                      \
        TestClass testObject;                                                                      \
        return QTest::qExec(&testObject, argc, argv);                                              \
    }

namespace kw::test {

class Student {
public:
    Student();
    ~Student();
    Student(const Student&) = delete;
    Student& operator=(const Student&) = delete;

    // Plays the next modal dialog that opens; unplayed dialogs are closed by their close box.
    void thenDialog(std::function<void(QDialog*)> play);
    // Answer for the next message box (OK when nothing is queued).
    void thenAnswer(bool ok);
    // Called with each box before it is answered (to look at the windows meanwhile).
    std::function<void(const kw::seam::BoxRecord&)> onBox;

    std::vector<kw::seam::BoxRecord> boxes;
    QStringList boxTexts() const;
    QStringList dialogsOpened; // class names, in order
    int pendingDialogs() const { return static_cast<int>(m_plays.size()); }
    void clear();

private:
    kw::seam::Script m_script;
    std::deque<std::function<void(QDialog*)>> m_plays;
    std::deque<bool> m_answers;
};

// A program started in its own folder holding the given configuration and exercise file.
class Program {
public:
    // `ini` is written as kw_switch.INI (unless `writeIni` is false); `exercises` (when not
    // null) as switchexos.kw.
    Program(const QByteArray& ini, const char* exercises = nullptr, bool writeIni = true);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return m_started; }
    QString folder() const { return m_dir.path(); }
    Student student;

    // Mouse-down on the diagram at picture pixel (x, y).
    void clickDiagram(int x, int y, Qt::MouseButton button = Qt::LeftButton);
    void clickStation(int station);
    QRgb diagramPixel(int x, int y) const;

private:
    QTemporaryDir m_dir;
    QString m_previousFolder;
    bool m_started = false;
};

// Builds now the controls that the windows build when first shown or reached, for the
// checks that walk every control of every window.
void buildEveryControl();

// The program's game: what the windows do not show (FlowState, the LEDs lit, the copies), and
// a play set up in the middle, on the game itself, as acts would take long to reach it.
kw::SharedState& state();
kw::GameView& view();
// The windows show the game's view again, after a test has changed it.
void refresh();
// A tick of the progress window set as the program or the student would have set it.
void setTicked(kw::Tick tick, bool ticked);
// The frame's end reached as the receiving station reaches it: FlowState 60, the destination
// ticked, "Fin du traitement de la trame" enabled and the progress window in front.
void completeFrame();
// The next exercise, "Nouveau" enabled for it.
void nextExercise();
// `window` open (modeless) as far as the game knows, the rest of the play unchanged.
void markOpen(kw::Window window);
// `dialog` run modally as the game runs it for work, outside any step of the frame; its result.
int runForWork(kw::Window window, QDialog* dialog);

// Folder of a ready example under examples/, or of a fixture under tests/data/.
QString examplesFolder(const QString& name);

// A point of the diagram picture inside the click region of station 1..8.
QPoint stationPoint(int station);
// Configured MAC text of station 0..9.
QString macOf(int station);

// A grid cell as drawn, without the grid line after it.
QSize cellSize(const QTableWidget* grid, int column, int row);

} // namespace kw::test
