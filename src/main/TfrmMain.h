#pragma once
// The main window: three pages (feeds, items, image), the main menu, a tool
// bar per page and the status bar with the loading gauge. Its handlers carry
// the behaviour and call down into the feed engine and the settings.

#include <QMainWindow>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "ui/DialogSeams.h"

namespace Ui {
class TfrmMain;
}
namespace feed {
class TFeed;
}
class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QTimer;
class QToolBar;
class TEditPopup;
class TSpellChecker;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The seams every prompt, notice and file dialog of this window goes through.
    TMessageDialog* dlgMessage;
    TFileDialog* dlgOpen;
    TFileDialog* dlgSave;
    TInputDialog* dlgInput;
    TInputDialog* ssfMain;  // the skin picker
    TPrintDialog* dlgPrint;
    TEditPopup* pumEdit;
    // Live spell checking of the titles and descriptions.
    TSpellChecker* splLive;

    // Window-wide state shared by the editors.
    bool FillingFeedList = false;
    int LoadStage = 0;
    bool FeedDateAsPicker = false;
    bool ItemDateAsPicker = false;
    int64_t LastDescriptionPress = 0;

    // The focused field writes itself into the model before a command acts.
    void CommitField();
    // The loading gauge around a load of `feed`.
    void ShowLoadProgress(feed::TFeed& feed);
    void HideLoadProgress();
    // The idle work: the changed indicator and the date and time.
    void UpdateStatusBar();
    // Loads a skin file; false for an empty path, a missing file or a failure.
    bool ApplySkin(const QString& path);
    void SelectSkin();
    void PrintFeed();
    // Opens the help page of a help context in the browser (the contents for 0).
    void ShowHelpTopic(int context);
    void OpenHtmlEditor();
    // The error box for an error that escaped an event handler.
    void ShowErrorMessage(const QString& message);
    // The activation work: the end of the splash, the focus to the page's list.
    void FormActivate();
    // The RTF text PrintFeed prints for the current feed.
    std::string PrintBuffer() const;

    // The web site that "&Website" opens.
    static const char* const kWebsite;
    static const char* const kKeyboardShortcutsText;
    static const char* const kMouseShortcutsText;

    // Operations reached by commands whose editors have not landed yet, in call order.
    QStringList RoutedCalls;

    Ui::TfrmMain* Form() const { return ui.get(); }
    QTimer* StatusGaugeTimer() const { return tmrStatusGuage; }

public slots:
    void mnuFeedWizardClick();
    void mnuFeedNewClick();
    void mnuFeedOpenClick();
    void mnuFeedSaveClick();
    void mnuFeedSaveAsClick();
    void mnuFeedCloseClick();
    void mnuFeedDownloadClick();
    void mnuFeedUploadClick();
    void mnuFeedPrintClick();
    void mnuFeedExitClick();
    void mnuItemNewClick();
    void mnuItemCloneClick();
    void mnuItemDeleteClick();
    void mnuImageOpenClick();
    void mnuImageSaveClick();
    void mnuImageReDownloadClick();
    void mnuImageUploadClick();
    void mnuEditUndoClick();
    void mnuEditCutClick();
    void mnuEditCopyClick();
    void mnuEditPasteClick();
    void mnuEditSearchClick();
    void mnuEditHtmlClick();
    void mnuToolsExportClick();
    void mnuViewSkinClick();
    void mnuViewPreferencesClick();
    void mnuViewSourceClick();
    void mnuViewFtpLogClick();
    void mnuViewMoveUpClick();
    void mnuViewMoveDownClick();
    void mnuHelpContentsClick();
    void mnuHelpWhatsThisClick();
    void KeyboardShortcuts1Click();
    void MouseShortcuts1Click();
    void mnuHelpWebsiteClick();
    void mnuHelpAboutClick();
    void pgcMainChange();
    void mbrMainClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void InitMainWindow();
    void CreateMenus();
    void CreateToolBars();
    void CreateStatusBar();
    void BindTextFields();
    void PlaceWindow();
    void StoreWindowPlace();
    bool FormKeyDown(QKeyEvent* event);
    bool ListKeyDown(QObject* list, QKeyEvent* event);
    void SendKeyToFocus(int key, Qt::KeyboardModifiers modifiers);
    // Lets pending messages run, then CommitField: what every command does first.
    void Commit();
    void SelectFeedPage();
    void SelectItemPage();
    void SelectImagePage();
    void StatusGaugeTick();
    void edtFeedDescriptionMouseDown(QMouseEvent* event);
    void SetMoveEntries(bool visible, const QString& up, const QString& down);

    // Operations of the editing core; each is filled in by the editor that owns it.
    void NotYet(const QString& operation);
    void FillFeedList();
    void NewFeed();
    void OpenFeed();
    void SaveFeed();
    void SaveFeedAs();
    void RemoveFeed();
    void DownloadFeed();
    void UploadFeed();
    void RunWizard();
    void NewItem();
    void CloneItem();
    void DeleteItem();
    void MoveFeed(int delta);
    void MoveItem(int delta);
    void OpenImage();
    void SaveImage();
    void ReDownloadImage();
    void UploadImage();
    void ViewSource();
    void ShowSearch();
    void ShowExport();
    void ShowPreferences();
    void ShowFtpLog();
    bool OfferScaleDown();
    void RemoveCropRect();
    bool ExitSequence();

    std::unique_ptr<Ui::TfrmMain> ui;
    QToolBar* btbFeed = nullptr;
    QToolBar* btbItem = nullptr;
    QToolBar* btbImage = nullptr;
    QLabel* pnlChanged = nullptr;
    QLabel* pnlUnChanged = nullptr;
    QProgressBar* gagStatus = nullptr;
    QLabel* pnlFilename = nullptr;
    QLabel* pnlDateTime = nullptr;
    QTimer* tmrStatusGuage = nullptr;
    QTimer* tmrIdle = nullptr;
    bool placed_ = false;
    bool finishingSplash_ = false;
};

// The main window of this run, or null before it exists.
extern TfrmMain* frmMain;
