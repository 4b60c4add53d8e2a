// Saves a picture of every page of the main window (and the splash) for a
// look by eye: run under a real or virtual display, e.g.
//   xvfb-run -s "-screen 0 1280x1024x24" build/bin/quorvane-screenshots /tmp/shots [skin] [feed.xml]
// The program folder is the one next to the executable; settings are not written.
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>

#include "TfrmMain.h"
#include "TfrmSplash.h"
#include "core/Globals.h"
#include "core/ProgramFolder.h"
#include "core/ProgramSettings.h"
#include "ui/Application.h"
#include "ui_TfrmMain.h"

namespace {

void Save(QWidget* widget, const QString& folder, const QString& name) {
    QTest::qWait(150);
    widget->grab().save(folder + "/" + name + ".png");
}

}  // namespace

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    const QString out = argc > 1 ? argv[1] : "/tmp/quorvane-shots";
    QDir().mkpath(out);
    const QString skin = argc > 2 ? argv[2] : "Default";

    core::InitGlobals();
    core::Settings->Skin = core::ProgramFolder() + "Skins/" + skin.toStdString() + "/skin.ini";

    TfrmSplash splash;
    frmSplash = &splash;
    splash.StartProgress("Loading 50%");
    splash.show();
    Save(&splash, out, "splash");
    splash.hide();
    frmSplash = nullptr;

    TfrmMain window;
    Ui::TfrmMain* ui = window.Form();
    for (const QSize size : {QSize(630, 512), QSize(1000, 720)}) {
        window.resize(size);
        window.show();
        const QString suffix = QString("-%1x%2").arg(size.width()).arg(size.height());
        struct Page {
            QWidget* page;
            QTabWidget* sub;
            int subIndex;
            const char* name;
        };
        const Page pages[] = {
            {ui->tabFeeds, ui->pgcFeed, 0, "feeds-required"}, {ui->tabFeeds, ui->pgcFeed, 1, "feeds-optional"},
            {ui->tabItems, ui->pgcItem, 0, "items-required"}, {ui->tabItems, ui->pgcItem, 1, "items-optional"},
            {ui->tabImages, ui->pgcImage, 0, "image-image"},  {ui->tabImages, ui->pgcImage, 1, "image-editor"},
        };
        for (const Page& p : pages) {
            ui->pgcMain->setCurrentWidget(p.page);
            p.sub->setCurrentIndex(p.subIndex);
            Save(&window, out, skin.toLower() + "-" + p.name + suffix);
        }
    }
    for (QMenu* menu : ui->mbrMain->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) {
        if (menu->objectName().isEmpty()) continue;  // the bar's own overflow menu
        menu->popup(window.mapToGlobal(QPoint(20, 20)));
        Save(menu, out, skin.toLower() + "-menu-" + menu->objectName());
        menu->hide();
    }
    core::Settings.reset();  // no settings written by a picture run
    return 0;
}
