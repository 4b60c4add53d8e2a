// The main window's life: start-up with the splash, placement, closing and
// the settings written at the end.
#include <QLabel>
#include <QComboBox>
#include <QListWidget>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>

#include "MainWindowFixture.h"
#include "Startup.h"
#include "TfrmSplash.h"
#include "ui/SpellChecker.h"
#include "ui/TextField.h"

namespace main_test {
namespace {

using feed::test::ReadAll;

QRect ScreenArea() { return QGuiApplication::primaryScreen()->geometry(); }

class PlacementTest : public MainWindowTest {
protected:
    void Store(int top, int left, int height, int width) {
        core::TWindowPlace& place = core::Settings->Place("main");
        place = {top, left, height, width};
    }
};

TEST_F(PlacementTest, NothingStoredCentresTheWindow) {
    Store(-1, -1, -1, -1);
    ShowWindow();
    const QRect area = ScreenArea();
    EXPECT_EQ(window->x(), area.width() / 2 - window->width() / 2);
    EXPECT_EQ(window->y(), area.height() / 2 - window->height() / 2);
}

TEST_F(PlacementTest, AStoredPlaceOnTheScreenIsRestored) {
    Store(20, 30, 520, 640);
    ShowWindow();
    EXPECT_EQ(window->pos(), QPoint(30, 20));
    EXPECT_EQ(window->size(), QSize(640, 520));
}

struct OffScreenCase {
    const char* name;
    // The stored place, from the screen's width and height.
    std::function<core::TWindowPlace(int width, int height)> place;
};

class OffScreenPlacementTest : public PlacementTest, public testing::WithParamInterface<OffScreenCase> {};

TEST_P(OffScreenPlacementTest, IsIgnored) {
    const QRect area = ScreenArea();
    const QSize design = window->size();
    const QPoint before = window->pos();
    core::Settings->Place("main") = GetParam().place(area.width(), area.height());
    ShowWindow();
    EXPECT_EQ(window->size(), design);
    EXPECT_EQ(window->pos(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Placement, OffScreenPlacementTest,
    testing::Values(
        OffScreenCase{"BeyondTheRightEdge", [](int w, int) { return core::TWindowPlace{10, w - 100, 520, 640}; }},
        OffScreenCase{"BeyondTheBottom", [](int, int h) { return core::TWindowPlace{h - 100, 10, 520, 640}; }},
        OffScreenCase{"NegativeTop", [](int, int) { return core::TWindowPlace{-5, 10, 520, 640}; }},
        OffScreenCase{"NegativeLeft", [](int, int) { return core::TWindowPlace{10, -5, 520, 640}; }}),
    feed::test::CaseName<OffScreenCase>);

TEST_F(PlacementTest, ClosingStoresThePlaceAndShutdownWritesTheSettings) {
    ShowWindow();
    window->move(40, 50);
    window->resize(700, 560);
    ASSERT_TRUE(WaitFor([&] { return window->size() == QSize(700, 560); }));
    window->close();
    const core::TWindowPlace place = core::Settings->Place("main");
    EXPECT_EQ(place.Left, window->x());
    EXPECT_EQ(place.Top, window->y());
    EXPECT_EQ(place.Width, 700);
    EXPECT_EQ(place.Height, 560);

    window.reset();
    const std::string settings = ReadAll(folder.File("settings"));
    EXPECT_NE(settings.find("<mainWidth>700</mainWidth>"), std::string::npos) << settings.substr(0, 400);
    EXPECT_EQ(core::Settings, nullptr);
    EXPECT_EQ(core::CurrentFeed, nullptr);
}

TEST_F(PlacementTest, AMaximisedWindowKeepsItsStoredPlace) {
    Store(20, 30, 520, 640);
    ShowWindow();
    window->showMaximized();
    QTest::qWait(20);
    window->close();
    const core::TWindowPlace place = core::Settings->Place("main");
    EXPECT_EQ(place.Width, 640);
    EXPECT_EQ(place.Top, 20);
}

// --- Start-up ------------------------------------------------------------------

class StartupTest : public testing::Test {
protected:
    void SetUp() override {
        SetDialogsScripted(true);
        CopyProgramFolder(folder.Path());
        core::SetProgramFolder(folder.Path().string());
        core::InitGlobals();
    }
    void TearDown() override {
        frmSplash = nullptr;
        core::SetProgramFolder("");
        SetDialogsScripted(false);
    }
    feed::test::TempDir folder;
};

TEST_F(StartupTest, SplashCountsToAHundredAndClosesBeforeTheWindowIsUsed) {
    TfrmSplash splash;
    splash.SetPauseRounds(1);
    std::unique_ptr<TfrmMain> main = CreateWindows(splash);
    EXPECT_TRUE(splash.isVisible());
    EXPECT_EQ(splash.ProgressText(), "Loading 90%");

    main->show();
    main->FormActivate();

    EXPECT_FALSE(splash.isVisible());
    EXPECT_TRUE(main->isEnabled());
    EXPECT_EQ(splash.ProgressHistory(),
              (QStringList{"Loading 10%", "Loading 20%", "Loading 30%", "Loading 40%", "Loading 50%", "Loading 60%",
                           "Loading 70%", "Loading 80%", "Loading 90%", "Loading 100%"}));
    EXPECT_EQ(splash.findChild<QLabel*>("lblVersion")->text(), "v1.0.2.0");
    EXPECT_FALSE(splash.findChild<QLabel*>("lblLoading")->isVisible());

    main->FormActivate();  // a later activation leaves the splash alone
    EXPECT_EQ(splash.ProgressHistory().size(), 10);
    main.reset();
}

TEST_F(StartupTest, FirstRunListsTheSampleFeed) {
    TfrmSplash splash;
    splash.SetPauseRounds(0);
    std::unique_ptr<TfrmMain> main = CreateWindows(splash);
    auto* list = main->findChild<QListWidget*>("lstFeeds");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "sample.xml");
    main.reset();
    EXPECT_TRUE(fs::exists(folder.File("settings"))) << "the shutdown writes the settings";
}

TEST(StartupWithoutFilesTest, StartsWithDefaultsAndAnEmptyLanguageList) {
    SetDialogsScripted(true);
    feed::test::TempDir empty;
    core::SetProgramFolder(empty.Path().string());
    core::InitGlobals();
    {
        TfrmMain main;
        EXPECT_EQ(main.findChild<QComboBox*>("cmbFeedLanguage")->count(), 0);
        EXPECT_EQ(main.findChild<QListWidget*>("lstFeeds")->count(), 0);
        EXPECT_EQ(core::Settings->LastFtpMode, "pasv");
    }
    EXPECT_TRUE(fs::exists(empty.File("settings")));
    core::SetProgramFolder("");
    SetDialogsScripted(false);
}

TEST_F(StartupTest, AboutBoxClosesOnAClickOnItsPicture) {
    TfrmSplash splash;
    QTimer::singleShot(50, &splash, [&splash] {
        EXPECT_TRUE(splash.AboutMode());
        EXPECT_FALSE(splash.findChild<QLabel*>("lblLoading")->isVisible());
        QTest::mouseClick(splash.findChild<QLabel*>("imgSplash"), Qt::LeftButton);
    });
    core::Settings->Place("about") = {30, 40, -1, -1};
    splash.ShowAbout();
    EXPECT_FALSE(splash.isVisible());
    EXPECT_FALSE(splash.AboutMode());
    EXPECT_EQ(core::Settings->Place("about").Top, 30) << "the about box opened where it was left";
    EXPECT_EQ(core::Settings->Place("about").Left, 40);
}

}  // namespace
}  // namespace main_test

namespace main_test {
namespace {

// A program folder whose settings name the test dictionary shipped in its Dictionaries folder.
class SpellingWindowTest : public MainWindowTest {
protected:
    void BeforeGlobals() override {
        fs::create_directories(folder.Path() / "Dictionaries");
        for (const char* name : {"test.dic", "test.aff"})
            fs::copy_file(fs::path(QUORVANE_TEST_DIR) / "ui/data/spell" / name, folder.Path() / "Dictionaries" / name);
        feed::test::WriteAll(folder.File("settings"),
                             "<?xml version=\"1.0\"?><programSettings><spellDictionary>test.dic</spellDictionary>"
                             "<spellIgnoreUpper>0</spellIgnoreUpper></programSettings>");
    }
};

TEST_F(SpellingWindowTest, TitlesAndDescriptionsAreCheckedWithTheChosenDictionary) {
    ASSERT_TRUE(window->splLive->HasDictionary());
    for (TRichField* field : {form->edtFeedTitle, form->edtFeedDescription, form->edtItemTitle,
                              form->edtItemDescription})
        EXPECT_TRUE(window->splLive->IsAttached(field)) << field->objectName().toStdString();
    EXPECT_FALSE(window->splLive->IsAttached(form->edtFeedLink));
    EXPECT_TRUE(window->splLive->IsMisspelled("qwxzv"));
}

}  // namespace
}  // namespace main_test

namespace main_test {
namespace {

TEST_F(MainWindowTest, ActivationGivesTheListTheFocusOnlyWhenNothingHasIt) {
    ShowWindow();
    EXPECT_EQ(QApplication::focusWidget(), form->lstFeeds) << "the list has the focus after the start";

    form->edtFeedTitle->setFocus();
    window->FormActivate();
    EXPECT_EQ(QApplication::focusWidget(), form->edtFeedTitle) << "a field being typed in keeps it";

    form->pgcMain->setCurrentWidget(form->tabItems);
    window->CommitField();
    window->FormActivate();
    EXPECT_EQ(QApplication::focusWidget(), form->lstItems);
}

}  // namespace
}  // namespace main_test

namespace main_test {
namespace {

TEST_F(MainWindowTest, EveryTextFieldSharesTheFieldBehaviour) {
    int fields = 0;
    for (QTextEdit* edit : window->findChildren<QTextEdit*>()) {
        auto* field = qobject_cast<TRichField*>(edit);
        ASSERT_NE(field, nullptr) << edit->objectName().toStdString() << " is a text field of another kind";
        ++fields;
        const bool description = field == form->edtFeedDescription || field == form->edtItemDescription;
        EXPECT_EQ(field->Mode(), description ? FieldMode::MultiLineHtmlBreaks : FieldMode::SingleLine)
            << field->objectName().toStdString();
    }
    EXPECT_GE(fields, 40);

    // Enter commits a field of the image page as well, and leaves its text alone.
    ShowWindow();
    form->pgcMain->setCurrentWidget(form->tabImages);
    QObject context;
    int exits = 0;
    QObject::connect(form->edtImageWidth, &TRichField::Exited, &context, [&] { ++exits; });
    form->edtImageWidth->setFocus();
    QTest::keyClicks(form->edtImageWidth, "88");
    QTest::keyClick(form->edtImageWidth, Qt::Key_Return);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(form->edtImageWidth->Text(), "88");
    EXPECT_EQ(QApplication::focusWidget(), form->edtImageWidth);
}

}  // namespace
}  // namespace main_test
