#pragma once
// The edit pop-up of a window's text fields: Undo, Cut, Copy, Paste, Delete
// and Select All, acting on the field that was right-clicked.

#include <QMenu>
#include <QObject>
#include <QPointer>

#include "ui/TextField.h"

class QAction;
class QPoint;
class QWidget;

// One per window, created with the window as parent; its menu "pumEdit" is a
// child of the window too, so a skin applied to the window reaches it.
class TEditPopup : public QObject {
    Q_OBJECT

public:
    explicit TEditPopup(QWidget* window);
    ~TEditPopup() override;

    // The pop-up of `field`'s window; a window that has none gets one.
    static TEditPopup* ForField(TRichField* field);
    // The pop-up `window` holds, or nullptr.
    static TEditPopup* OfWindow(const QWidget* window);

    QMenu* Menu() const { return m_menu; }
    // The field the entries act on, or nullptr (none yet, or deleted).
    TRichField* PopupTarget() const { return m_target; }
    void SetPopupTarget(TRichField* target);

    // Makes `target` the PopupTarget, sets the entries' enabling and shows the
    // menu at `globalPos` without waiting for a choice.
    void PopupEditMenu(TRichField* target, const QPoint& globalPos);
    // Enables the entries for the PopupTarget and the clipboard; all disabled
    // without a target. Runs each time the menu is about to show.
    void UpdateEnabling();

public slots:
    void mnuUndoClick();
    void mnuCutClick();
    void mnuCopyClick();
    void mnuPasteClick();
    void mnuDeleteClick();
    void mnuSelectAllClick();

private:
    // The PopupTarget after giving it the focus, or nullptr when there is none.
    TRichField* FocusTarget();

    QPointer<TRichField> m_target;
    QPointer<QMenu> m_menu;
    bool m_ownsMenu = false;
    QAction* mnuUndo = nullptr;
    QAction* mnuCut = nullptr;
    QAction* mnuCopy = nullptr;
    QAction* mnuPaste = nullptr;
    QAction* mnuDelete = nullptr;
    QAction* mnuSelectAll = nullptr;
};
