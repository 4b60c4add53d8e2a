#pragma once
// A main window over a program folder of its own: a temporary copy of the
// shipped program folder, dialogs answered by the test, globals made fresh.

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "TfrmMain.h"
#include "core/Globals.h"
#include "core/ProgramFolder.h"
#include "core/ProgramSettings.h"
#include "feed/TestSupport.h"
#include "support/QtPrinters.h"
#include "ui/DialogSeams.h"
#include "ui_TfrmMain.h"

namespace main_test {

namespace fs = std::filesystem;

// Copies the shipped program folder (help, skins, language list, sample feed).
inline void CopyProgramFolder(const fs::path& target) {
    const fs::path shipped = QUORVANE_PROGRAM_DIR;
    for (const char* name : {"Help", "Skins", "Feeds", "LanguageCodes.txt"}) {
        std::error_code ec;
        fs::copy(shipped / name, target / name, fs::copy_options::recursive, ec);
    }
}

// Polls until the condition holds or about five seconds have passed.
inline bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 500 && !condition(); ++i) QTest::qWait(10);
    return condition();
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        SetDialogsScripted(true);
        CopyProgramFolder(folder.Path());
        BeforeGlobals();
        core::SetProgramFolder(folder.Path().string());
        core::InitGlobals();
        window = std::make_unique<TfrmMain>();
        form = window->Form();
    }

    void TearDown() override {
        window.reset();  // runs the shutdown: settings written, globals freed
        core::SetProgramFolder("");
        SetDialogsScripted(false);
    }

    // Lets a test prepare the folder before the settings are read.
    virtual void BeforeGlobals() {}

    void ShowWindow() {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    template <typename T>
    T* Find(const char* name) {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    feed::test::TempDir folder;
    std::unique_ptr<TfrmMain> window;
    Ui::TfrmMain* form = nullptr;
};

}  // namespace main_test
