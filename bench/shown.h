#pragma once

// Shared by the start-up programs of the benchmark: once the watched window has been
// exposed and painted for the first time, and the window system has taken the picture (on
// X11 a round trip to the server), the monotonic clock, the peak memory and the page faults
// so far are written to standard output ("shown <nanoseconds>", "peak-kb <KiB>",
// "faults <count>") for the runner, and the event loop ends.

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#if KW_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

// Called once the window is on screen. It does nothing: callgrind is told to dump its
// counts on entry (--dump-before=kw_bench_window_shown), which splits them at that point.
extern "C" __attribute__((noinline)) inline void kw_bench_window_shown()
{
    asm volatile("");
}

namespace kw::bench {

inline long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

// On X11 the painted picture has reached the server once it answers a later request. Events
// are left alone: the other windows' are not this window's start-up.
inline void waitForServer()
{
#if KW_HAVE_XCB && QT_CONFIG(xcb)
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (xcb_connection_t* connection = x11 ? x11->connection() : nullptr)
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
#endif
}

// The process's peak resident memory so far (VmHWM), in KiB; 0 when unknown.
inline long peakResidentKb()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    long kb = 0;
    char line[256];
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1)
            break;
    std::fclose(status);
    return kb;
}

// The page faults the process has taken so far, minor and major: each costs the kernel a
// trap, far more than the instructions around it on a virtual machine.
inline long pageFaults()
{
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return 0;
    return usage.ru_minflt + usage.ru_majflt;
}

class QuitWhenShown : public QObject {
public:
    // `window` must be shown already (its platform window exists).
    explicit QuitWhenShown(QWidget* window) : QObject(window)
    {
        QWindow* handle = window->windowHandle();
        if (!handle || handle->isExposed()) {
            finish();
            return;
        }
        handle->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Expose || !static_cast<QWindow*>(watched)->isExposed())
            return false;
        // The window paints while it handles its expose: let it do so here, so that the
        // time is that of the first frame of this window, whatever else is queued (the
        // offscreen platform also exposes and paints windows shown minimised).
        watched->removeEventFilter(this);
        watched->event(event);
        finish();
        return true;
    }

private:
    void finish()
    {
        waitForServer();
        kw_bench_window_shown();
        const long long shown = monotonicNs();
        std::printf("shown %lld\npeak-kb %ld\nfaults %ld\n", shown, peakResidentKb(), pageFaults());
        std::fflush(stdout);
        // exit(), not quit(): quit() first asks every window to close, and the program's
        // main window would answer with its "Terminer ?" question.
        QTimer::singleShot(0, this, [] { QCoreApplication::exit(0); });
    }
};

} // namespace kw::bench
