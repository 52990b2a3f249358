#pragma once

#include <Qsci/qsciscintillabase.h>

#include <QByteArray>
#include <QString>
#include <vector>

class QMenu;

// The text engine under a content box: the text kept as the bytes it was
// given (UTF-8, every line break as it came: CRLF, a lone CR, a lone LF), laid
// out only where it is seen, so that notes of many megabytes cost little more
// than their own size. It looks like a plain multi-line box: no margins, no
// wrapping, both scroll bars always on, the box's font and colours.
//
// Tab and Shift+Tab move the focus; Enter and a paste give the platform's
// line break.
//
// Positions in its interface are counted in UTF-16 units, as in a QString of
// the text; a record of where each line starts in those units makes turning
// them into the engine's byte positions cost a look-up, not a count from the
// start of a long note.
class NoteEditor : public QsciScintillaBase
{
    Q_OBJECT
public:
    explicit NoteEditor(QWidget* parent = nullptr);

    // The whole text, converted from the engine's bytes.
    QString text() const;
    // The engine's bytes, copied: cheaper to take than text() by half.
    QByteArray utf8() const;
    // Whether it holds exactly this text, compared without converting either.
    bool holds(QStringView text) const;
    qsizetype byteLength() const;
    // The length in UTF-16 units.
    qsizetype length() const;

    bool isReadOnly() const;
    void setReadOnly(bool readOnly);
    bool isUndoAvailable() const;

    // Filling from the store: beginFill() empties the engine, makes room
    // for `bytes` at once (growing piece by piece would copy the text each
    // time) and stops recording undo steps; appendFill() adds bytes at the
    // end; endFill() starts afresh with an empty undo history, the cursor and
    // view at the start. None of it counts as an edit. A fill that did not get
    // all its bytes in (no memory) leaves endFill() false.
    void beginFill(qsizetype bytes);
    void appendFill(const QByteArray& bytes);
    bool endFill();

    // Replaces the whole text as one undo step, as typing would.
    void replaceAll(const QByteArray& bytes);

    // The cursor at the start, nothing selected, the view at the top left.
    void toStart();

    // The menu a plain box offers on a right click, in the user's language
    // (Qt's own texts): undo, redo, cut, copy, paste, delete, select all.
    QMenu* createStandardContextMenu();

    qsizetype selectionStart() const;
    qsizetype selectionEnd() const;
    qsizetype cursorPosition() const;
    // Selects [from, to) and scrolls it into view; the cursor ends at `to`.
    void selectShown(qsizetype from, qsizetype to);

    // The engine's bytes between two positions, copied out.
    QByteArray bytesBetween(long from, long to) const;

    // Between UTF-16 offsets and the engine's byte positions: a look-up of
    // the line, then a count within it. An offset inside a character (between
    // the halves of a surrogate pair) gives that character's start.
    qsizetype unitsBefore(qsizetype position) const;
    qsizetype positionOf(qsizetype units) const;

    // Whatever edits happened since the last call are told now (edited()).
    // Called after every event; callers that change the text through the
    // engine's messages directly call it themselves.
    void tellEdits();

signals:
    // The text changed by an edit (typing, a paste, undo, a replace), not by
    // a fill. Told once the edit is done.
    void edited();

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void takeLookOfPlainBox();
    void beforeChange(qsizetype position, int type, const char* text, qsizetype length);
    bool breakWouldJoinLoneCr(const QString& text) const;
    void insertAfterLoneCr(const QString& text);
    bool pasteAfterLoneCr();
    void afterUpdate(int updated);
    void readPendingInsert();

    bool m_filling = false;
    bool m_editPending = false;
    bool m_tellQueued = false;
    // What a screen reader is told once an edit is done, gathered while the
    // engine announces it: the offset, what went, what came.
    struct Change
    {
        qsizetype offset;
        QString removed;
        QString inserted;
        // Where the bytes of an insertion not read yet are.
        qsizetype insertAt = -1;
        qsizetype insertBytes = 0;
    };
    std::vector<Change> m_changes;
    qsizetype m_toldCursor = -1;
};
