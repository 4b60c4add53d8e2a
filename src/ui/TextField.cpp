#include "ui/TextField.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtMath>

#include "core/PasteCleanup.h"
#include "ui/EditPopup.h"

namespace {

// Document margins: a single-line field sits as tight as a line edit.
constexpr qreal kSingleLineMargin = 2;
constexpr qreal kMultiLineMargin = 4;

core::PasteMode PasteModeOf(FieldMode mode) {
    switch (mode) {
        case FieldMode::SingleLine: return core::PasteMode::SingleLine;
        case FieldMode::MultiLineHtmlBreaks: return core::PasteMode::MultiLineHtmlBreaks;
        case FieldMode::MultiLine: return core::PasteMode::MultiLine;
    }
    return core::PasteMode::SingleLine;
}

enum class ClipboardKey { None, Cut, Copy, Paste };

// The Edit menus send Shift+Delete, Ctrl+Insert and Shift+Insert; not every
// platform's key bindings know them, so the field answers them itself.
ClipboardKey ClipboardKeyOf(const QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Delete && modifiers == Qt::ShiftModifier) return ClipboardKey::Cut;
    if (event->key() == Qt::Key_Insert && modifiers == Qt::ControlModifier) return ClipboardKey::Copy;
    if (event->key() == Qt::Key_Insert && modifiers == Qt::ShiftModifier) return ClipboardKey::Paste;
    return ClipboardKey::None;
}

// The text document starts a new line at these as well as at CR and LF, so
// they are line ends of the pasted text too.
QString WithPlainLineEnds(QString text) {
    for (const char16_t separator : {u'\u2028', u'\u2029', u'\ufdd0', u'\ufdd1'})
        text.replace(QChar(separator), QLatin1Char('\n'));
    return text;
}

bool IsEnterKey(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

}  // namespace

TRichField::TRichField(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(false);
    setTabChangesFocus(true);
    SetMode(FieldMode::SingleLine);
}

void TRichField::SetMode(FieldMode mode) {
    m_mode = mode;
    if (mode == FieldMode::SingleLine) {
        setLineWrapMode(QTextEdit::NoWrap);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        document()->setDocumentMargin(kSingleLineMargin);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    } else {
        setLineWrapMode(QTextEdit::WidgetWidth);
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        document()->setDocumentMargin(kMultiLineMargin);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    ApplyHeight();
}

QString TRichField::ShownLines() const {
    QString text;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin()) text += QStringLiteral("\r\n");
        text += block.text();
    }
    return text;
}

QString TRichField::Text() const {
    QString shown = ShownLines();
    return shown == m_setTextShown ? m_setText : shown;
}

void TRichField::SetText(const QString& text) {
    setPlainText(text);
    document()->clearUndoRedoStacks();
    document()->setModified(false);
    m_setText = text;
    m_setTextShown = ShownLines();
}

int TRichField::OneLineHeight() const {
    const int line = qCeil(QFontMetricsF(document()->defaultFont()).lineSpacing());
    return line + qCeil(2 * document()->documentMargin()) + 2 * frameWidth();
}

// A single-line field fixes its own height; leaving that mode releases only
// the limits it set itself, not those a window's layout gave it.
void TRichField::ApplyHeight() {
    if (m_mode == FieldMode::SingleLine) {
        m_fixedHeight = OneLineHeight();
        setFixedHeight(m_fixedHeight);
        return;
    }
    if (m_fixedHeight == 0) return;
    if (minimumHeight() == m_fixedHeight) setMinimumHeight(0);
    if (maximumHeight() == m_fixedHeight) setMaximumHeight(QWIDGETSIZE_MAX);
    m_fixedHeight = 0;
    updateGeometry();
}

QSize TRichField::sizeHint() const {
    QSize size = QTextEdit::sizeHint();
    if (m_mode == FieldMode::SingleLine) size.setHeight(OneLineHeight());
    return size;
}

QSize TRichField::minimumSizeHint() const {
    QSize size = QTextEdit::minimumSizeHint();
    if (m_mode == FieldMode::SingleLine) size.setHeight(OneLineHeight());
    return size;
}

void TRichField::changeEvent(QEvent* event) {
    QTextEdit::changeEvent(event);
    if (m_mode == FieldMode::SingleLine &&
        (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)) {
        ApplyHeight();
    }
}

bool TRichField::event(QEvent* event) {
    // Claim the clipboard keys before any window shortcut can take them.
    if (event->type() == QEvent::ShortcutOverride &&
        ClipboardKeyOf(static_cast<QKeyEvent*>(event)) != ClipboardKey::None) {
        event->accept();
        return true;
    }
    return QTextEdit::event(event);
}

void TRichField::keyPressEvent(QKeyEvent* event) {
    if (IsEnterKey(event)) {
        // Ctrl+Enter is a window shortcut (new feed, new item): it types
        // nothing here and goes on to the window.
        if (event->modifiers() & Qt::ControlModifier) {
            event->ignore();
            return;
        }
        event->accept();
        if (m_mode == FieldMode::SingleLine) {
            EmitExited();
        } else if (!isReadOnly()) {
            InsertLineBreak();
        }
        return;
    }
    switch (ClipboardKeyOf(event)) {
        case ClipboardKey::Cut: cut(); event->accept(); return;
        case ClipboardKey::Copy: copy(); event->accept(); return;
        case ClipboardKey::Paste:
            if (!isReadOnly()) paste();
            event->accept();
            return;
        case ClipboardKey::None: break;
    }
    QTextEdit::keyPressEvent(event);
}

// Enter and Shift+Enter both end the paragraph (never a soft line break, which
// would hide a line end from the text); in a description the line first gets
// its "<br>", in the same undo step.
void TRichField::InsertLineBreak() {
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    if (m_mode == FieldMode::MultiLineHtmlBreaks) cursor.insertText(QStringLiteral("<br>"));
    cursor.insertBlock();
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

void TRichField::focusOutEvent(QFocusEvent* event) {
    QTextEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason) {
        // Opening the field's own edit pop-up is not leaving the field.
        const TEditPopup* popup = TEditPopup::OfWindow(window());
        if (popup && popup->PopupTarget() == this && popup->Menu() &&
            QApplication::activePopupWidget() == popup->Menu()) {
            return;
        }
    }
    EmitExited();
}

// An exit handler may open a dialog, which takes the focus from this field
// again; that second exit is the same commit and is not reported twice.
void TRichField::EmitExited() {
    if (m_emittingExited) return;
    m_emittingExited = true;
    QPointer<TRichField> self(this);
    emit Exited();
    if (self) m_emittingExited = false;
}

void TRichField::contextMenuEvent(QContextMenuEvent* event) {
    TEditPopup::ForField(this)->PopupEditMenu(this, event->globalPos());
    event->accept();
}

bool TRichField::canInsertFromMimeData(const QMimeData* source) const {
    return source && source->hasText() && !isReadOnly();
}

void TRichField::insertFromMimeData(const QMimeData* source) {
    if (!canInsertFromMimeData(source)) return;
    const QString pasted = source->text();
    // Nothing to paste leaves the field, and its selection, as they were.
    if (pasted.isEmpty()) return;
    const QString cleaned = QString::fromStdString(
        core::CleanPasteText(WithPlainLineEnds(pasted).toStdString(), PasteModeOf(m_mode)));
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.insertText(cleaned);
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}
