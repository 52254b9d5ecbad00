// The cost of one diagram click that opens a dialog and closes it: the program starts as
// main() does, then the exercise's sender is clicked <clicks> times (default 200). A
// scripted student waits for each sending dialog to be painted, then closes it without
// answering, so the frame never leaves and every click opens the dialog again.
//   kw_switch_clicks [clicks]        (in an example folder, QT_QPA_PLATFORM=offscreen)

#include "app/front_end.h"
#include "app/windows.h"
#include "diagram.h"
#include "game.h"
#include "kit/seam.h"
#include "kit/widgets.h"
#include "main/u_principale.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QIcon>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr double ClickTargetMs = 1; // median of the clicks after the first

// Spins the event loop until `done` holds or two seconds have gone by.
template <typename Done> bool spinUntil(Done done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 2000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The middle of the station's click region, found through the diagram's own hit test.
bool centreOf(int station, int& x, int& y)
{
    long sumX = 0, sumY = 0, count = 0;
    for (int py = 0; py < kw::DiagramHeight; ++py)
        for (int px = 0; px < kw::DiagramWidth; ++px) {
            const kw::DiagramHit hit = kw::HitTestDiagram(px, py);
            if (hit.element == kw::DiagramElement::Station && hit.station == station) {
                sumX += px;
                sumY += py;
                ++count;
            }
        }
    if (count == 0)
        return false;
    x = static_cast<int>(sumX / count);
    y = static_cast<int>(sumY / count);
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    app.setWindowIcon(kw::ui::programIcon());
    const int clicks = argc > 1 ? std::atoi(argv[1]) : 200;
    if (clicks < 2 || clicks > 100000) {
        std::fprintf(stderr, "usage: kw_switch_clicks [clicks, 2 to 100000]\n");
        return 2;
    }
    if (!kw::ui::createWindows())
        return 1;
    TPrincipale* principale = kw::ui::windows().Principale;
    if (!spinUntil([&] {
            return principale->windowHandle() && principale->windowHandle()->isExposed();
        })) {
        std::fprintf(stderr, "kw_switch_clicks: the main window was never exposed\n");
        return 1;
    }

    const int sender = kw::ui::game().state().CurrentExercise.source;
    int x = 0, y = 0;
    if (!centreOf(sender, x, y)) {
        std::fprintf(stderr, "kw_switch_clicks: no click region for station %d\n", sender);
        return 1;
    }

    int opened = 0, unpainted = 0, boxes = 0;
    kw::seam::Script script;
    script.onBox = [&](const kw::seam::BoxRecord&) {
        ++boxes;
        return true;
    };
    script.onModal = [&](QDialog* dialog) {
        ++opened;
        // The window paints while its expose is handled; one more turn flushes the rest.
        if (!spinUntil(
                [&] { return dialog->windowHandle() && dialog->windowHandle()->isExposed(); }))
            ++unpainted;
        QCoreApplication::processEvents();
        dialog->reject();
    };
    kw::seam::setScript(&script);

    const int errorsBefore = kw::ui::game().state().ErrorTotal;
    const int flowBefore = kw::ui::game().state().FlowState;
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < clicks; ++i) {
        timer.start();
        principale->Image1MouseDown(Qt::LeftButton, Qt::NoModifier, x, y);
        QCoreApplication::processEvents();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    kw::seam::setScript(nullptr);

    const std::vector<double> steady(ms.begin() + 1, ms.end());
    double sum = 0;
    for (double value : steady)
        sum += value;
    std::printf("click on the sender (station %d at %d,%d), sending dialog opened, painted "
                "and closed, %d clicks:\n",
                sender, x, y, clicks);
    std::printf("  first click %.2f ms; the others: median %.2f ms, min %.2f ms, mean %.2f ms\n",
                ms.front(), median(steady), *std::min_element(steady.begin(), steady.end()),
                sum / static_cast<double>(steady.size()));
    std::printf("click median %.2f ms (target < %.0f ms): %s\n", median(steady), ClickTargetMs,
                median(steady) < ClickTargetMs ? "met" : "missed");
    const bool sound = opened == clicks && unpainted == 0 && boxes == 0 &&
                       kw::ui::game().state().ErrorTotal == errorsBefore &&
                       kw::ui::game().state().FlowState == flowBefore;
    if (!sound)
        std::printf("  WARNING: %d dialogs opened, %d never painted, %d message boxes, "
                    "%d errors counted, state %d then %d\n",
                    opened, unpainted, boxes, kw::ui::game().state().ErrorTotal - errorsBefore,
                    flowBefore, kw::ui::game().state().FlowState);
    kw::ui::destroyWindows();
    return sound ? 0 : 1;
}
