// The frame of the main window driven through its widgets: shortcuts, pages,
// menus, status bar, gauge, placement, skins, help, printing and errors.
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QUrl>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "MainWindowFixture.h"
#include "feed/FeedModel.h"
#include "ui/RtfDocument.h"
#include "ui/TextField.h"

namespace main_test {
namespace {

using feed::test::ReadAll;
using feed::test::WriteAll;

// --- Keyboard ---------------------------------------------------------------------

struct ShortcutCase {
    const char* name;
    int page;  // index of pgcMain
    Qt::Key key;
    QStringList routed;       // operations the key reaches
    const char* focusAfter;   // object name of the focused widget afterwards, or "" for unchanged
};

class ShortcutTest : public MainWindowTest, public testing::WithParamInterface<ShortcutCase> {};

TEST_P(ShortcutTest, CtrlKeyActsByPage) {
    const ShortcutCase& c = GetParam();
    ShowWindow();
    form->pgcMain->setCurrentIndex(c.page);
    QWidget* list = c.page == 1 ? static_cast<QWidget*>(form->lstItems) : form->lstFeeds;
    if (c.page == 2) list = form->edtImageTitle;
    list->setFocus();
    window->RoutedCalls.clear();

    QTest::keyClick(list, c.key, Qt::ControlModifier);

    EXPECT_EQ(window->RoutedCalls, c.routed);
    if (*c.focusAfter) {
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), c.focusAfter);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ShortcutTest,
    testing::Values(ShortcutCase{"EnterOnFeeds", 0, Qt::Key_Return, {"NewFeed"}, "edtFeedTitle"},
                    ShortcutCase{"EnterOnItems", 1, Qt::Key_Return, {"NewItem"}, "edtItemTitle"},
                    ShortcutCase{"EnterOnImages", 2, Qt::Key_Return, {}, "edtImageTitle"},
                    ShortcutCase{"DeleteOnFeeds", 0, Qt::Key_Delete, {"RemoveFeed"}, "lstFeeds"},
                    ShortcutCase{"DeleteOnItems", 1, Qt::Key_Delete, {"DeleteItem"}, "lstItems"},
                    ShortcutCase{"DeleteOnImages", 2, Qt::Key_Delete, {}, "edtImageTitle"},
                    ShortcutCase{"SaveOnFeeds", 0, Qt::Key_S, {"SaveFeed"}, ""},
                    ShortcutCase{"SaveOnItems", 1, Qt::Key_S, {"SaveFeed"}, ""},
                    ShortcutCase{"SaveOnImages", 2, Qt::Key_S, {"SaveFeed"}, ""},
                    ShortcutCase{"UploadOnImages", 2, Qt::Key_U, {"UploadFeed"}, ""},
                    ShortcutCase{"OtherKeyDoesNothing", 0, Qt::Key_K, {}, "lstFeeds"}),
    feed::test::CaseName<ShortcutCase>);

TEST_F(MainWindowTest, CtrlEnterInASingleLineFieldMakesTheNewItemAndTypesNothing) {
    ShowWindow();
    form->pgcMain->setCurrentWidget(form->tabItems);
    form->pgcItem->setCurrentWidget(form->tabItemsOptional);
    form->edtItemAuthor->setFocus();
    form->edtItemAuthor->SetText("Ann");
    window->RoutedCalls.clear();

    QTest::keyClick(form->edtItemAuthor, Qt::Key_Return, Qt::ControlModifier);

    EXPECT_EQ(window->RoutedCalls, QStringList{"NewItem"});
    EXPECT_EQ(form->edtItemAuthor->Text(), "Ann");
    EXPECT_EQ(form->pgcItem->currentWidget(), form->tabItemsRequired);
}

TEST_F(MainWindowTest, SaveShortcutStillReachesTheFocusedControl) {
    ShowWindow();
    form->pgcMain->setCurrentWidget(form->tabFeeds);
    struct Seen : QObject {
        int keys = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() != Qt::Key_Control) ++keys;
            return false;
        }
    } seen;
    form->lstFeeds->setFocus();
    form->lstFeeds->installEventFilter(&seen);
    QTest::keyClick(form->lstFeeds, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(seen.keys, 1);
    form->lstFeeds->setFocus();
    QTest::keyClick(form->lstFeeds, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(seen.keys, 1) << "Ctrl+Enter is consumed when it acts";
}

struct ListKeyCase {
    const char* name;
    const char* list;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QStringList routed;
};

class ListKeyTest : public MainWindowTest, public testing::WithParamInterface<ListKeyCase> {};

TEST_P(ListKeyTest, InsertAndDeleteInTheLists) {
    const ListKeyCase& c = GetParam();
    ShowWindow();
    auto* list = Find<QListWidget>(c.list);
    form->pgcMain->setCurrentWidget(list == form->lstItems ? form->tabItems : form->tabFeeds);
    list->setFocus();
    window->RoutedCalls.clear();
    QTest::keyClick(list, c.key, c.modifiers);
    EXPECT_EQ(window->RoutedCalls, c.routed);
    EXPECT_EQ(QApplication::focusWidget(), list);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListKeyTest,
    testing::Values(ListKeyCase{"FeedsInsert", "lstFeeds", Qt::Key_Insert, Qt::NoModifier, {"NewFeed"}},
                    ListKeyCase{"FeedsDelete", "lstFeeds", Qt::Key_Delete, Qt::NoModifier, {"RemoveFeed"}},
                    ListKeyCase{"ItemsInsert", "lstItems", Qt::Key_Insert, Qt::NoModifier, {"NewItem"}},
                    ListKeyCase{"ItemsDelete", "lstItems", Qt::Key_Delete, Qt::NoModifier, {"DeleteItem"}},
                    ListKeyCase{"ShiftInsertIsNoShortcut", "lstFeeds", Qt::Key_Insert, Qt::ShiftModifier, {}}),
    feed::test::CaseName<ListKeyCase>);

// --- Menus and tool bars ----------------------------------------------------------------

TEST_F(MainWindowTest, MenusHoldEveryEntryWithItsCaption) {
    const std::vector<std::pair<const char*, QStringList>> menus = {
        {"mnuFeed", {"&Wizard", "", "&New", "&Open", "&Save", "Save &As", "&Remove", "", "&Download", "&Upload", "",
                     "&Print", "", "E&xit"}},
        {"mnuItem", {"&New", "&Clone", "&Delete"}},
        {"mnuImage", {"&Open", "&Save", "Re-&Download", "&Upload"}},
        {"mnuEdit", {"&Undo", "", "Cu&t", "&Copy", "&Paste", "", "&Search"}},
        {"mnuTools", {"&HTML Editor", "&Export", "Ski&n", "&Preferences"}},
        {"mnuView", {"&Source", "", "&FTP Log", "", "Move Feed &Up", "Move Feed &Down"}},
        {"mnuHelp", {"&Contents", "W&hat's This?", "&Keyboard Shortcuts", "&Mouse Shortcuts", "&Website", "&About"}},
    };
    QStringList titles;
    for (QAction* action : form->mbrMain->actions()) titles << action->text();
    EXPECT_EQ(titles, (QStringList{"&Feed", "&Item", "I&mage", "&Edit", "&Tools", "&View", "&Help"}));
    for (const auto& [name, captions] : menus) {
        SCOPED_TRACE(name);
        auto* menu = Find<QMenu>(name);
        QStringList shown;
        for (QAction* action : menu->actions()) {
            shown << (action->isSeparator() ? QString() : action->text());
            if (!action->isSeparator()) {
                EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
                EXPECT_TRUE(action->shortcut().isEmpty());
            }
        }
        EXPECT_EQ(shown, captions);
    }
}

TEST_F(MainWindowTest, ToolBarButtonsCarryHintGlyphAndHelpContext) {
    struct Button {
        const char* name;
        const char* hint;
        int help;
    };
    const Button buttons[] = {
        {"btnFeedNew", "New Feed", 16},         {"btnFeedOpen", "Open Feed", 17},
        {"btnFeedSave", "Save Feed", 18},       {"btnFeedRemove", "Remove Feed", 19},
        {"btnFeedDownload", "Download Feed", 20}, {"btnFeedUpload", "Upload Feed", 21},
        {"btnFeedSource", "View Source XML", 25}, {"btnFeedPreferences", "Preferences", 26},
        {"btnFeedMoveUp", "Move Up", 22},       {"btnFeedMoveDown", "Move Down", 23},
        {"btnFeedEditHtml", "Edit Description HTML", 24},
        {"btnItemNew", "New Item", 27},         {"btnItemRemove", "Delete Item", 29},
        {"btnItemMoveUp", "Move Up", 30},       {"btnItemMoveDown", "Move Down", 31},
        {"btnItemSource", "View Source XML", 25}, {"btnItemPreferences", "Preferences", 26},
        {"btnItemClone", "Clone Item", 28},     {"btnItemEditHtml", "Edit Description HTML", 32},
    };
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.name);
        auto* button = Find<QToolButton>(b.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->toolTip(), b.hint);
        EXPECT_EQ(button->property("helpContext").toInt(), b.help);
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_FALSE(button->whatsThis().isEmpty()) << "no help page behind context " << b.help;
    }
    QStringList feedOrder;
    for (QAction* action : Find<QToolBar>("btbFeed")->actions()) feedOrder << action->toolTip();
    EXPECT_EQ(feedOrder.first(), "New Feed");
    EXPECT_EQ(feedOrder.last(), "Edit Description HTML");
}

TEST_F(MainWindowTest, ToolBarButtonsRunTheirMenuCommand) {
    ShowWindow();
    window->RoutedCalls.clear();
    QTest::mouseClick(Find<QToolButton>("btnFeedDownload"), Qt::LeftButton);
    form->pgcMain->setCurrentWidget(form->tabItems);
    QTest::mouseClick(Find<QToolButton>("btnItemClone"), Qt::LeftButton);
    QTest::mouseClick(Find<QToolButton>("btnItemMoveDown"), Qt::LeftButton);
    form->pgcMain->setCurrentWidget(form->tabImages);
    QTest::mouseClick(Find<QToolButton>("btnImageDownload"), Qt::LeftButton);
    EXPECT_EQ(window->RoutedCalls,
              (QStringList{"DownloadFeed", "CloneItem", "MoveItem(1)", "ReDownloadImage"}));
}

TEST_F(MainWindowTest, FeedAndItemCommandsSelectTheirPageFirst) {
    ShowWindow();
    form->pgcMain->setCurrentWidget(form->tabItems);
    form->pgcFeed->setCurrentWidget(form->tabFeedsOptional);
    Find<QAction>("mnuFeedSave")->trigger();
    EXPECT_EQ(form->pgcMain->currentWidget(), form->tabFeeds);
    EXPECT_EQ(form->pgcFeed->currentWidget(), form->tabFeedsRequired);

    form->pgcItem->setCurrentWidget(form->tabItemsOptional);
    Find<QAction>("mnuItemDelete")->trigger();
    EXPECT_EQ(form->pgcMain->currentWidget(), form->tabItems);
    EXPECT_EQ(form->pgcItem->currentWidget(), form->tabItemsRequired);

    Find<QAction>("mnuImageSave")->trigger();
    EXPECT_EQ(form->pgcMain->currentWidget(), form->tabImages);
    EXPECT_EQ(form->pgcImage->currentWidget(), form->tabImagesImage);
    EXPECT_EQ(window->RoutedCalls, (QStringList{"SaveFeed", "DeleteItem", "SaveImage"}));
}

TEST_F(MainWindowTest, PageChangeSwitchesTheMoveEntries) {
    ShowWindow();
    auto* up = Find<QAction>("mnuViewMoveUp");
    auto* down = Find<QAction>("mnuViewMoveDown");
    auto* separator = Find<QAction>("mnuViewMoveSeparator");
    auto* html = Find<QAction>("mnuEditHtml");

    form->pgcItem->setCurrentWidget(form->tabItemsOptional);
    form->pgcMain->setCurrentWidget(form->tabItems);
    EXPECT_EQ(up->text(), "Move Item &Up");
    EXPECT_EQ(down->text(), "Move Item &Down");
    EXPECT_EQ(form->pgcItem->currentWidget(), form->tabItemsRequired);
    EXPECT_TRUE(up->isVisible() && down->isVisible() && separator->isVisible() && html->isVisible());

    form->pgcImage->setCurrentWidget(form->tabImagesEditor);
    form->pgcMain->setCurrentWidget(form->tabImages);
    EXPECT_FALSE(up->isVisible() || down->isVisible() || separator->isVisible() || html->isVisible());
    EXPECT_EQ(form->pgcImage->currentIndex(), 0);

    form->pgcFeed->setCurrentWidget(form->tabFeedsOptional);
    form->pgcMain->setCurrentWidget(form->tabFeeds);
    EXPECT_EQ(up->text(), "Move Feed &Up");
    EXPECT_EQ(form->pgcFeed->currentWidget(), form->tabFeedsRequired);
    EXPECT_TRUE(up->isVisible() && html->isVisible());
}

TEST_F(MainWindowTest, ShortcutInformationBoxes) {
    Find<QAction>("KeyboardShortcuts1")->trigger();
    Find<QAction>("MouseShortcuts1")->trigger();
    ASSERT_EQ(window->dlgMessage->shown.size(), 2u);
    EXPECT_EQ(window->dlgMessage->shown[0].Kind, TMsgKind::Information);
    EXPECT_EQ(window->dlgMessage->shown[0].Buttons, TMsgButtons::Ok);
    EXPECT_EQ(window->dlgMessage->shown[0].Text,
              "Keyboard Shortcuts:\r\n\r\nCreate New Feed or Item\t<Ctrl><Enter>\r\nDelete Current Feed or Item\t"
              "<Ctrl><Del>\r\nSave Current Feed\t\t<Ctrl>S\r\nUpload Current Feed\t\t<Ctrl>U\r\n");
    EXPECT_EQ(window->dlgMessage->shown[1].Text,
              "Mouse Shortcuts:\r\n\r\nDescription HTML Editor\t\tDouble-Click in Description Field\r\n"
              "Field Edit Menu\t\t\tRight-Click on any field\r\n");
}

// --- Committing fields --------------------------------------------------------------

TEST_F(MainWindowTest, CommitFieldWritesTheFocusedField) {
    ShowWindow();
    QObject context;  // ends the counting with the test body
    int exits = 0;
    QObject::connect(form->edtFeedTitle, &TRichField::Exited, &context, [&] { ++exits; });
    form->edtFeedTitle->setFocus();
    QTest::keyClicks(form->edtFeedTitle, "News");
    window->CommitField();
    EXPECT_EQ(exits, 1);
    EXPECT_NE(QApplication::focusWidget(), form->edtFeedTitle);
}

TEST_F(MainWindowTest, OpeningAMenuCommitsTheFieldButKeepsFocusAndSelection) {
    ShowWindow();
    QObject context;  // ends the counting with the test body
    int exits = 0;
    QObject::connect(form->edtFeedTitle, &TRichField::Exited, &context, [&] { ++exits; });
    form->edtFeedTitle->setFocus();
    form->edtFeedTitle->SetText("Morning news");
    QTextCursor cursor = form->edtFeedTitle->textCursor();
    cursor.setPosition(2);
    cursor.setPosition(6, QTextCursor::KeepAnchor);
    form->edtFeedTitle->setTextCursor(cursor);

    window->mbrMainClick();

    EXPECT_EQ(exits, 1);
    EXPECT_EQ(QApplication::focusWidget(), form->edtFeedTitle);
    EXPECT_EQ(form->edtFeedTitle->textCursor().selectionStart(), 2);
    EXPECT_EQ(form->edtFeedTitle->textCursor().selectionEnd(), 6);
}

TEST_F(MainWindowTest, EditMenuCutCopyPasteActOnTheFocusedField) {
    ShowWindow();
    form->edtFeedLink->setFocus();
    form->edtFeedLink->SetText("alpha beta");
    form->edtFeedLink->selectAll();
    Find<QAction>("mnuEditCopy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "alpha beta");

    QApplication::clipboard()->setText("one<br>\r\ntwo");
    Find<QAction>("mnuEditPaste")->trigger();
    EXPECT_EQ(form->edtFeedLink->Text(), "one two") << "the paste passes through the clean-up";

    form->edtFeedLink->selectAll();
    Find<QAction>("mnuEditCut")->trigger();
    EXPECT_EQ(form->edtFeedLink->Text(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "one two");

    Find<QAction>("mnuEditUndo")->trigger();
    EXPECT_EQ(form->edtFeedLink->Text(), "one two");
}

TEST_F(MainWindowTest, DescriptionFieldsKeepHtmlBreaksAndDoubleClickGoesToTheEditor) {
    ShowWindow();
    EXPECT_EQ(form->edtFeedDescription->Mode(), FieldMode::MultiLineHtmlBreaks);
    EXPECT_EQ(form->edtItemDescription->Mode(), FieldMode::MultiLineHtmlBreaks);
    EXPECT_EQ(form->edtFeedTitle->Mode(), FieldMode::SingleLine);

    form->pgcFeed->setCurrentWidget(form->tabFeedsRequired);
    QWidget* viewport = form->edtFeedDescription->viewport();
    window->LastDescriptionPress = 0;
    QTest::mousePress(viewport, Qt::LeftButton);
    QTest::mouseRelease(viewport, Qt::LeftButton);
    const int64_t first = window->LastDescriptionPress;
    EXPECT_GT(first, 0);
    QTest::mousePress(viewport, Qt::MiddleButton);
    EXPECT_GE(window->LastDescriptionPress, first);
}

// --- Status bar -----------------------------------------------------------------

TEST_F(MainWindowTest, ChangedIndicatorFollowsFeedChanged) {
    ShowWindow();
    auto* changed = Find<QLabel>("pnlChanged");
    auto* unchanged = Find<QLabel>("pnlUnChanged");
    EXPECT_FALSE(changed->isVisible());
    EXPECT_TRUE(unchanged->isVisible());

    core::FeedChanged = true;
    window->UpdateStatusBar();
    EXPECT_TRUE(changed->isVisible());
    EXPECT_FALSE(unchanged->isVisible());

    core::FeedChanged = false;
    EXPECT_TRUE(WaitFor([&] { return unchanged->isVisible(); })) << "the idle work catches up by itself";
    EXPECT_FALSE(changed->isVisible());
}

TEST_F(MainWindowTest, DateTimePanelShowsTheClock) {
    feed::test::ScopedClock clock({2026, 3, 9, 15, 7, 0});
    ShowWindow();
    window->UpdateStatusBar();
    const QString text = Find<QLabel>("pnlDateTime")->text();
    EXPECT_TRUE(text.endsWith(" 3:07 pm ")) << text.toStdString();
    EXPECT_TRUE(text.startsWith(QLocale::system().toString(QDate(2026, 3, 9), QLocale::ShortFormat)));
}

TEST_F(MainWindowTest, GaugeFollowsTheStagesOfARealLoad) {
    ShowWindow();
    auto* gauge = Find<QProgressBar>("gagStatus");
    auto* filename = Find<QLabel>("pnlFilename");
    feed::TFeed& scratch = *core::ScratchFeed;
    scratch.FeedInfo->LocalFile = folder.File("Feeds/sample.xml");

    window->ShowLoadProgress(scratch);
    EXPECT_TRUE(gauge->isVisible());
    EXPECT_FALSE(filename->isVisible());
    EXPECT_EQ(gauge->format(), "Loading Feed");
    EXPECT_EQ(gauge->value(), 0);
    EXPECT_EQ(window->LoadStage, 1);

    struct Stage {
        QString text;
        int value;
        int stage;
        bool operator==(const Stage&) const = default;
    };
    std::vector<Stage> seen;
    auto record = [&](feed::TFeed::Hook& hook) {
        hook = [&, inner = hook](feed::TFeed& f) {
            inner(f);
            seen.push_back({gauge->format(), gauge->value(), window->LoadStage});
        };
    };
    record(scratch.OnLoaded);
    record(scratch.OnRepaired);
    record(scratch.OnParsed);
    ASSERT_EQ(scratch.LoadFromFile(), feed::kLoaded);
    EXPECT_EQ(seen, (std::vector<Stage>{{"Verifying/Repairing", 20, 2}, {"Parsing Feed", 80, 3},
                                        {"Updating Fields", 90, 4}}));
    EXPECT_TRUE(window->StatusGaugeTimer()->isActive());
    EXPECT_TRUE(WaitFor([&] { return gauge->value() == 100; })) << "stage 4 creeps up to 100";

    window->HideLoadProgress();
    EXPECT_FALSE(gauge->isVisible());
    EXPECT_TRUE(filename->isVisible());
    EXPECT_FALSE(window->StatusGaugeTimer()->isActive());
}

TEST_F(MainWindowTest, GaugeCreepsNoFurtherThanTheCapOfItsStage) {
    ShowWindow();
    auto* gauge = Find<QProgressBar>("gagStatus");
    window->ShowLoadProgress(*core::ScratchFeed);
    EXPECT_TRUE(WaitFor([&] { return gauge->value() == 20; }));
    QTest::qWait(200);
    EXPECT_EQ(gauge->value(), 20);
    window->HideLoadProgress();
}

// --- Errors ---------------------------------------------------------------------

TEST_F(MainWindowTest, AnErrorEscapingAHandlerShowsTheErrorBoxAndTheProgramGoesOn) {
    struct Throwing : QObject {
        bool event(QEvent* e) override {
            if (e->type() == QEvent::User) throw std::runtime_error("disk on fire");
            return QObject::event(e);
        }
    } throwing;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QEvent event(QEvent::User);
    QApplication::sendEvent(&throwing, &event);
    ASSERT_EQ(window->dlgMessage->shown.size(), 1u);
    EXPECT_EQ(window->dlgMessage->shown[0].Kind, TMsgKind::Error);
    EXPECT_EQ(window->dlgMessage->shown[0].Text, "Error: disk on fire");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// --- Skins ------------------------------------------------------------------------

TEST_F(MainWindowTest, ApplySkinRules) {
    const QString skins = QString::fromStdString(folder.File("Skins/"));
    EXPECT_FALSE(window->ApplySkin(""));
    EXPECT_FALSE(window->ApplySkin(skins + "Nowhere/skin.ini"));

    ASSERT_TRUE(window->ApplySkin(skins + "Dark/skin.ini"));
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 100);
    EXPECT_FALSE(qApp->styleSheet().isEmpty());

    ASSERT_TRUE(window->ApplySkin(skins + "Default/skin.ini"));
    EXPECT_GT(QApplication::palette().color(QPalette::Window).lightness(), 150);

    core::Settings->DisableSkins = true;
    EXPECT_TRUE(window->ApplySkin(skins + "Dark/skin.ini"));
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    EXPECT_TRUE(window->ApplySkin(skins + "Nowhere/skin.ini")) << "disabled skins need no file";
    core::Settings->DisableSkins = false;
}

TEST_F(MainWindowTest, SelectSkinStoresThePickedSkin) {
    window->ssfMain->QueueAnswer(QString("Dark"));
    window->mnuViewSkinClick();
    ASSERT_EQ(window->ssfMain->shown.size(), 1u);
    EXPECT_TRUE(window->ssfMain->shown[0].Items.contains("Default"));
    EXPECT_TRUE(window->ssfMain->shown[0].Items.contains("Dark"));
    EXPECT_EQ(window->ssfMain->shown[0].Default, "Default") << "the skin in use is preselected";
    EXPECT_EQ(core::Settings->Skin, folder.File("Skins/Dark/skin.ini"));
    EXPECT_TRUE(form->chkFeedAutoDate->isVisibleTo(window.get()));

    window->ssfMain->QueueAnswer(std::nullopt);
    window->mnuViewSkinClick();
    EXPECT_EQ(core::Settings->Skin, folder.File("Skins/Dark/skin.ini")) << "cancel keeps the skin";
    window->ApplySkin(QString::fromStdString(folder.File("Skins/Default/skin.ini")));
}

// --- Help -----------------------------------------------------------------------

TEST_F(MainWindowTest, EveryControlWithAHelpContextHasItsWhatsThisText) {
    int controls = 0;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const QVariant context = widget->property("helpContext");
        if (!context.isValid()) continue;
        ++controls;
        EXPECT_FALSE(widget->whatsThis().isEmpty())
            << widget->objectName().toStdString() << " (" << context.toInt() << ")";
    }
    EXPECT_GT(controls, 60);
    for (const char* name : {"edtFeedTitle", "lstFeeds", "edtItemEnclosureLength", "edtImageHeight"})
        EXPECT_FALSE(Find<QWidget>(name)->whatsThis().isEmpty()) << name;
}

// --- Printing ---------------------------------------------------------------------

TEST_F(MainWindowTest, PrintBufferEscapesBracesAndBackslashes) {
    feed::TFeedChannel& channel = *core::CurrentFeed->Channel;
    channel.Title = "C:\\feeds {daily}";
    channel.Description = "<b>News</b>";
    channel.Items.push_back(std::make_unique<feed::TFeedItem>());
    channel.Items.back()->Title = "First";
    channel.Items.back()->Description = "One";

    EXPECT_EQ(window->PrintBuffer(),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}"
              "\\viewkind4\\uc1\\pard\\f0\\fs20 \\b C:\\\\feeds \\{daily\\}\\b0 \\par <b>News</b>\\par \\par "
              "\\par \\b First\\b0 \\par One\\par }");

    QTextDocument document;
    ui::LoadRtfIntoDocument(window->PrintBuffer(), document);
    EXPECT_EQ(document.firstBlock().text(), "C:\\feeds {daily}");
    EXPECT_TRUE(document.firstBlock().begin().fragment().charFormat().font().bold());
    EXPECT_EQ(document.firstBlock().next().text(), "<b>News</b>") << "markup prints as it stands";
}

TEST_F(MainWindowTest, PrintingToAPdfFile) {
    core::CurrentFeed->Channel->Title = "Printed feed";
    core::CurrentFeed->Channel->Description = "Lines to print";
    const std::string pdf = folder.File("feed.pdf");
    window->dlgPrint->QueueAnswer(QString::fromStdString(pdf));
    Find<QAction>("mnuFeedPrint")->trigger();
    EXPECT_EQ(window->dlgPrint->shownCount, 1);
    EXPECT_EQ(ReadAll(pdf).substr(0, 5), "%PDF-");
    EXPECT_EQ(form->pgcMain->currentWidget(), form->tabFeeds);

    const std::string cancelled = folder.File("cancelled.pdf");
    window->dlgPrint->QueueAnswer(QString());
    window->PrintFeed();
    EXPECT_FALSE(fs::exists(cancelled));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// --- Initialisation -----------------------------------------------------------------

TEST_F(MainWindowTest, ListsAreFilledAtCreation) {
    EXPECT_GT(form->cmbFeedLanguage->count(), 100);
    EXPECT_TRUE(form->cmbFeedLanguage->findText("English (United States): en-us") >= 0);
    ASSERT_EQ(form->cmbFeedSkipHours->count(), 24);
    EXPECT_EQ(form->cmbFeedSkipHours->itemText(23), "23");
    ASSERT_EQ(form->cmbFeedSkipDays->count(), 7);
    EXPECT_EQ(form->cmbFeedSkipDays->itemText(0), "Sunday");
    EXPECT_EQ(form->cmbFeedSkipDays->itemText(6), "Saturday");
    EXPECT_NE(core::CurrentFeed, nullptr);
    EXPECT_NE(core::ScratchFeed, nullptr);
    EXPECT_EQ(form->pgcMain->currentWidget(), form->tabFeeds);
    EXPECT_EQ(window->windowTitle(), " Quorvane");
    EXPECT_EQ(window->minimumSize(), QSize(630, 512));
}

}  // namespace
}  // namespace main_test

namespace main_test {
namespace {

// Records the addresses the window opens instead of starting a browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void open(const QUrl& url) { opened << url.toString(); }
};

class HelpTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        for (const char* scheme : {"file", "http", "https"}) QDesktopServices::setUrlHandler(scheme, &recorder, "open");
    }
    void TearDown() override {
        for (const char* scheme : {"file", "http", "https"}) QDesktopServices::unsetUrlHandler(scheme);
        MainWindowTest::TearDown();
    }
    QString PageUrl(const char* name) {
        return QUrl::fromLocalFile(QString::fromStdString(folder.File(std::string("Help/") + name))).toString();
    }
    UrlRecorder recorder;
};

TEST_F(HelpTest, ContentsAndF1OpenTheHelpPages) {
    ShowWindow();
    Find<QAction>("mnuHelpContents")->trigger();
    form->pgcFeed->setCurrentWidget(form->tabFeedsRequired);
    form->edtFeedLink->setFocus();
    QTest::keyClick(form->edtFeedLink, Qt::Key_F1);
    form->lstFeeds->setFocus();
    QTest::keyClick(form->lstFeeds, Qt::Key_F1);
    EXPECT_EQ(recorder.opened, (QStringList{PageUrl("index.html"), PageUrl("39.html"), PageUrl("93.html")}));
}

TEST_F(HelpTest, WebsiteOpensTheSiteAndWarnsWhenNoBrowserStarts) {
    Find<QAction>("mnuHelpWebsite")->trigger();
    EXPECT_EQ(recorder.opened, QStringList{TfrmMain::kWebsite});
    EXPECT_TRUE(window->dlgMessage->shown.empty());

    QDesktopServices::unsetUrlHandler("https");
    Find<QAction>("mnuHelpWebsite")->trigger();
    if (window->dlgMessage->shown.empty()) GTEST_SKIP() << "this platform opened the address itself";
    EXPECT_EQ(window->dlgMessage->shown[0].Kind, TMsgKind::Warning);
    EXPECT_EQ(window->dlgMessage->shown[0].Text,
              "Quorvane was unable to start your web browser.  You can manually access the Quorvane website at: "
              "https://www.quorvane.org/");
}

}  // namespace
}  // namespace main_test

#include "MainShellTest.moc"
