// The commands of the main menu and the tool bars: page selection and commit,
// then the editor operation that does the work; skins, help and printing.
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMenuBar>
#include <QPrinter>
#include <QTextDocument>
#include <QWhatsThis>

#include "TfrmMain.h"
#include "TfrmSplash.h"
#include "core/Globals.h"
#include "core/ProgramFolder.h"
#include "core/ProgramSettings.h"
#include "ui/Browser.h"
#include "ui/Help.h"
#include "ui/RtfDocument.h"
#include "ui/Skin.h"
#include "ui/TextField.h"
#include "ui_TfrmMain.h"

namespace {

// The hourglass for the length of a command; the cursor comes back whatever happens.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() {
        QApplication::restoreOverrideCursor();
        QApplication::processEvents();
    }
};

// RTF control characters in a text printed as it stands.
std::string EscapeRtf(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\' || c == '{' || c == '}') out += '\\';
        out += c;
    }
    return out;
}

}  // namespace

// --- Page selection and commit -------------------------------------------------------

void TfrmMain::CommitField() {
    QWidget* focused = QApplication::focusWidget();
    if (focused && focused->window() == this) focused->clearFocus();
}

void TfrmMain::Commit() {
    QApplication::processEvents();
    CommitField();
}

void TfrmMain::mbrMainClick() {
    auto* field = qobject_cast<TRichField*>(QApplication::focusWidget());
    if (!field || field->window() != this) return;
    const QTextCursor selection = field->textCursor();
    field->clearFocus();
    field->setFocus(Qt::OtherFocusReason);
    field->setTextCursor(selection);
}

void TfrmMain::SelectFeedPage() {
    ui->pgcMain->setCurrentWidget(ui->tabFeeds);
    ui->pgcFeed->setCurrentWidget(ui->tabFeedsRequired);
    Commit();
}

void TfrmMain::SelectItemPage() {
    ui->pgcMain->setCurrentWidget(ui->tabItems);
    ui->pgcItem->setCurrentWidget(ui->tabItemsRequired);
    Commit();
}

void TfrmMain::SelectImagePage() {
    ui->pgcMain->setCurrentWidget(ui->tabImages);
    ui->pgcImage->setCurrentWidget(ui->tabImagesImage);
    Commit();
}

void TfrmMain::SetMoveEntries(bool visible, const QString& up, const QString& down) {
    auto* moveUp = findChild<QAction*>("mnuViewMoveUp");
    auto* moveDown = findChild<QAction*>("mnuViewMoveDown");
    moveUp->setText(up);
    moveDown->setText(down);
    moveUp->setVisible(visible);
    moveDown->setVisible(visible);
    findChild<QAction*>("mnuViewMoveSeparator")->setVisible(visible);
    findChild<QAction*>("mnuEditHtml")->setVisible(visible);
}

void TfrmMain::pgcMainChange() {
    QWidget* page = ui->pgcMain->currentWidget();
    if (page == ui->tabFeeds) {
        ui->pgcFeed->setCurrentWidget(ui->tabFeedsRequired);
        SetMoveEntries(true, "Move Feed &Up", "Move Feed &Down");
    } else if (page == ui->tabItems) {
        ui->pgcItem->setCurrentWidget(ui->tabItemsRequired);
        SetMoveEntries(true, "Move Item &Up", "Move Item &Down");
    } else {
        ui->pgcImage->setCurrentIndex(0);
        SetMoveEntries(false, "Move Item &Up", "Move Item &Down");
        if (OfferScaleDown())
            dlgMessage->Execute(TMsgKind::Information, TMsgButtons::Ok,
                                "Don't forget to save or upload the newly resized image");
    }
    RemoveCropRect();
    QApplication::processEvents();
}

// --- Feed menu --------------------------------------------------------------------

void TfrmMain::mnuFeedWizardClick() { RunWizard(); }

void TfrmMain::mnuFeedNewClick() {
    SelectFeedPage();
    NewFeed();
    ui->edtFeedTitle->setFocus();
    ui->edtFeedTitle->selectAll();
}

void TfrmMain::mnuFeedOpenClick() {
    SelectFeedPage();
    OpenFeed();
    ui->lstFeeds->setFocus();
}

void TfrmMain::mnuFeedSaveClick() {
    SelectFeedPage();
    SaveFeed();
}

void TfrmMain::mnuFeedSaveAsClick() {
    SelectFeedPage();
    SaveFeedAs();
}

void TfrmMain::mnuFeedCloseClick() {
    SelectFeedPage();
    RemoveFeed();
    ui->lstFeeds->setFocus();
}

void TfrmMain::mnuFeedDownloadClick() {
    SelectFeedPage();
    DownloadFeed();
    ui->lstFeeds->setFocus();
}

void TfrmMain::mnuFeedUploadClick() {
    SelectFeedPage();
    UploadFeed();
}

void TfrmMain::mnuFeedPrintClick() {
    ui->pgcMain->setCurrentWidget(ui->tabFeeds);
    ui->pgcItem->setCurrentWidget(ui->tabItemsRequired);
    Commit();
    PrintFeed();
}

void TfrmMain::mnuFeedExitClick() {
    Commit();
    close();
}

// --- Item and image menus ------------------------------------------------------------

void TfrmMain::mnuItemNewClick() {
    SelectItemPage();
    NewItem();
    ui->edtItemTitle->setFocus();
    ui->edtItemTitle->selectAll();
}

void TfrmMain::mnuItemCloneClick() {
    SelectItemPage();
    CloneItem();
}

void TfrmMain::mnuItemDeleteClick() {
    SelectItemPage();
    DeleteItem();
}

void TfrmMain::mnuImageOpenClick() {
    SelectImagePage();
    OpenImage();
}

void TfrmMain::mnuImageSaveClick() {
    SelectImagePage();
    SaveImage();
}

void TfrmMain::mnuImageReDownloadClick() {
    SelectImagePage();
    ReDownloadImage();
}

void TfrmMain::mnuImageUploadClick() {
    SelectImagePage();
    UploadImage();
}

// --- Edit menu --------------------------------------------------------------------

void TfrmMain::mnuEditUndoClick() {
    if (auto* field = qobject_cast<QTextEdit*>(QApplication::focusWidget())) field->undo();
}

void TfrmMain::mnuEditCutClick() { SendKeyToFocus(Qt::Key_Delete, Qt::ShiftModifier); }
void TfrmMain::mnuEditCopyClick() { SendKeyToFocus(Qt::Key_Insert, Qt::ControlModifier); }
void TfrmMain::mnuEditPasteClick() { SendKeyToFocus(Qt::Key_Insert, Qt::ShiftModifier); }

void TfrmMain::mnuEditSearchClick() {
    Commit();
    ShowSearch();
}

// --- Tools and view menus -----------------------------------------------------------

void TfrmMain::mnuEditHtmlClick() { OpenHtmlEditor(); }

void TfrmMain::mnuToolsExportClick() {
    Commit();
    ShowExport();
}

void TfrmMain::mnuViewSkinClick() {
    Commit();
    SelectSkin();
}

void TfrmMain::mnuViewPreferencesClick() {
    Commit();
    ShowPreferences();
}

void TfrmMain::mnuViewSourceClick() { ViewSource(); }
void TfrmMain::mnuViewFtpLogClick() { ShowFtpLog(); }

void TfrmMain::mnuViewMoveUpClick() {
    Commit();
    if (ui->pgcMain->currentWidget() == ui->tabFeeds) MoveFeed(-1);
    else if (ui->pgcMain->currentWidget() == ui->tabItems) MoveItem(-1);
}

void TfrmMain::mnuViewMoveDownClick() {
    Commit();
    if (ui->pgcMain->currentWidget() == ui->tabFeeds) MoveFeed(1);
    else if (ui->pgcMain->currentWidget() == ui->tabItems) MoveItem(1);
}

void TfrmMain::OpenHtmlEditor() {
    QWidget* page = ui->pgcMain->currentWidget();
    if (page == ui->tabFeeds) {
        ui->pgcFeed->setCurrentWidget(ui->tabFeedsRequired);
        ui->edtFeedDescription->setFocus();
    } else if (page == ui->tabItems) {
        ui->pgcItem->setCurrentWidget(ui->tabItemsRequired);
        ui->edtItemDescription->setFocus();
    }
}

// --- Help menu --------------------------------------------------------------------

void TfrmMain::mnuHelpContentsClick() {
    QApplication::processEvents();
    ShowHelpTopic(0);
}

void TfrmMain::ShowHelpTopic(int context) {
    QString page = HelpPagePath(context);
    if (!QFileInfo::exists(page)) page = HelpPagePath(0);
    ui::OpenInBrowser(QUrl::fromLocalFile(page).toString().toStdString());
}

void TfrmMain::mnuHelpWhatsThisClick() { QWhatsThis::enterWhatsThisMode(); }

void TfrmMain::KeyboardShortcuts1Click() {
    dlgMessage->Execute(TMsgKind::Information, TMsgButtons::Ok, kKeyboardShortcutsText);
}

void TfrmMain::MouseShortcuts1Click() {
    dlgMessage->Execute(TMsgKind::Information, TMsgButtons::Ok, kMouseShortcutsText);
}

void TfrmMain::mnuHelpWebsiteClick() {
    if (!ui::OpenInBrowser(kWebsite))
        dlgMessage->Execute(TMsgKind::Warning, TMsgButtons::Ok,
                            QString("Quorvane was unable to start your web browser.  You can manually access the "
                                    "Quorvane website at: ") + kWebsite);
}

void TfrmMain::mnuHelpAboutClick() {
    if (frmSplash) frmSplash->ShowAbout();
}

// --- Skins ------------------------------------------------------------------------

bool TfrmMain::ApplySkin(const QString& path) {
    if (path.isEmpty()) return false;
    bool applied = false;
    {
        WaitCursor wait;
        try {
            if (core::Settings && core::Settings->DisableSkins) {
                RemoveSkin();
                applied = true;
            } else if (QFileInfo(path).isFile()) {
                applied = LoadSkinFile(path);
            }
        } catch (...) {
            applied = false;
        }
    }
    return applied;
}

void TfrmMain::SelectSkin() {
    try {
        const QString root = QString::fromStdString(core::ProgramFolder()) + "Skins/";
        const QString current = QFileInfo(QString::fromStdString(core::Settings->Skin)).dir().dirName();
        // No hourglass while the user picks; ApplySkin shows it for the change itself.
        const auto picked = ssfMain->Pick("Select skin", "Skin:", SkinFolders(root), current);
        if (!picked) return;
        const QString file = SkinFileIn(root + *picked);
        ui->chkFeedAutoDate->hide();
        if (ApplySkin(file)) core::Settings->Skin = file.toStdString();
        ui->chkFeedAutoDate->show();
    } catch (...) {
        ui->chkFeedAutoDate->show();
    }
}

// --- Printing ---------------------------------------------------------------------

std::string TfrmMain::PrintBuffer() const {
    const feed::TFeedChannel& channel = *core::CurrentFeed->Channel;
    std::string buffer =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}"
        "\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    buffer += "\\b " + EscapeRtf(channel.Title) + "\\b0 \\par ";
    buffer += EscapeRtf(channel.Description) + "\\par \\par ";
    for (const auto& item : channel.Items)
        buffer += "\\par \\b " + EscapeRtf(item->Title) + "\\b0 \\par " + EscapeRtf(item->Description) + "\\par ";
    buffer += "}";
    return buffer;
}

void TfrmMain::PrintFeed() {
    WaitCursor wait;
    QPrinter printer(QPrinter::HighResolution);
    if (!dlgPrint->Execute(printer)) return;
    QTextDocument document;
    QFont font("Ariel", 10);
    document.setDefaultFont(font);
    ui::LoadRtfIntoDocument(PrintBuffer(), document);
    printer.setDocName(QString::fromStdString(core::CurrentFeed->Channel->Title));
    document.print(&printer);
}
