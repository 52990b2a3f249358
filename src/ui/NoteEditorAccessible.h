#pragma once

#include <QAccessibleWidget>
#include <QString>

class NoteEditor;

// What a screen reader finds in a note box: an editable multi-line text,
// named as the window names the box, its offsets in UTF-16 units as Qt's own
// text boxes report them. Every question costs a look-up in the engine plus
// the size of the answer, never a walk over the whole note: words, sentences
// and characters are found in the text around the offset within its line.
class NoteEditorAccessible : public QAccessibleWidget,
                             public QAccessibleTextInterface,
                             public QAccessibleEditableTextInterface
{
public:
    explicit NoteEditorAccessible(NoteEditor* editor);

    // Makes every NoteEditor answer with this interface. Called by each
    // editor once its engine is built, so that it comes after the engine's
    // own; installs only once.
    static void install();

    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // Text
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    using QAccessibleWidget::text;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                             int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                            int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // Editable text: refused while the box is read-only; each call is one
    // undo step and the box is told of it as of any edit.
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    // A stretch of the engine's text, in byte positions.
    struct Span
    {
        long start = -1;
        long end = -1;
        bool isNull() const { return start < 0; }
    };

    NoteEditor* editor() const;
    long byteLength() const;
    // The byte position of a UTF-16 offset (-1: the end); false for an
    // offset outside the text.
    bool toPosition(int offset, long* position) const;
    long positionAt(qsizetype offset) const;
    QString bytesAsText(long from, long to) const;
    // The start of the character the byte at `position` belongs to.
    long charStart(long position) const;
    Span lineHolding(long position) const;
    Span pieceHolding(long position, QAccessible::TextBoundaryType boundaryType) const;
    Span pieceAt(long position, QAccessible::TextBoundaryType boundaryType) const;
    QString answer(Span span, int* startOffset, int* endOffset) const;
    void replace(int startOffset, int endOffset, const QString& text);
};
