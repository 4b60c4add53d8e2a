#pragma once
// The program-wide state shared by the windows, created by InitGlobals before
// the first window and freed by DoneGlobals after the last user action.

#include <memory>
#include <mutex>
#include <string>

#include "feed/FeedModel.h"

namespace core {

// The feed shown in the main window; none until the main window creates it.
extern std::unique_ptr<feed::TFeed> CurrentFeed;
// Target of Open and Download, swapped in when a load succeeds.
extern std::unique_ptr<feed::TFeed> ScratchFeed;
// Set by every edit of the current feed; drives the save prompts.
extern bool FeedChanged;
// Guards ImageDownloadBusy only; never held while downloading.
extern std::mutex ImageLock;
extern bool ImageDownloadBusy;
// Offer the scale-down when a requested re-download of the image arrives.
extern bool ScaleAfterDownload;
// Index of the open feed in the feeds list and in Settings->Feeds, or -1.
extern int CurrentFeedIndex;
// The feed's XML handed to the source view.
extern std::string SourceText;
// The source window's text was saved and is to be re-parsed.
extern bool SourceSaved;
// The feed's text as read, shown for fixing by hand and on the "Original" page.
extern std::string RawSourceText;
// Parse error shown when the source window is activated.
extern std::string SourceError;

// Creates the settings and loads them, resets the flags, loads the language list.
void InitGlobals();
// Saves the settings (result ignored) and frees the settings, the language list
// and the current feed.
void DoneGlobals();

}  // namespace core
