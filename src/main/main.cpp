// The program entry: globals and settings before any window, the splash with
// its progress, every window once, then the message loop.
#include <QTimer>

#include "Startup.h"
#include "TfrmMain.h"
#include "TfrmSplash.h"
#include "core/Globals.h"
#include "ui/Application.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    core::InitGlobals();

    int result = 0;
    {
        TfrmSplash splash;
        std::unique_ptr<TfrmMain> main = CreateWindows(splash);
        main->show();
        // Some platforms never activate a window on their own (offscreen, or a
        // window manager that keeps the splash on top): end the splash anyway.
        QTimer::singleShot(0, main.get(), [&main] { main->FormActivate(); });
        result = app.exec();
        main.reset();  // writes the settings and frees the globals
        frmSplash = nullptr;
    }
    return result;
}
