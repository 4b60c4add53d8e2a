#include "ui/DialogSeams.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace {
bool gScripted = false;
}

void SetDialogsScripted(bool scripted) { gScripted = scripted; }
bool DialogsScripted() { return gScripted; }

TMessageDialog::TMessageDialog(QWidget* owner) : QObject(owner), owner_(owner) {
    setObjectName("dlgMessage");
}

TMsgResult TMessageDialog::Execute(TMsgKind kind, TMsgButtons buttons, const QString& text) {
    shown.push_back({kind, buttons, text});
    if (!answers_.empty()) {
        const TMsgResult answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    if (gScripted) return buttons == TMsgButtons::Ok ? TMsgResult::Ok
                          : buttons == TMsgButtons::YesNo ? TMsgResult::No
                                                          : TMsgResult::Cancel;

    QMessageBox box(owner_);
    box.setWindowTitle(QStringLiteral("Quorvane"));
    box.setText(text);
    switch (kind) {
        case TMsgKind::Warning: box.setIcon(QMessageBox::Warning); break;
        case TMsgKind::Error: box.setIcon(QMessageBox::Critical); break;
        case TMsgKind::Information: box.setIcon(QMessageBox::Information); break;
        case TMsgKind::Confirmation: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
        case TMsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case TMsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case TMsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes: return TMsgResult::Yes;
        case QMessageBox::No: return TMsgResult::No;
        case QMessageBox::Ok: return TMsgResult::Ok;
        default: return buttons == TMsgButtons::Ok ? TMsgResult::Ok
                        : buttons == TMsgButtons::YesNo ? TMsgResult::No
                                                        : TMsgResult::Cancel;
    }
}

TFileDialog::TFileDialog(QWidget* owner, Mode mode, QString title)
    : QObject(owner), owner_(owner), mode_(mode), title_(std::move(title)) {
    setObjectName(mode == Mode::Open ? "dlgOpen" : "dlgSave");
}

QString TFileDialog::Execute(const QString& folder, const QString& fileName, const QString& filter,
                             const QString& defaultSuffix) {
    shown.push_back({title_, folder, fileName, filter});
    if (!answers_.empty()) {
        QString answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    if (gScripted) return {};

    QFileDialog dialog(owner_, title_, folder, filter);
    dialog.setAcceptMode(mode_ == Mode::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(mode_ == Mode::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!defaultSuffix.isEmpty()) dialog.setDefaultSuffix(defaultSuffix);
    if (!fileName.isEmpty()) dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

TInputDialog::TInputDialog(QWidget* owner) : QObject(owner), owner_(owner) {
    setObjectName("dlgInput");
}

std::optional<QString> TInputDialog::NextAnswer() {
    const Answer answer = answers_.front();
    answers_.pop_front();
    if (!answer.Given) return std::nullopt;
    return answer.Text;
}

std::optional<QString> TInputDialog::Execute(const QString& caption, const QString& prompt,
                                             const QString& defaultText) {
    shown.push_back({caption, prompt, defaultText, {}});
    if (!answers_.empty()) return NextAnswer();
    if (gScripted) return std::nullopt;
    bool ok = false;
    const QString text = QInputDialog::getText(owner_, caption, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return text;
}

std::optional<QString> TInputDialog::Pick(const QString& caption, const QString& prompt,
                                          const QStringList& items, const QString& current) {
    shown.push_back({caption, prompt, current, items});
    if (!answers_.empty()) return NextAnswer();
    if (gScripted || items.isEmpty()) return std::nullopt;
    bool ok = false;
    const int index = std::max(0, static_cast<int>(items.indexOf(current)));
    const QString text = QInputDialog::getItem(owner_, caption, prompt, items, index, false, &ok);
    if (!ok) return std::nullopt;
    return text;
}

TPrintDialog::TPrintDialog(QWidget* owner) : QObject(owner), owner_(owner) {
    setObjectName("dlgPrint");
}

bool TPrintDialog::Execute(QPrinter& printer) {
    ++shownCount;
    if (!answers_.empty()) {
        const QString path = answers_.front();
        answers_.pop_front();
        if (path.isEmpty()) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return true;
    }
    if (gScripted) return false;
    QPrintDialog dialog(&printer, owner_);
    return dialog.exec() == QDialog::Accepted;
}
