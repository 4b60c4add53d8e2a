#include "ui/EditPopup.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTextCursor>
#include <QTextDocument>

#include "ui/TextField.h"

TEditPopup::TEditPopup(QWidget* window) : QObject(window) {
    setObjectName(QStringLiteral("TEditPopup"));
    m_menu = new QMenu(window);
    m_ownsMenu = window == nullptr;
    m_menu->setObjectName(QStringLiteral("pumEdit"));

    const auto addEntry = [this](const char* name, const QString& text, void (TEditPopup::*handler)()) {
        QAction* action = m_menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    mnuUndo = addEntry("mnuUndo", QStringLiteral("Undo"), &TEditPopup::mnuUndoClick);
    m_menu->addSeparator();
    mnuCut = addEntry("mnuCut", QStringLiteral("Cut"), &TEditPopup::mnuCutClick);
    mnuCopy = addEntry("mnuCopy", QStringLiteral("Copy"), &TEditPopup::mnuCopyClick);
    mnuPaste = addEntry("mnuPaste", QStringLiteral("Paste"), &TEditPopup::mnuPasteClick);
    mnuDelete = addEntry("mnuDelete", QStringLiteral("Delete"), &TEditPopup::mnuDeleteClick);
    m_menu->addSeparator();
    mnuSelectAll = addEntry("mnuSelectAll", QStringLiteral("Select All"), &TEditPopup::mnuSelectAllClick);

    connect(m_menu, &QMenu::aboutToShow, this, &TEditPopup::UpdateEnabling);
}

TEditPopup::~TEditPopup() {
    if (m_ownsMenu) delete m_menu;
}

TEditPopup* TEditPopup::OfWindow(const QWidget* window) {
    // Direct children only: a dialog owned by this window has its own pop-up.
    return window ? window->findChild<TEditPopup*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

// A pop-up made here belongs to the field's window and goes with it, so it
// never outlives the widgets it acts on.
TEditPopup* TEditPopup::ForField(TRichField* field) {
    QWidget* window = field->window();
    if (TEditPopup* popup = OfWindow(window)) return popup;
    return new TEditPopup(window);
}

void TEditPopup::SetPopupTarget(TRichField* target) {
    m_target = target;
}

void TEditPopup::PopupEditMenu(TRichField* target, const QPoint& globalPos) {
    m_target = target;
    if (m_menu) m_menu->popup(globalPos);
}

void TEditPopup::UpdateEnabling() {
    if (!m_menu) return;
    const TRichField* target = m_target;
    const bool editable = target && !target->isReadOnly();
    const bool selection = target && target->textCursor().hasSelection();
    mnuUndo->setEnabled(editable && target->document()->isUndoAvailable());
    mnuCut->setEnabled(editable && selection);
    mnuCopy->setEnabled(selection);
    mnuDelete->setEnabled(editable && selection);
    mnuSelectAll->setEnabled(target && !target->document()->isEmpty());
    mnuPaste->setEnabled(editable && !QApplication::clipboard()->text().isEmpty());
}

TRichField* TEditPopup::FocusTarget() {
    if (m_target) m_target->setFocus(Qt::OtherFocusReason);
    return m_target;
}

void TEditPopup::mnuUndoClick() {
    if (TRichField* target = FocusTarget()) target->undo();
}

void TEditPopup::mnuCutClick() {
    if (TRichField* target = FocusTarget()) target->cut();
}

void TEditPopup::mnuCopyClick() {
    if (TRichField* target = FocusTarget()) target->copy();
}

// The field cleans what it is given, whichever way the paste arrives.
void TEditPopup::mnuPasteClick() {
    TRichField* target = FocusTarget();
    if (target && !target->isReadOnly()) target->paste();
}

void TEditPopup::mnuDeleteClick() {
    TRichField* target = FocusTarget();
    if (!target || target->isReadOnly()) return;
    QTextCursor cursor = target->textCursor();
    cursor.removeSelectedText();
    target->setTextCursor(cursor);
}

void TEditPopup::mnuSelectAllClick() {
    if (TRichField* target = FocusTarget()) target->selectAll();
}
