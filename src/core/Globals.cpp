#include "core/Globals.h"

#include "core/ProgramSettings.h"
#include "core/TextHelpers.h"

namespace core {

std::unique_ptr<feed::TFeed> CurrentFeed;
std::unique_ptr<feed::TFeed> ScratchFeed;
bool FeedChanged = false;
std::mutex ImageLock;
bool ImageDownloadBusy = false;
bool ScaleAfterDownload = false;
int CurrentFeedIndex = -1;
std::string SourceText;
bool SourceSaved = false;
std::string RawSourceText;
std::string SourceError;

void InitGlobals() {
    Settings = std::make_unique<TProgramSettings>();
    LoadSettings();
    FeedChanged = false;
    {
        std::lock_guard lock(ImageLock);
        ImageDownloadBusy = false;
    }
    ScaleAfterDownload = false;
    CurrentFeedIndex = -1;
    LoadLanguageCodes();
}

void DoneGlobals() {
    if (Settings) SaveSettings();
    Settings.reset();
    LanguageCodes.clear();
    CurrentFeed.reset();
    ScratchFeed.reset();
}

}  // namespace core
