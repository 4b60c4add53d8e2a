// Operations of the editing core that the frame routes its commands to. The
// feed list shows the known feeds; the other commands arrive with their editors.
#include <QFileInfo>
#include <QListWidget>

#include "TfrmMain.h"
#include "core/Globals.h"
#include "core/ProgramSettings.h"
#include "ui_TfrmMain.h"

void TfrmMain::FillFeedList() {
    FillingFeedList = true;
    ui->lstFeeds->clear();
    for (const auto& entry : core::Settings->Feeds) {
        const QString path = QString::fromStdString(entry->LocalFile);
        ui->lstFeeds->addItem(core::Settings->FeedFilenamesOnly ? QFileInfo(path).fileName() : path);
    }
    FillingFeedList = false;
}

void TfrmMain::NotYet(const QString& operation) { RoutedCalls << operation; }

void TfrmMain::NewFeed() { NotYet("NewFeed"); }
void TfrmMain::OpenFeed() { NotYet("OpenFeed"); }
void TfrmMain::SaveFeed() { NotYet("SaveFeed"); }
void TfrmMain::SaveFeedAs() { NotYet("SaveFeedAs"); }
void TfrmMain::RemoveFeed() { NotYet("RemoveFeed"); }
void TfrmMain::DownloadFeed() { NotYet("DownloadFeed"); }
void TfrmMain::UploadFeed() { NotYet("UploadFeed"); }
void TfrmMain::RunWizard() { NotYet("RunWizard"); }
void TfrmMain::NewItem() { NotYet("NewItem"); }
void TfrmMain::CloneItem() { NotYet("CloneItem"); }
void TfrmMain::DeleteItem() { NotYet("DeleteItem"); }
void TfrmMain::MoveFeed(int delta) { NotYet(QString("MoveFeed(%1)").arg(delta)); }
void TfrmMain::MoveItem(int delta) { NotYet(QString("MoveItem(%1)").arg(delta)); }
void TfrmMain::OpenImage() { NotYet("OpenImage"); }
void TfrmMain::SaveImage() { NotYet("SaveImage"); }
void TfrmMain::ReDownloadImage() { NotYet("ReDownloadImage"); }
void TfrmMain::UploadImage() { NotYet("UploadImage"); }
void TfrmMain::ViewSource() { NotYet("ViewSource"); }
void TfrmMain::ShowSearch() { NotYet("ShowSearch"); }
void TfrmMain::ShowExport() { NotYet("ShowExport"); }
void TfrmMain::ShowPreferences() { NotYet("ShowPreferences"); }
void TfrmMain::ShowFtpLog() { NotYet("ShowFtpLog"); }
bool TfrmMain::OfferScaleDown() { return false; }
void TfrmMain::RemoveCropRect() {}
bool TfrmMain::ExitSequence() { return true; }
