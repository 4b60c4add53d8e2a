// The shared text field and its edit pop-up, driven with real key and focus
// events on the offscreen platform.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMimeData>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ui/EditPopup.h"
#include "ui/TextField.h"
#include "support/QtPrinters.h"


namespace {

// Counts the Enter key presses that reach the widget it watches.
class EnterWatcher : public QObject {
public:
    int ctrlEnterPresses = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                (key->modifiers() & Qt::ControlModifier)) {
                ++ctrlEnterPresses;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

void Select(TRichField* field, int start, int length) {
    QTextCursor cursor = field->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    field->setTextCursor(cursor);
}

void SetClipboard(const QString& text) {
    if (text.isEmpty())
        QApplication::clipboard()->clear();
    else
        QApplication::clipboard()->setText(text);
}

QAction* Entry(const TEditPopup& popup, const char* name) {
    return popup.Menu()->findChild<QAction*>(QString::fromLatin1(name));
}

// A window with two single-line fields, a description and its edit pop-up.
class TextFieldTest : public testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        title = new TRichField(window.get());
        title->setObjectName(QStringLiteral("edtTitle"));
        link = new TRichField(window.get());
        link->setObjectName(QStringLiteral("edtLink"));
        description = new TRichField(window.get());
        description->setObjectName(QStringLiteral("edtDescription"));
        description->SetMode(FieldMode::MultiLineHtmlBreaks);
        layout->addWidget(title);
        layout->addWidget(link);
        layout->addWidget(description);
        popup = new TEditPopup(window.get());
        window->installEventFilter(&enterWatcher);
        window->resize(400, 300);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void TearDown() override {
        if (popup && popup->Menu()) popup->Menu()->hide();
        window.reset();
        QApplication::clipboard()->clear();
    }

    TRichField* FieldFor(FieldMode mode) {
        if (mode == FieldMode::SingleLine) return title;
        description->SetMode(mode);
        return description;
    }

    // Gives `field` the focus.
    void Focus(TRichField* field) {
        field->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(field->hasFocus());
    }

    std::unique_ptr<QWidget> window;
    EnterWatcher enterWatcher;
    TRichField* title = nullptr;
    TRichField* link = nullptr;
    TRichField* description = nullptr;
    TEditPopup* popup = nullptr;
};

// ---- Text and SetText ------------------------------------------------------

TEST_F(TextFieldTest, SetTextIsNoUserChange) {
    title->SetText(QStringLiteral("typed"));
    QTest::keyClicks(title, QStringLiteral("x"));
    ASSERT_TRUE(title->document()->isUndoAvailable());
    title->SetText(QStringLiteral("Feed title"));
    EXPECT_EQ(title->Text(), QStringLiteral("Feed title"));
    EXPECT_FALSE(title->document()->isUndoAvailable());
    EXPECT_FALSE(title->document()->isModified());
}

struct LineEndCase {
    std::string name;
    FieldMode mode;
    QString given;
    QString afterEdit;  // the text after typing "!" at its end
};

// Failing table cases print their name, not their bytes.
void PrintTo(const LineEndCase& c, std::ostream* os) {
    *os << c.name;
}

class TextFieldLineEndTest : public TextFieldTest, public testing::WithParamInterface<LineEndCase> {};

// A value is read back exactly as it was shown; once edited, lines are joined
// with CR LF whatever line ends the value had.
TEST_P(TextFieldLineEndTest, ShownValueReadsBackUnchangedUntilEdited) {
    const LineEndCase& c = GetParam();
    TRichField* field = FieldFor(c.mode);
    field->SetText(c.given);
    EXPECT_EQ(field->Text(), c.given);
    Focus(field);
    field->moveCursor(QTextCursor::End);
    QTest::keyClicks(field, QStringLiteral("!"));
    EXPECT_EQ(field->Text(), c.afterEdit);
    field->undo();
    EXPECT_EQ(field->Text(), c.given);
}

INSTANTIATE_TEST_SUITE_P(
    Field, TextFieldLineEndTest,
    testing::ValuesIn(std::vector<LineEndCase>{
        {"DescriptionCrLf", FieldMode::MultiLineHtmlBreaks, "a<br>\r\nb", "a<br>\r\nb!"},
        {"DescriptionLf", FieldMode::MultiLineHtmlBreaks, "a<br>\nb", "a<br>\r\nb!"},
        {"MultiLineCr", FieldMode::MultiLine, "a\rb\r", "a\r\nb\r\n!"},
        {"SingleLineHoldingLf", FieldMode::SingleLine, "a\nb", "a\r\nb!"},
        {"SingleLineNonBreakingSpace", FieldMode::SingleLine, QString::fromUtf8("a\u00a0b"),
         QString::fromUtf8("a\u00a0b!")},
    }),
    [](const auto& info) { return info.param.name; });

// ---- Paste clean-up --------------------------------------------------------

enum class PasteBy { CtrlV, ShiftInsert, PopupPaste, SentShiftInsert };

struct PasteCase {
    std::string name;
    FieldMode mode;
    PasteBy by;
    QString before;
    int selectStart;
    int selectLength;
    QString clipboard;
    QString after;
};

void PrintTo(const PasteCase& c, std::ostream* os) {
    *os << c.name;
}

class TextFieldPasteTest : public TextFieldTest, public testing::WithParamInterface<PasteCase> {};

TEST_P(TextFieldPasteTest, CleansReplacesSelectionInOneUndoStep) {
    const PasteCase& c = GetParam();
    TRichField* field = FieldFor(c.mode);
    field->SetText(c.before);
    Focus(field);
    Select(field, c.selectStart, c.selectLength);
    SetClipboard(c.clipboard);
    switch (c.by) {
        case PasteBy::CtrlV: QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier); break;
        case PasteBy::ShiftInsert: QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier); break;
        case PasteBy::PopupPaste:
            Focus(link);  // the entry acts on the field clicked, not the focused one
            popup->PopupEditMenu(field, field->mapToGlobal(QPoint(5, 5)));
            ASSERT_TRUE(Entry(*popup, "mnuPaste")->isEnabled());
            popup->Menu()->hide();
            Entry(*popup, "mnuPaste")->trigger();
            EXPECT_TRUE(field->hasFocus());
            break;
        case PasteBy::SentShiftInsert: {
            // What the window's Edit menu does: a key event to the focused control.
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Insert, Qt::ShiftModifier);
            QApplication::sendEvent(QApplication::focusWidget(), &press);
            break;
        }
    }
    EXPECT_EQ(field->Text(), c.after);
    EXPECT_FALSE(field->textCursor().hasSelection());
    field->undo();
    EXPECT_EQ(field->Text(), c.before);
    EXPECT_FALSE(field->document()->isUndoAvailable()) << "the paste took more than one undo step";
}

const QString kMessy = QStringLiteral("a<BR>\r\nb</p>c");

INSTANTIATE_TEST_SUITE_P(
    Field, TextFieldPasteTest,
    testing::ValuesIn(std::vector<PasteCase>{
        {"SingleLineCtrlV", FieldMode::SingleLine, PasteBy::CtrlV, "[xx]", 1, 2, kMessy, "[a b  c]"},
        {"SingleLineShiftInsert", FieldMode::SingleLine, PasteBy::ShiftInsert, "[xx]", 1, 2, kMessy,
         "[a b  c]"},
        {"SingleLinePopup", FieldMode::SingleLine, PasteBy::PopupPaste, "[xx]", 1, 2, kMessy,
         "[a b  c]"},
        {"SingleLineEditMenuKey", FieldMode::SingleLine, PasteBy::SentShiftInsert, "[xx]", 1, 2,
         kMessy, "[a b  c]"},
        {"SingleLineAtCaret", FieldMode::SingleLine, PasteBy::CtrlV, "ab", 1, 0, "x\ny", "ax yb"},
        {"SingleLineBreakBeforeLetterStays", FieldMode::SingleLine, PasteBy::CtrlV, "", 0, 0,
         "a<br>b", "a<br>b"},
        {"DescriptionCtrlV", FieldMode::MultiLineHtmlBreaks, PasteBy::CtrlV, "[xx]", 1, 2, kMessy,
         "[a<br>\r\nb<br>\r\n<br>\r\nc]"},
        {"DescriptionShiftInsert", FieldMode::MultiLineHtmlBreaks, PasteBy::ShiftInsert, "[xx]", 1, 2,
         kMessy, "[a<br>\r\nb<br>\r\n<br>\r\nc]"},
        {"DescriptionPopup", FieldMode::MultiLineHtmlBreaks, PasteBy::PopupPaste, "[xx]", 1, 2,
         kMessy, "[a<br>\r\nb<br>\r\n<br>\r\nc]"},
        {"DescriptionSelfClosingBreaks", FieldMode::MultiLineHtmlBreaks, PasteBy::CtrlV, "", 0, 0,
         "a<br/>b<BR />c", "a<br>\r\nb<br>\r\nc"},
        {"MultiLineCtrlV", FieldMode::MultiLine, PasteBy::CtrlV, "[xx]", 1, 2, kMessy,
         "[a\r\nb\r\n\r\nc]"},
        {"SingleLineUnicodeSeparators", FieldMode::SingleLine, PasteBy::CtrlV, "", 0, 0,
         QString::fromUtf8("a\u2028b\u2029c"), "a b c"},
        {"DescriptionUnicodeSeparators", FieldMode::MultiLineHtmlBreaks, PasteBy::CtrlV, "", 0, 0,
         QString::fromUtf8("a\u2028b\u2029c"), "a<br>\r\nb<br>\r\nc"},
    }),
    [](const auto& info) { return info.param.name; });

TEST_F(TextFieldTest, PasteOfNothingKeepsTheSelection) {
    title->SetText(QStringLiteral("keep"));
    Focus(title);
    Select(title, 0, 4);
    QApplication::clipboard()->clear();
    QTest::keyClick(title, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(title->Text(), QStringLiteral("keep"));
    EXPECT_EQ(title->textCursor().selectedText(), QStringLiteral("keep"));
}

TEST_F(TextFieldTest, DroppedTextIsCleaned) {
    title->SetText(QString());
    QMimeData data;
    data.setText(QStringLiteral("a<br/>b\r\nc"));
    const QPointF pos(5, 5);
    QDragEnterEvent enter(pos.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(title->viewport(), &enter);
    QDragMoveEvent move(pos.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(title->viewport(), &move);
    ASSERT_TRUE(move.isAccepted());
    QDropEvent drop(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(title->viewport(), &drop);
    EXPECT_EQ(title->Text(), QStringLiteral("a b c"));
}

// ---- Edit keys the Edit menu sends -----------------------------------------

struct EditKeyCase {
    std::string name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString after;
    QString clipboard;
};

void PrintTo(const EditKeyCase& c, std::ostream* os) {
    *os << c.name;
}

class TextFieldEditKeyTest : public TextFieldTest, public testing::WithParamInterface<EditKeyCase> {};

TEST_P(TextFieldEditKeyTest, ActsOnTheSelection) {
    const EditKeyCase& c = GetParam();
    title->SetText(QStringLiteral("hello world"));
    Focus(title);
    Select(title, 6, 5);
    SetClipboard(QStringLiteral("XY"));
    QTest::keyClick(title, c.key, c.modifiers);
    EXPECT_EQ(title->Text(), c.after);
    EXPECT_EQ(QApplication::clipboard()->text(), c.clipboard);
}

INSTANTIATE_TEST_SUITE_P(
    Field, TextFieldEditKeyTest,
    testing::ValuesIn(std::vector<EditKeyCase>{
        {"ShiftDeleteCuts", Qt::Key_Delete, Qt::ShiftModifier, "hello ", "world"},
        {"CtrlInsertCopies", Qt::Key_Insert, Qt::ControlModifier, "hello world", "world"},
        {"ShiftInsertPastes", Qt::Key_Insert, Qt::ShiftModifier, "hello XY", "XY"},
    }),
    [](const auto& info) { return info.param.name; });

// ---- Enter -----------------------------------------------------------------

struct EnterCase {
    std::string name;
    FieldMode mode;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString after;         // from "ab" with the caret between a and b
    int exits;             // Exited signals
    bool reachesWindow;    // the key goes on to the window
};

void PrintTo(const EnterCase& c, std::ostream* os) {
    *os << c.name;
}

class TextFieldEnterTest : public TextFieldTest, public testing::WithParamInterface<EnterCase> {};

TEST_P(TextFieldEnterTest, InsertsCommitsOrPassesOn) {
    const EnterCase& c = GetParam();
    TRichField* field = FieldFor(c.mode);
    field->SetText(QStringLiteral("ab"));
    Focus(field);
    Select(field, 1, 0);
    QSignalSpy exited(field, &TRichField::Exited);
    QTest::keyClick(field, c.key, c.modifiers);
    EXPECT_EQ(field->Text(), c.after);
    EXPECT_EQ(exited.count(), c.exits);
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(enterWatcher.ctrlEnterPresses, c.reachesWindow ? 1 : 0);
    if (c.after != QStringLiteral("ab")) {
        field->undo();
        EXPECT_EQ(field->Text(), QStringLiteral("ab")) << "the line break took more than one undo step";
    }
}

const Qt::KeyboardModifiers kNone = Qt::NoModifier;
const Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
const Qt::KeyboardModifiers kShift = Qt::ShiftModifier;

INSTANTIATE_TEST_SUITE_P(
    Field, TextFieldEnterTest,
    testing::ValuesIn(std::vector<EnterCase>{
        {"SingleLineEnterCommits", FieldMode::SingleLine, Qt::Key_Return, kNone, "ab", 1, false},
        {"SingleLineKeypadEnterCommits", FieldMode::SingleLine, Qt::Key_Enter, Qt::KeypadModifier,
         "ab", 1, false},
        {"SingleLineShiftEnterCommits", FieldMode::SingleLine, Qt::Key_Return, kShift, "ab", 1, false},
        {"SingleLineCtrlEnterGoesToWindow", FieldMode::SingleLine, Qt::Key_Return, kCtrl, "ab", 0,
         true},
        {"DescriptionEnterAddsBreakTag", FieldMode::MultiLineHtmlBreaks, Qt::Key_Return, kNone,
         "a<br>\r\nb", 0, false},
        {"DescriptionShiftEnterAddsBreakTag", FieldMode::MultiLineHtmlBreaks, Qt::Key_Return, kShift,
         "a<br>\r\nb", 0, false},
        {"DescriptionCtrlEnterGoesToWindow", FieldMode::MultiLineHtmlBreaks, Qt::Key_Return, kCtrl,
         "ab", 0, true},
        {"MultiLineEnterBreaksLine", FieldMode::MultiLine, Qt::Key_Return, kNone, "a\r\nb", 0, false},
    }),
    [](const auto& info) { return info.param.name; });

TEST_F(TextFieldTest, EnterInDescriptionReplacesTheSelection) {
    description->SetText(QStringLiteral("one two"));
    Focus(description);
    Select(description, 3, 1);
    QTest::keyClick(description, Qt::Key_Return);
    QTest::keyClicks(description, QStringLiteral("x"));
    EXPECT_EQ(description->Text(), QStringLiteral("one<br>\r\nxtwo"));
}

// ---- Leaving a field -------------------------------------------------------

TEST_F(TextFieldTest, FocusLeavingEmitsExitedOnce) {
    Focus(title);
    QSignalSpy exited(title, &TRichField::Exited);
    link->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(exited.count(), 1);
}

TEST_F(TextFieldTest, TabMovesOnWithoutTypingATab) {
    for (TRichField* field : {title, description}) {
        SCOPED_TRACE(field->objectName().toStdString());
        field->SetText(QStringLiteral("x"));
        Focus(field);
        QSignalSpy exited(field, &TRichField::Exited);
        QTest::keyClick(field, Qt::Key_Tab);
        EXPECT_FALSE(field->hasFocus());
        EXPECT_EQ(exited.count(), 1);
        EXPECT_EQ(field->Text(), QStringLiteral("x"));
    }
}

TEST_F(TextFieldTest, RightClickOpensTheWindowPopupWithoutLeaving) {
    title->SetText(QStringLiteral("abc"));
    Focus(title);
    QSignalSpy exited(title, &TRichField::Exited);
    const QPoint pos(5, 5);
    QContextMenuEvent click(QContextMenuEvent::Mouse, pos, title->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(title->viewport(), &click);
    EXPECT_EQ(popup->PopupTarget(), title);
    EXPECT_TRUE(popup->Menu()->isVisible());
    EXPECT_EQ(popup->Menu()->parent(), window.get());
    EXPECT_EQ(exited.count(), 0);
    popup->Menu()->hide();
    EXPECT_EQ(exited.count(), 0);
}

TEST_F(TextFieldTest, WindowWithoutPopupGetsItsOwn) {
    QWidget other;
    auto* field = new TRichField(&other);
    EXPECT_EQ(TEditPopup::OfWindow(&other), nullptr);
    TEditPopup* made = TEditPopup::ForField(field);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->parent(), &other);
    EXPECT_EQ(TEditPopup::ForField(field), made);
    EXPECT_EQ(TEditPopup::ForField(title), popup);
}

// ---- Edit pop-up -----------------------------------------------------------

TEST_F(TextFieldTest, PopupEntriesInOrder) {
    QStringList entries;
    for (QAction* action : popup->Menu()->actions())
        entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(entries.join(QLatin1Char('|')),
              QStringLiteral("Undo|-|Cut|Copy|Paste|Delete|-|Select All"));
    EXPECT_EQ(popup->Menu()->objectName(), QStringLiteral("pumEdit"));
}

struct EnablingCase {
    std::string name;
    QString text;
    QString typed;  // typed at the end after SetText
    int selectStart;
    int selectLength;
    QString clipboard;
    bool readOnly;
    std::string enabled;  // U undo, T cut, C copy, P paste, D delete, A select all
};

void PrintTo(const EnablingCase& c, std::ostream* os) {
    *os << c.name;
}

class TextFieldEnablingTest : public TextFieldTest, public testing::WithParamInterface<EnablingCase> {};

TEST_P(TextFieldEnablingTest, EnablesWhatCanAct) {
    const EnablingCase& c = GetParam();
    title->SetText(c.text);
    Focus(title);
    title->moveCursor(QTextCursor::End);
    if (!c.typed.isEmpty()) QTest::keyClicks(title, c.typed);
    Select(title, c.selectStart, c.selectLength);
    title->setReadOnly(c.readOnly);
    SetClipboard(c.clipboard);
    popup->SetPopupTarget(title);
    popup->UpdateEnabling();
    std::string enabled;
    for (auto [letter, name] : {std::pair{'U', "mnuUndo"}, {'T', "mnuCut"}, {'C', "mnuCopy"},
                                {'P', "mnuPaste"}, {'D', "mnuDelete"}, {'A', "mnuSelectAll"}}) {
        if (Entry(*popup, name)->isEnabled()) enabled += letter;
    }
    EXPECT_EQ(enabled, c.enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Popup, TextFieldEnablingTest,
    testing::ValuesIn(std::vector<EnablingCase>{
        {"EmptyFieldClipboardText", "", "", 0, 0, "clip", false, "P"},
        {"EmptyFieldEmptyClipboard", "", "", 0, 0, "", false, ""},
        {"UntouchedText", "abc", "", 0, 0, "", false, "A"},
        {"AfterTyping", "abc", "d", 0, 0, "", false, "UA"},
        {"TypedIntoEmptyField", "", "d", 0, 0, "clip", false, "UPA"},
        {"SelectionEmptyClipboard", "abc", "", 1, 1, "", false, "TCDA"},
        {"SelectionAndClipboard", "abc", "", 0, 3, "clip", false, "TCPDA"},
        {"ReadOnlyWithSelection", "abc", "", 1, 1, "clip", true, "CA"},
    }),
    [](const auto& info) { return info.param.name; });

TEST_F(TextFieldTest, PopupWithoutTargetEnablesNothing) {
    SetClipboard(QStringLiteral("clip"));
    popup->SetPopupTarget(nullptr);
    popup->UpdateEnabling();
    for (QAction* action : popup->Menu()->actions()) {
        if (action->isSeparator()) continue;
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    }
}

struct PopupActionCase {
    std::string name;
    const char* entry;
    QString after;
    QString selected;
    QString clipboard;
};

void PrintTo(const PopupActionCase& c, std::ostream* os) {
    *os << c.name;
}

class TextFieldPopupActionTest : public TextFieldTest,
                                 public testing::WithParamInterface<PopupActionCase> {};

// The entries act on the field right-clicked, even when another field had
// the focus, and leave the focus in it.
TEST_P(TextFieldPopupActionTest, ActsOnPopupTarget) {
    const PopupActionCase& c = GetParam();
    title->SetText(QStringLiteral("hello world"));
    link->SetText(QStringLiteral("other"));
    Select(title, 6, 5);
    Focus(link);
    SetClipboard(QStringLiteral("XY"));
    popup->PopupEditMenu(title, title->mapToGlobal(QPoint(5, 5)));
    ASSERT_TRUE(Entry(*popup, c.entry)->isEnabled());
    popup->Menu()->hide();
    Entry(*popup, c.entry)->trigger();
    EXPECT_TRUE(title->hasFocus());
    EXPECT_EQ(title->Text(), c.after);
    EXPECT_EQ(title->textCursor().selectedText(), c.selected);
    EXPECT_EQ(QApplication::clipboard()->text(), c.clipboard);
    EXPECT_EQ(link->Text(), QStringLiteral("other"));
}

INSTANTIATE_TEST_SUITE_P(
    Popup, TextFieldPopupActionTest,
    testing::ValuesIn(std::vector<PopupActionCase>{
        {"Delete", "mnuDelete", "hello ", "", "XY"},
        {"Cut", "mnuCut", "hello ", "", "world"},
        {"Copy", "mnuCopy", "hello world", "world", "world"},
        {"Paste", "mnuPaste", "hello XY", "", "XY"},
        {"SelectAll", "mnuSelectAll", "hello world", "hello world", "XY"},
    }),
    [](const auto& info) { return info.param.name; });

TEST_F(TextFieldTest, PopupUndoUndoesTheLastChange) {
    title->SetText(QStringLiteral("abc"));
    Focus(title);
    title->moveCursor(QTextCursor::End);
    QTest::keyClicks(title, QStringLiteral("d"));
    Focus(link);
    popup->PopupEditMenu(title, title->mapToGlobal(QPoint(5, 5)));
    ASSERT_TRUE(Entry(*popup, "mnuUndo")->isEnabled());
    popup->Menu()->hide();
    Entry(*popup, "mnuUndo")->trigger();
    EXPECT_EQ(title->Text(), QStringLiteral("abc"));
    EXPECT_TRUE(title->hasFocus());
}

TEST_F(TextFieldTest, PopupSurvivesItsTargetBeingDeleted) {
    auto* field = new TRichField(window.get());
    popup->PopupEditMenu(field, QPoint(5, 5));
    popup->Menu()->hide();
    delete field;
    EXPECT_EQ(popup->PopupTarget(), nullptr);
    SetClipboard(QStringLiteral("clip"));
    popup->UpdateEnabling();
    EXPECT_FALSE(Entry(*popup, "mnuPaste")->isEnabled());
    // Entries that still run (a queued click) do nothing.
    popup->mnuUndoClick();
    popup->mnuCutClick();
    popup->mnuCopyClick();
    popup->mnuPasteClick();
    popup->mnuDeleteClick();
    popup->mnuSelectAllClick();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("clip"));
}

// ---- Look ------------------------------------------------------------------

TEST_F(TextFieldTest, SingleLineFieldShowsExactlyOneLine) {
    title->SetText(QStringLiteral("one line"));
    const qreal line = QFontMetricsF(title->document()->defaultFont()).lineSpacing();
    const qreal docHeight = title->document()->size().height();
    EXPECT_GE(title->viewport()->height(), docHeight) << "the line does not fit";
    EXPECT_LT(title->viewport()->height(), docHeight + line) << "room for a second line";
    EXPECT_EQ(title->height(), title->sizeHint().height());
    EXPECT_EQ(title->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
    EXPECT_EQ(title->lineWrapMode(), QTextEdit::NoWrap);
    EXPECT_EQ(title->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_GT(description->height(), title->height());
}

TEST_F(TextFieldTest, SingleLineHeightFollowsTheFont) {
    const int before = title->height();
    QFont font = title->font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * 2);
    else
        font.setPixelSize(font.pixelSize() * 2);
    title->setFont(font);
    QApplication::processEvents();
    EXPECT_GT(title->height(), before);
    EXPECT_GE(title->viewport()->height(), title->document()->size().height());
}

TEST_F(TextFieldTest, LeavingSingleLineModeReleasesTheHeight) {
    auto* field = new TRichField(window.get());
    field->SetMode(FieldMode::MultiLine);
    field->resize(200, 200);
    EXPECT_EQ(field->height(), 200);
    EXPECT_EQ(field->lineWrapMode(), QTextEdit::WidgetWidth);
}

}  // namespace
