// The editor's start-up, step for step as the program entry runs it, ending
// when the main window answers input: prints the realtime clock (ns) at that
// moment and the time spent in the splash's two pauses, then exits without
// writing settings. bench/startup.sh takes the time around the process.
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "Startup.h"
#include "TfrmMain.h"
#include "TfrmSplash.h"
#include "core/Globals.h"
#include "core/ProgramSettings.h"
#include "ui/Application.h"

namespace {
long long RealtimeNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}
}  // namespace

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    core::InitGlobals();
    TfrmSplash splash;
    std::unique_ptr<TfrmMain> main = CreateWindows(splash);
    main->show();
    long long pauseStart = 0;
    long long pauseEnd = 0;
    QTimer::singleShot(0, main.get(), [&] {
        pauseStart = RealtimeNs();
        main->FormActivate();
        pauseEnd = RealtimeNs();
        // Ready for input once the queue of pending events has run dry.
        QTimer::singleShot(0, main.get(), [&] {
            std::printf("ready_ns=%lld pause_ns=%lld\n", RealtimeNs(), pauseEnd - pauseStart);
            std::fflush(stdout);
            QApplication::exit(0);
        });
    });
    const int result = app.exec();
    core::Settings.reset();  // a measuring run leaves the settings file alone
    main.reset();
    std::_Exit(result);
}
