#pragma once
// The dialogs a window shows, as small objects a test can answer: every
// message box, file dialog, input box and print dialog of a window goes
// through one of these. Without queued answers they show the real dialog;
// in scripted mode (tests) an unanswered dialog is recorded and gets its
// negative answer, so a test never blocks on a modal box.

#include <QObject>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

class QPrinter;
class QWidget;

enum class TMsgKind { Warning, Error, Information, Confirmation };
enum class TMsgButtons { Ok, YesNo, YesNoCancel };
enum class TMsgResult { Ok, Yes, No, Cancel };

// Makes every seam answer from its queue only (true in tests).
void SetDialogsScripted(bool scripted);
bool DialogsScripted();

// A window's message box.
class TMessageDialog : public QObject {
    Q_OBJECT
public:
    struct Shown {
        TMsgKind Kind;
        TMsgButtons Buttons;
        QString Text;
    };

    explicit TMessageDialog(QWidget* owner);

    // Shows the box; Ok for the OK button set, else Yes, No or Cancel.
    TMsgResult Execute(TMsgKind kind, TMsgButtons buttons, const QString& text);

    void QueueAnswer(TMsgResult answer) { answers_.push_back(answer); }
    std::vector<Shown> shown;

private:
    QWidget* owner_;
    std::deque<TMsgResult> answers_;
};

// A window's open or save dialog.
class TFileDialog : public QObject {
    Q_OBJECT
public:
    enum class Mode { Open, Save };
    struct Shown {
        QString Title;
        QString Folder;
        QString FileName;
        QString Filter;
    };

    TFileDialog(QWidget* owner, Mode mode, QString title);

    QString Title() const { return title_; }
    // The chosen path, or an empty text when the user cancels.
    QString Execute(const QString& folder, const QString& fileName, const QString& filter,
                    const QString& defaultSuffix = {});

    void QueueAnswer(const QString& path) { answers_.push_back(path); }
    std::vector<Shown> shown;

private:
    QWidget* owner_;
    Mode mode_;
    QString title_;
    std::deque<QString> answers_;
};

// A window's input box (also serves as a pick-from-list box).
class TInputDialog : public QObject {
    Q_OBJECT
public:
    struct Shown {
        QString Caption;
        QString Prompt;
        QString Default;
        QStringList Items;
    };

    explicit TInputDialog(QWidget* owner);

    // The text entered, or nothing when the user cancels.
    std::optional<QString> Execute(const QString& caption, const QString& prompt, const QString& defaultText);
    // One of the items (the current one preselected), or nothing on cancel.
    std::optional<QString> Pick(const QString& caption, const QString& prompt, const QStringList& items,
                                const QString& current);

    // A scripted answer: the text entered, or nothing for Cancel.
    void QueueAnswer(std::optional<QString> answer) {
        answers_.push_back({answer.has_value(), answer.value_or(QString())});
    }
    std::vector<Shown> shown;

private:
    struct Answer {
        bool Given;
        QString Text;
    };
    std::optional<QString> NextAnswer();

    QWidget* owner_;
    std::deque<Answer> answers_;
};

// A window's print dialog: confirms a printer set up by the user.
class TPrintDialog : public QObject {
    Q_OBJECT
public:
    explicit TPrintDialog(QWidget* owner);

    // True when the user confirmed; the printer is then set up to print.
    bool Execute(QPrinter& printer);

    // Scripted answer: print to this PDF file (empty text: the user cancels).
    void QueueAnswer(const QString& pdfPath) { answers_.push_back(pdfPath); }
    int shownCount = 0;

private:
    QWidget* owner_;
    std::deque<QString> answers_;
};
