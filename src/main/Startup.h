#pragma once
// The start-up between the globals and the message loop: the splash counts
// while every window is created once, the main window first.

#include <memory>

class TfrmMain;
class TfrmSplash;

// Shows the splash with "Loading 10%", creates the windows in their order and
// leaves the splash at "Loading 90%". The globals must exist already.
std::unique_ptr<TfrmMain> CreateWindows(TfrmSplash& splash);
