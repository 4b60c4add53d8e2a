#pragma once
// The text field of every window: plain text, pastes cleaned of HTML break
// tags and raw line ends as they land, Enter committing a single-line field,
// and a right click opening the window's edit pop-up on the field.

#include <QString>
#include <QTextEdit>

class QContextMenuEvent;
class QEvent;
class QFocusEvent;
class QKeyEvent;
class QMimeData;

// How a field keeps line breaks.
enum class FieldMode {
    SingleLine,           // one line high; a pasted line break becomes a blank
    MultiLineHtmlBreaks,  // descriptions: every line break is "<br>" CR LF
    MultiLine,            // line breaks are CR LF
};

// A field of a window's editor. Every paste (keys, pop-up, Edit menu, drag and
// drop, middle click) goes through insertFromMimeData, which cleans the text
// for the field's mode and puts it in place of the selection as one undo step;
// no paste key has to be watched and no drawing has to be held back.
class TRichField : public QTextEdit {
    Q_OBJECT

public:
    explicit TRichField(QWidget* parent = nullptr);

    FieldMode Mode() const { return m_mode; }
    // Switches look and behaviour: one line high without wrapping and scroll
    // bars for SingleLine, word wrap and a vertical scroll bar otherwise.
    void SetMode(FieldMode mode);

    // The field's text with CR LF between lines. While the field shows what
    // SetText put there (unedited, or edited back to it), the text given to
    // SetText, line ends included, so showing a value never alters it.
    QString Text() const;
    // Shows `text` (lines split at CR LF, LF or CR) as it is, line breaks in a
    // single-line field included; the undo history is cleared and the field
    // counts as unmodified.
    void SetText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The field is to be written into the model: it lost the focus (except to
    // its own edit pop-up), or Enter was pressed in a single-line field.
    void Exited();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    QString ShownLines() const;
    int OneLineHeight() const;
    void ApplyHeight();
    void InsertLineBreak();
    void EmitExited();

    FieldMode m_mode = FieldMode::SingleLine;
    QString m_setText;       // as given to SetText
    QString m_setTextShown;  // how the field shows it, as ShownLines reads it
    int m_fixedHeight = 0;   // the height this field fixed for itself, or 0
    bool m_emittingExited = false;
};
