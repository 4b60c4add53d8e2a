// The frame of the main window: menus, tool bars, status bar, loading gauge,
// keyboard shortcuts, placement and the window's life.
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "TfrmMain.h"
#include "TfrmSplash.h"
#include "core/Globals.h"
#include "core/ProgramSettings.h"
#include "core/TextHelpers.h"
#include "feed/FeedModel.h"
#include "feed/text/Dates.h"
#include "ui/Application.h"
#include "ui/EditPopup.h"
#include "ui/Help.h"
#include "ui/Hints.h"
#include "ui/SpellChecker.h"
#include "ui/TextField.h"
#include "ui_TfrmMain.h"

TfrmMain* frmMain = nullptr;

namespace {

using Handler = void (TfrmMain::*)();

struct MenuEntry {
    const char* Name;     // object name of the action; empty for a separator
    const char* Caption;
    const char* Glyph;    // resource alias under :/icons
    Handler OnClick;
};

struct MenuTable {
    const char* Name;
    const char* Caption;
    std::vector<MenuEntry> Entries;
};

const MenuEntry kSeparator{"", "", "", nullptr};

const std::vector<MenuTable>& Menus() {
    static const std::vector<MenuTable> menus = {
        {"mnuFeed", "&Feed",
         {{"mnuFeedWizard", "&Wizard", "feed-wizard", &TfrmMain::mnuFeedWizardClick},
          kSeparator,
          {"mnuFeedNew", "&New", "feed-new", &TfrmMain::mnuFeedNewClick},
          {"mnuFeedOpen", "&Open", "feed-open", &TfrmMain::mnuFeedOpenClick},
          {"mnuFeedSave", "&Save", "feed-save", &TfrmMain::mnuFeedSaveClick},
          {"mnuFeedSaveAs", "Save &As", "feed-save-as", &TfrmMain::mnuFeedSaveAsClick},
          {"mnuFeedClose", "&Remove", "feed-remove", &TfrmMain::mnuFeedCloseClick},
          kSeparator,
          {"mnuFeedDownload", "&Download", "feed-download", &TfrmMain::mnuFeedDownloadClick},
          {"mnuFeedUpload", "&Upload", "feed-upload", &TfrmMain::mnuFeedUploadClick},
          kSeparator,
          {"mnuFeedPrint", "&Print", "feed-print", &TfrmMain::mnuFeedPrintClick},
          kSeparator,
          {"mnuFeedExit", "E&xit", "exit", &TfrmMain::mnuFeedExitClick}}},
        {"mnuItem", "&Item",
         {{"mnuItemNew", "&New", "item-new", &TfrmMain::mnuItemNewClick},
          {"mnuItemClone", "&Clone", "item-clone", &TfrmMain::mnuItemCloneClick},
          {"mnuItemDelete", "&Delete", "item-delete", &TfrmMain::mnuItemDeleteClick}}},
        {"mnuImage", "I&mage",
         {{"mnuImageOpen", "&Open", "image-open", &TfrmMain::mnuImageOpenClick},
          {"mnuImageSave", "&Save", "image-save", &TfrmMain::mnuImageSaveClick},
          {"mnuImageReDownload", "Re-&Download", "image-download", &TfrmMain::mnuImageReDownloadClick},
          {"mnuImageUpload", "&Upload", "image-upload", &TfrmMain::mnuImageUploadClick}}},
        {"mnuEdit", "&Edit",
         {{"mnuEditUndo", "&Undo", "edit-undo", &TfrmMain::mnuEditUndoClick},
          kSeparator,
          {"mnuEditCut", "Cu&t", "edit-cut", &TfrmMain::mnuEditCutClick},
          {"mnuEditCopy", "&Copy", "edit-copy", &TfrmMain::mnuEditCopyClick},
          {"mnuEditPaste", "&Paste", "edit-paste", &TfrmMain::mnuEditPasteClick},
          kSeparator,
          {"mnuEditSearch", "&Search", "edit-search", &TfrmMain::mnuEditSearchClick}}},
        {"mnuTools", "&Tools",
         {{"mnuEditHtml", "&HTML Editor", "html-editor", &TfrmMain::mnuEditHtmlClick},
          {"mnuToolsExport", "&Export", "export", &TfrmMain::mnuToolsExportClick},
          {"mnuViewSkin", "Ski&n", "skin", &TfrmMain::mnuViewSkinClick},
          {"mnuViewPreferences", "&Preferences", "preferences", &TfrmMain::mnuViewPreferencesClick}}},
        {"mnuView", "&View",
         {{"mnuViewSource", "&Source", "view-source", &TfrmMain::mnuViewSourceClick},
          kSeparator,
          {"mnuViewFtpLog", "&FTP Log", "ftp-log", &TfrmMain::mnuViewFtpLogClick},
          {"mnuViewMoveSeparator", "", "", nullptr},
          {"mnuViewMoveUp", "Move Feed &Up", "move-up", &TfrmMain::mnuViewMoveUpClick},
          {"mnuViewMoveDown", "Move Feed &Down", "move-down", &TfrmMain::mnuViewMoveDownClick}}},
        {"mnuHelp", "&Help",
         {{"mnuHelpContents", "&Contents", "help-contents", &TfrmMain::mnuHelpContentsClick},
          {"mnuHelpWhatsThis", "W&hat's This?", "whats-this", &TfrmMain::mnuHelpWhatsThisClick},
          {"KeyboardShortcuts1", "&Keyboard Shortcuts", "keyboard", &TfrmMain::KeyboardShortcuts1Click},
          {"MouseShortcuts1", "&Mouse Shortcuts", "mouse", &TfrmMain::MouseShortcuts1Click},
          {"mnuHelpWebsite", "&Website", "website", &TfrmMain::mnuHelpWebsiteClick},
          {"mnuHelpAbout", "&About", "about", &TfrmMain::mnuHelpAboutClick}}},
    };
    return menus;
}

struct ToolButton {
    const char* Name;
    const char* Hint;
    int HelpContext;
    const char* Glyph;
    Handler OnClick;
};

const std::vector<ToolButton> kFeedButtons = {
    {"btnFeedNew", "New Feed", 16, "feed-new", &TfrmMain::mnuFeedNewClick},
    {"btnFeedOpen", "Open Feed", 17, "feed-open", &TfrmMain::mnuFeedOpenClick},
    {"btnFeedSave", "Save Feed", 18, "feed-save", &TfrmMain::mnuFeedSaveClick},
    {"btnFeedRemove", "Remove Feed", 19, "feed-remove", &TfrmMain::mnuFeedCloseClick},
    {"btnFeedDownload", "Download Feed", 20, "feed-download", &TfrmMain::mnuFeedDownloadClick},
    {"btnFeedUpload", "Upload Feed", 21, "feed-upload", &TfrmMain::mnuFeedUploadClick},
    {"btnFeedSource", "View Source XML", 25, "view-source", &TfrmMain::mnuViewSourceClick},
    {"btnFeedPreferences", "Preferences", 26, "preferences", &TfrmMain::mnuViewPreferencesClick},
    {"btnFeedMoveUp", "Move Up", 22, "move-up", &TfrmMain::mnuViewMoveUpClick},
    {"btnFeedMoveDown", "Move Down", 23, "move-down", &TfrmMain::mnuViewMoveDownClick},
    {"btnFeedEditHtml", "Edit Description HTML", 24, "html-editor", &TfrmMain::mnuEditHtmlClick},
};

const std::vector<ToolButton> kItemButtons = {
    {"btnItemNew", "New Item", 27, "item-new", &TfrmMain::mnuItemNewClick},
    {"btnItemRemove", "Delete Item", 29, "item-delete", &TfrmMain::mnuItemDeleteClick},
    {"btnItemMoveUp", "Move Up", 30, "move-up", &TfrmMain::mnuViewMoveUpClick},
    {"btnItemMoveDown", "Move Down", 31, "move-down", &TfrmMain::mnuViewMoveDownClick},
    {"btnItemSource", "View Source XML", 25, "view-source", &TfrmMain::mnuViewSourceClick},
    {"btnItemPreferences", "Preferences", 26, "preferences", &TfrmMain::mnuViewPreferencesClick},
    {"btnItemClone", "Clone Item", 28, "item-clone", &TfrmMain::mnuItemCloneClick},
    {"btnItemEditHtml", "Edit Description HTML", 32, "html-editor", &TfrmMain::mnuEditHtmlClick},
};

const std::vector<ToolButton> kImageButtons = {
    {"btnImageOpen", "Open Image", 0, "image-open", &TfrmMain::mnuImageOpenClick},
    {"btnImageSave", "Save Image", 0, "image-save", &TfrmMain::mnuImageSaveClick},
    {"btnImageUpload", "Upload Image", 0, "image-upload", &TfrmMain::mnuImageUploadClick},
    {"btnImageSource", "View Source XML", 25, "view-source", &TfrmMain::mnuViewSourceClick},
    {"btnImagePreferences", "Preferences", 26, "preferences", &TfrmMain::mnuViewPreferencesClick},
    {"btnImageDownload", "Re-download Image", 0, "image-download", &TfrmMain::mnuImageReDownloadClick},
};

QIcon Glyph(const char* name) { return QIcon(QStringLiteral(":/icons/") + QLatin1String(name)); }

// Milliseconds since the start of the current year, the unit of LastDescriptionPress.
int64_t MillisecondsIntoYear() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime yearStart(QDate(now.date().year(), 1, 1), QTime(0, 0));
    return yearStart.msecsTo(now);
}

}  // namespace

const char* const TfrmMain::kWebsite = "https://www.quorvane.org/";
const char* const TfrmMain::kKeyboardShortcutsText =
    "Keyboard Shortcuts:\r\n\r\nCreate New Feed or Item\t<Ctrl><Enter>\r\nDelete Current Feed or Item\t<Ctrl><Del>"
    "\r\nSave Current Feed\t\t<Ctrl>S\r\nUpload Current Feed\t\t<Ctrl>U\r\n";
const char* const TfrmMain::kMouseShortcutsText =
    "Mouse Shortcuts:\r\n\r\nDescription HTML Editor\t\tDouble-Click in Description Field\r\n"
    "Field Edit Menu\t\t\tRight-Click on any field\r\n";

// The glyphs are compiled into this static library; its users must not have to know.
static void InitResources() { Q_INIT_RESOURCE(icons); }

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::TfrmMain>()) {
    InitResources();
    frmMain = this;
    ui->setupUi(this);
    setWindowIcon(Glyph("app"));

    dlgMessage = new TMessageDialog(this);
    dlgOpen = new TFileDialog(this, TFileDialog::Mode::Open, "Open file");
    dlgSave = new TFileDialog(this, TFileDialog::Mode::Save, "Save file");
    dlgInput = new TInputDialog(this);
    ssfMain = new TInputDialog(this);
    ssfMain->setObjectName("ssfMain");
    dlgPrint = new TPrintDialog(this);
    pumEdit = new TEditPopup(this);

    tmrStatusGuage = new QTimer(this);
    tmrStatusGuage->setObjectName("tmrStatusGuage");
    tmrStatusGuage->setInterval(50);
    connect(tmrStatusGuage, &QTimer::timeout, this, &TfrmMain::StatusGaugeTick);

    splLive = new TSpellChecker(this);
    splLive->setObjectName("splLive");
    for (TRichField* field : {ui->edtFeedTitle, ui->edtFeedDescription, ui->edtItemTitle, ui->edtItemDescription})
        splLive->Attach(field);

    CreateMenus();
    CreateToolBars();
    CreateStatusBar();
    BindTextFields();

    // Errors that escape a handler end in the error box; idle work keeps the status bar current.
    if (auto* app = qobject_cast<TApplication*>(qApp))
        app->SetErrorHandler([this](const QString& message) { ShowErrorMessage(message); });
    tmrIdle = new QTimer(this);
    tmrIdle->setInterval(250);
    connect(tmrIdle, &QTimer::timeout, this, &TfrmMain::UpdateStatusBar);
    tmrIdle->start();
    feed::SetEventPump([] { QApplication::processEvents(); });
    qApp->installEventFilter(this);
    connect(ui->pgcMain, &QTabWidget::currentChanged, this, &TfrmMain::pgcMainChange);

    InitMainWindow();
}

TfrmMain::~TfrmMain() {
    // The focused field writes itself now, while the feed still exists; no
    // field may write into the model once the globals are gone.
    CommitField();
    for (TRichField* field : findChildren<TRichField*>()) field->blockSignals(true);
    qApp->removeEventFilter(this);
    if (auto* app = qobject_cast<TApplication*>(qApp)) app->SetErrorHandler({});
    feed::SetEventPump({});
    core::DoneGlobals();
    if (frmMain == this) frmMain = nullptr;
}

void TfrmMain::InitMainWindow() {
    if (frmSplash) frmSplash->ShowProgress("Loading 30%");
    SetHintTimes(750, 5000);
    ApplySkin(QString::fromStdString(core::Settings->Skin));
    if (frmSplash) frmSplash->ShowProgress("Loading 40%");
    splLive->ApplySettings(*core::Settings);

    setMinimumSize(630, 512);
    // Pop-out panels and the picker controls of the dates wait until they are asked for.
    for (QWidget* hidden : std::initializer_list<QWidget*>{
             ui->pnlFeedCategory, ui->pnlFeedCloud, ui->pnlFeedTextInput, ui->pnlFeedTimePicker,
             ui->pnlItemCategory, ui->pnlItemGuid, ui->pnlItemSource, ui->pnlItemEnclosure, ui->pnlItemTimePicker,
             ui->calFeedPubDate, ui->timFeedPubDate, ui->btnFeedTimePicker, ui->calItemPubDate,
             ui->timItemPubDate, ui->btnItemTimePicker})
        hidden->hide();

    ui->cmbFeedLanguage->clear();
    for (const std::string& line : core::LanguageCodes) ui->cmbFeedLanguage->addItem(QString::fromStdString(line));
    auto fillChecks = [](QComboBox* combo, const QStringList& texts) {
        auto* model = new QStandardItemModel(combo);
        for (const QString& text : texts) {
            auto* item = new QStandardItem(text);
            item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
            item->setData(Qt::Unchecked, Qt::CheckStateRole);
            model->appendRow(item);
        }
        combo->setModel(model);
    };
    QStringList hours;
    for (int h = 0; h < 24; ++h) hours << QString::number(h);
    fillChecks(ui->cmbFeedSkipHours, hours);
    QStringList days;
    for (const char* day : feed::kDayNames) days << day;
    fillChecks(ui->cmbFeedSkipDays, days);
    // Nothing is chosen until a feed is shown.
    for (QComboBox* combo : {ui->cmbFeedLanguage, ui->cmbFeedSkipHours, ui->cmbFeedSkipDays}) combo->setCurrentIndex(-1);

    core::CurrentFeed = std::make_unique<feed::TFeed>();
    core::ScratchFeed = std::make_unique<feed::TFeed>();

    FillFeedList();

    ui->pgcMain->setCurrentWidget(ui->tabFeeds);
    ui->pgcFeed->setCurrentWidget(ui->tabFeedsRequired);
    BindWhatsThis(this);
}

void TfrmMain::CreateMenus() {
    QMenuBar* bar = ui->mbrMain;
    for (const MenuTable& table : Menus()) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(table.Caption));
        menu->setObjectName(table.Name);
        menu->menuAction()->setObjectName(QString(table.Name) + "Action");
        connect(menu, &QMenu::aboutToShow, this, &TfrmMain::mbrMainClick);
        for (const MenuEntry& entry : table.Entries) {
            QAction* action;
            if (!entry.OnClick) {
                action = menu->addSeparator();
                if (*entry.Name) action->setObjectName(entry.Name);
                continue;
            }
            action = menu->addAction(Glyph(entry.Glyph), QString::fromUtf8(entry.Caption));
            action->setObjectName(entry.Name);
            action->setIconVisibleInMenu(true);
            connect(action, &QAction::triggered, this, entry.OnClick);
        }
    }
}

void TfrmMain::CreateToolBars() {
    auto build = [this](const char* name, QHBoxLayout* row, const std::vector<ToolButton>& buttons) {
        auto* bar = new QToolBar(this);
        bar->setObjectName(name);
        bar->setIconSize(QSize(22, 22));
        bar->setMovable(false);
        bar->setFloatable(false);
        for (const ToolButton& button : buttons) {
            QAction* action = bar->addAction(Glyph(button.Glyph), QString::fromUtf8(button.Hint));
            action->setToolTip(QString::fromUtf8(button.Hint));
            connect(action, &QAction::triggered, this, button.OnClick);
            QWidget* widget = bar->widgetForAction(action);
            widget->setObjectName(button.Name);
            if (button.HelpContext > 0) widget->setProperty("helpContext", button.HelpContext);
        }
        row->insertWidget(0, bar);
        return bar;
    };
    btbFeed = build("btbFeed", ui->layFeedTools, kFeedButtons);
    btbItem = build("btbItem", ui->layItemTools, kItemButtons);
    btbImage = build("btbImage", ui->layImageTools, kImageButtons);

    for (QToolButton* whatsThis : {ui->btnFeedWhatsThis, ui->btnItemWhatsThis, ui->btnImageWhatsThis}) {
        whatsThis->setIcon(Glyph("whats-this"));
        whatsThis->setIconSize(QSize(22, 22));
        whatsThis->setToolTip("What's this help");
        connect(whatsThis, &QToolButton::clicked, this, &TfrmMain::mnuHelpWhatsThisClick);
    }
}

void TfrmMain::CreateStatusBar() {
    QStatusBar* bar = ui->sbrMain;
    auto indicator = [bar](const char* name, const char* glyph, const char* hint) {
        auto* label = new QLabel(bar);
        label->setObjectName(name);
        label->setPixmap(Glyph(glyph).pixmap(16, 16));
        label->setFixedWidth(21);
        label->setAlignment(Qt::AlignCenter);
        label->setToolTip(hint);
        bar->addWidget(label);
        return label;
    };
    pnlChanged = indicator("pnlChanged", "status-changed", "The feed has unsaved changes");
    pnlUnChanged = indicator("pnlUnChanged", "status-unchanged", "No unsaved changes");
    pnlChanged->hide();

    gagStatus = new QProgressBar(bar);
    gagStatus->setObjectName("gagStatus");
    gagStatus->setRange(0, 100);
    gagStatus->setTextVisible(true);
    gagStatus->setMinimumWidth(255);
    gagStatus->hide();
    bar->addWidget(gagStatus, 1);

    pnlFilename = new QLabel(bar);
    pnlFilename->setObjectName("pnlFilename");
    pnlFilename->setTextFormat(Qt::PlainText);
    pnlFilename->setMinimumWidth(40);
    bar->addWidget(pnlFilename, 1);

    pnlDateTime = new QLabel(bar);
    pnlDateTime->setObjectName("pnlDateTime");
    bar->addPermanentWidget(pnlDateTime);
}

void TfrmMain::BindTextFields() {
    for (TRichField* description : {ui->edtFeedDescription, ui->edtItemDescription}) {
        description->SetMode(FieldMode::MultiLineHtmlBreaks);
        description->viewport()->installEventFilter(this);
    }
    for (auto* list : {ui->lstFeeds, ui->lstItems}) list->installEventFilter(this);
}

// --- Status bar and loading gauge -------------------------------------------------

void TfrmMain::UpdateStatusBar() {
    if (pnlChanged->isVisibleTo(ui->sbrMain) != core::FeedChanged) {
        pnlChanged->setVisible(core::FeedChanged);
        pnlUnChanged->setVisible(!core::FeedChanged);
    }
    const feed::DateTime now = feed::Now();
    const QDateTime stamp(QDate(now.Year, now.Month, now.Day), QTime(now.Hour, now.Minute, now.Second));
    const QString time = QLocale::c().toString(stamp.time(), "h:mm ap");
    pnlDateTime->setText(QLocale::system().toString(stamp.date(), QLocale::ShortFormat) + " " + time + " ");
}

void TfrmMain::ShowLoadProgress(feed::TFeed& feed) {
    pnlFilename->hide();
    gagStatus->setValue(0);
    gagStatus->setFormat("Loading Feed");
    LoadStage = 1;
    gagStatus->show();

    auto stage = [this](int value, const char* text, int stage) {
        gagStatus->setFormat(text);
        gagStatus->setValue(value);
        LoadStage = stage;
        QApplication::processEvents();
    };
    feed.OnLoaded = [stage](feed::TFeed&) { stage(20, "Verifying/Repairing", 2); };
    feed.OnRepaired = [stage](feed::TFeed&) { stage(80, "Parsing Feed", 3); };
    feed.OnParsed = [stage](feed::TFeed&) { stage(90, "Updating Fields", 4); };
    tmrStatusGuage->start();
}

void TfrmMain::StatusGaugeTick() {
    static constexpr int kCaps[] = {0, 20, 80, 90, 100};
    const int cap = kCaps[std::clamp(LoadStage, 0, 4)];
    if (gagStatus->value() < cap) gagStatus->setValue(std::min(cap, gagStatus->value() + 2));
    QApplication::processEvents();
}

void TfrmMain::HideLoadProgress() {
    tmrStatusGuage->stop();
    pnlFilename->show();
    gagStatus->hide();
}

// --- Keyboard -----------------------------------------------------------------------

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        // Key preview: the window sees every key of its own controls first. The
        // application-wide filter sees a key once per receiver it travels to, so
        // act only on the focused control's copy.
        if (widget && widget->window() == this && widget == QApplication::focusWidget()) {
            if (FormKeyDown(key)) return true;
            if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
                ShowHelpTopic(HelpContextOf(widget));
                return true;
            }
            if ((watched == ui->lstFeeds || watched == ui->lstItems) && ListKeyDown(watched, key)) return true;
        }
    } else if (event->type() == QEvent::MouseButtonPress &&
               (watched == ui->edtFeedDescription->viewport() || watched == ui->edtItemDescription->viewport())) {
        edtFeedDescriptionMouseDown(static_cast<QMouseEvent*>(event));
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TfrmMain::FormKeyDown(QKeyEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) return false;
    QWidget* page = ui->pgcMain->currentWidget();
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (page == ui->tabFeeds) { mnuFeedNewClick(); return true; }
            if (page == ui->tabItems) { mnuItemNewClick(); return true; }
            return false;
        case Qt::Key_Delete:
            if (page == ui->tabFeeds) { RemoveFeed(); return true; }
            if (page == ui->tabItems) { DeleteItem(); return true; }
            return false;
        case Qt::Key_S:
            mnuFeedSaveClick();
            return false;  // the focused control sees the key as well
        case Qt::Key_U:
            mnuFeedUploadClick();
            return false;
        default:
            return false;
    }
}

bool TfrmMain::ListKeyDown(QObject* list, QKeyEvent* event) {
    if (event->modifiers() != Qt::NoModifier) return false;
    if (event->key() != Qt::Key_Insert && event->key() != Qt::Key_Delete) return false;
    if (list == ui->lstFeeds) {
        if (event->key() == Qt::Key_Insert) {
            NewFeed();
        } else {
            RemoveFeed();
            ui->lstFeeds->setFocus();
        }
    } else {
        if (event->key() == Qt::Key_Insert) NewItem();
        else DeleteItem();
    }
    return true;
}

void TfrmMain::SendKeyToFocus(int key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget();
    if (!target) return;
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(target, &release);
}

// --- Placement and the window's life --------------------------------------------------

void TfrmMain::PlaceWindow() {
    const core::TWindowPlace& place = core::Settings->Place("main");
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    if (place.Top + place.Left + place.Height + place.Width == -4) {
        move(area.width() / 2 - width() / 2, area.height() / 2 - height() / 2);
    } else if (place.Top >= 0 && place.Left >= 0 && area.height() >= place.Top + place.Height &&
               area.width() >= place.Left + place.Width) {
        resize(std::max(place.Width, minimumWidth()), std::max(place.Height, minimumHeight()));
        move(place.Left, place.Top);
    }
}

void TfrmMain::StoreWindowPlace() {
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) return;
    core::TWindowPlace& place = core::Settings->Place("main");
    place.Top = y();
    place.Left = x();
    place.Height = height();
    place.Width = width();
}

void TfrmMain::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        PlaceWindow();
    }
    UpdateStatusBar();
    QMainWindow::showEvent(event);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    StoreWindowPlace();
    if (!ExitSequence()) {
        event->ignore();
        return;
    }
    event->accept();
}

void TfrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TfrmMain::FormActivate() {
    ui->mbrMain->update();
    if (frmSplash && frmSplash->isVisible() && !frmSplash->AboutMode() && !finishingSplash_) {
        finishingSplash_ = true;
        setEnabled(false);
        frmSplash->FinishSplash();
        while (frmSplash->isVisible()) {
            QApplication::processEvents();
            QThread::msleep(100);
        }
        setEnabled(true);
        finishingSplash_ = false;
        activateWindow();
    }
    // The list takes the focus when no control holds it (at start, after a
    // command committed the field); coming back from another program leaves the
    // user in the field they were typing in.
    QWidget* focused = focusWidget();
    if (focused && focused->isVisible()) return;
    if (ui->pgcMain->currentWidget() == ui->tabFeeds) ui->lstFeeds->setFocus();
    else if (ui->pgcMain->currentWidget() == ui->tabItems) ui->lstItems->setFocus();
}

void TfrmMain::ShowErrorMessage(const QString& message) {
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    QApplication::processEvents();
    dlgMessage->Execute(TMsgKind::Error, TMsgButtons::Ok, "Error: " + message);
}

// --- Description fields ------------------------------------------------------------

void TfrmMain::edtFeedDescriptionMouseDown(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::MiddleButton) return;
    const int64_t now = MillisecondsIntoYear();
    const bool quickSecond = now - LastDescriptionPress < 300 && now >= LastDescriptionPress;
    LastDescriptionPress = now;
    if (quickSecond) QTimer::singleShot(0, this, &TfrmMain::OpenHtmlEditor);
}
