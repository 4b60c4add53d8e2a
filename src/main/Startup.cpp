#include "Startup.h"

#include <QApplication>

#include "TfrmMain.h"
#include "TfrmSplash.h"

std::unique_ptr<TfrmMain> CreateWindows(TfrmSplash& splash) {
    frmSplash = &splash;
    splash.StartProgress("Loading 10%");
    splash.show();
    splash.ShowProgress("Loading 20%");

    QApplication::setApplicationName("Quorvane");
    QApplication::setApplicationDisplayName("Quorvane");

    // The main window reports 30% and 40% itself while it loads the skin and fills its lists.
    auto main = std::make_unique<TfrmMain>();
    splash.ShowProgress("Loading 50%");
    splash.ShowProgress("Loading 60%");
    splash.ShowProgress("Loading 70%");
    splash.ShowProgress("Loading 80%");
    splash.ShowProgress("Loading 90%");
    return main;
}
