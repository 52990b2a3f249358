#pragma once

#include <Qsci/qsciscintillabase.h>

#include <QByteArray>
#include <QString>

class QMenu;

// The text engine under a content box: the text kept as the bytes it was
// given (UTF-8, every line break as it came: CRLF, a lone CR, a lone LF), laid
// out only where it is seen, so that notes of many megabytes cost little more
// than their own size. It looks like a plain multi-line box: no margins, no
// wrapping, both scroll bars always on, the box's font and colours.
//
// Tab and Shift+Tab move the focus; Enter and a paste give the platform's
// line break.
class NoteEditor : public QsciScintillaBase
{
    Q_OBJECT
public:
    explicit NoteEditor(QWidget* parent = nullptr);

    // The whole text, converted from the engine's bytes.
    QString text() const;
    qsizetype byteLength() const;

    bool isReadOnly() const;
    void setReadOnly(bool readOnly);
    bool isUndoAvailable() const;

    // Filling from the store: begin() empties the engine and stops recording
    // undo steps, append() adds bytes, end() starts afresh with an empty undo
    // history and nothing modified. None of it counts as an edit. A fill that
    // did not get all its bytes in (no memory) leaves end() false.
    void beginFill();
    void appendFill(const QByteArray& bytes);
    bool endFill();

    // Replaces the whole text as one undo step, as typing would.
    void replaceAll(const QByteArray& bytes);

    // The cursor at the start, nothing selected, the view at the top left.
    void toStart();

    // The menu a plain box offers on a right click, in the user's language
    // (Qt's own texts): undo, redo, cut, copy, paste, delete, select all.
    QMenu* createStandardContextMenu();

    // Positions counted in UTF-16 units (as in a QString of the text): the
    // selection's, and selecting a range.
    qsizetype selectionStart() const;
    qsizetype selectionEnd() const;
    // Selects [from, to) and scrolls it into view.
    void selectShown(qsizetype from, qsizetype to);

signals:
    // The text changed by an edit (typing, a paste, undo, a replace), not by
    // a fill.
    void edited();

protected:
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void takeLookOfPlainBox();
    qsizetype unitsBefore(long position) const;
    long positionOf(qsizetype units) const;
    void onModified(int position, int type);

    bool m_filling = false;
};
