#pragma once

#include "core/KeptLineBreaks.h"
#include "core/Timer.h"
#include "ui/DeferredEditor.h"

#include <QPlainTextEdit>
#include <optional>

// A card's content box: many lines, no wrapping, both scroll bars.
//
// Typing counts as unsaved until a save of it has landed in the store: a
// failed write leaves it unsaved, so it is tried again and never reloaded over.
//
// It gives back exactly the text it was given (lone CRs and CRLF pairs
// included) while the user has not edited it, so that a note is never
// rewritten merely by being shown and saved again. After an edit, every line
// break outside the edited text keeps its form; one the user types or pastes
// is the platform's. The box follows each edit into a copy of the text as
// shown, so taking the text of a huge note after a keystroke costs no walk
// through its document.
//
// Its editor is built at the first show, or at once for a long note.
class ContentBox : public DeferredEditor
{
    Q_OBJECT
public:
    // From this many characters on, a note gets its editor ahead of the first
    // show: building the document of a long note while nobody waits keeps
    // the first show quick. Shorter notes build in well under a millisecond.
    // It is built a moment after the note was filled, not at once, so that a
    // start hidden in the tray shows its icon before it lays out long notes.
    static constexpr qsizetype editorAheadFrom = 64 * 1024;
    static constexpr int editorAheadAfterMs = 200;
    // A long note goes into its editor this many characters per turn of the
    // event loop (about 6 ms each), one box after the other, so that laying
    // out long notes never holds up the program for long. The box takes no
    // typing until the whole note is in; it finishes at once when it is
    // shown, searched or restored.
    static constexpr qsizetype fillPieceChars = 64 * 1024;

    explicit ContentBox(QWidget* parent = nullptr);
    ~ContentBox() override;

    // The text as shown now.
    QString text();
    // Fills the box with a stored text: nothing in it counts as unsaved, and
    // the note counts as loaded.
    void setText(const QString& text);
    // Replaces the whole text as the user would: one step for the editor's
    // undo, and unsaved and typed until a save of it lands, so that it wins
    // over another program's change. Its line breaks stay as given, byte for
    // byte. Throws StepFailure for a note that is not loaded.
    void replaceAsTyped(const QString& text);

    // Selects the next (or, backward, the previous) occurrence of needle after (before) the current
    // selection, wrapping around at the end (start); not case-sensitive. Returns false, leaving the
    // selection as it is, when the note holds none.
    bool findNext(const QString& needle, bool backward);

    // A text taken for saving, and which state of the box it was.
    struct Snapshot
    {
        QString text;
        quint64 revision = 0;
        quint64 fill = 0;
        bool userEdited = false;
    };
    Snapshot snapshot();
    // The snapshot's text is on disk: the box counts as saved up to it, unless
    // it was filled anew since or a later save already landed.
    void markSaved(const Snapshot& saved);
    // Holds edits that have not yet landed in the store.
    bool isModified() const { return m_revision != m_savedRevision; }

    // A note whose stored text could not be read must never be written over,
    // so until it is read the box takes no typing and is left out of saves.
    void markNotLoaded();
    bool isLoaded() const { return m_loaded; }

    // The editor showing the text; built on first call. While a long note
    // is still going into it, it holds only the note's beginning.
    QPlainTextEdit* editor() { return static_cast<QPlainTextEdit*>(builtEditor()); }
    // Part of the note is still to go into the built editor.
    bool isFilling() const { return m_fillPending; }
    // Puts the rest of the note into the editor now.
    void finishFill();

signals:
    // The editor's text changed (typing, or a refill of a built editor).
    void textChanged();

protected:
    QWidget* createEditor() override;
    void showEvent(QShowEvent* event) override;

private:
    QPlainTextEdit* textEdit() const { return static_cast<QPlainTextEdit*>(editorIfBuilt()); }
    void fill(QPlainTextEdit* editor, const QString& text);
    void fillPiece();
    void fillUpTo(qsizetype end);
    void waitForFillTurn();
    void leaveFillTurns();
    void appendToEditor(QPlainTextEdit* editor, qsizetype end);
    void follow(int from, int removed, int added);

    void showLoadedState(QPlainTextEdit* editor);

    // The text as given or last taken. When that is the shown text itself
    // (a note with LF breaks only), m_text is left empty and m_shown stands
    // for it: the box holding a second reference would make the next key
    // copy the whole note.
    const QString& keptText() const { return m_textIsShown ? m_shown : m_text; }
    QString m_text;
    bool m_textIsShown = false;
    QString m_shown;         // what the editor shows, line ends as '\n'
    // The latest edit, not yet made to m_shown: typing on at its end, or
    // taking back what it typed, grows or shrinks it instead of moving the
    // rest of the note at every key. It is made when the text is needed.
    struct Edit
    {
        qsizetype from = 0;
        qsizetype removed = 0;
        QString inserted;
    };
    std::optional<Edit> m_edit;
    bool joinEdit(qsizetype from, qsizetype removed, const QString& inserted);
    void makeEdit();
    qsizetype shownLength() const;
    KeptLineBreaks m_breaks; // the form each of them has in the note
    bool m_filling = false;
    bool m_fillPending = false; // part of m_shown is still to go into the editor
    qsizetype m_filledTo = 0;   // how much of m_shown it holds meanwhile
    Timer* m_nextPiece = nullptr;
    // Every edit raises the revision; a landed save records the revision it
    // took, so an edit made while a save was under way stays unsaved.
    quint64 m_revision = 0;
    quint64 m_savedRevision = 0;
    quint64 m_textRevision = 0; // the revision m_text was taken at
    quint64 m_fill = 0;         // raised by every fill from the store
    bool m_userEdited = false;  // typed into since the last fill or landed save
    bool m_loaded = true;
    Timer* m_buildAhead = nullptr;
};
