#pragma once

#include "core/Timer.h"
#include "ui/DeferredEditor.h"
#include "ui/NoteEditor.h"

// A card's content box: many lines, no wrapping, both scroll bars.
//
// Typing counts as unsaved until a save of it has landed in the store: a
// failed write leaves it unsaved, so it is tried again and never reloaded over.
//
// It gives back exactly the text it was given (lone CRs and CRLF pairs
// included): its engine keeps the bytes as they came, so a note is never
// rewritten merely by being shown and saved again. A line break the user
// types or pastes is the platform's. Once a note is in its engine, the box
// holds no other copy of it.
//
// Its editor is built at the first show, or ahead of it for a long note.
class ContentBox : public DeferredEditor
{
    Q_OBJECT
public:
    // From this many characters on, a note gets its editor ahead of the first
    // show, so that the first show is quick. It is built a moment after the
    // note was filled, not at once, so that a start hidden in the tray shows
    // its icon before it lays out long notes.
    static constexpr qsizetype editorAheadFrom = 64 * 1024;
    static constexpr int editorAheadAfterMs = 200;
    // A long note goes into its editor this many characters per turn of the
    // event loop (a few milliseconds each), one box after the other, so that
    // filling long notes never holds up the program for long. The box takes no
    // typing until the whole note is in; it finishes at once when it is
    // shown, searched or restored.
    static constexpr qsizetype fillPieceChars = 256 * 1024;

    explicit ContentBox(QWidget* parent = nullptr);
    ~ContentBox() override;

    // The text as shown now.
    QString text();
    // Holds no text; without taking it out of the engine.
    bool isEmpty() const;
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

    // A text taken for saving, and which state of the box it was. The text
    // comes either as it is (text) or as the engine's UTF-8 bytes (utf8),
    // which are quicker to take than to convert: the store converts them.
    struct Snapshot
    {
        QString text = {};
        QByteArray utf8 = {};
        bool asUtf8 = false;
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
    NoteEditor* editor() { return static_cast<NoteEditor*>(builtEditor()); }
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
    // The editor once built (set as it is made, before it is filled).
    NoteEditor* noteEditor() const { return m_engine; }
    void startFill(NoteEditor* editor);
    void fillPiece();
    void fillUpTo(qsizetype end);
    void waitForFillTurn();
    void leaveFillTurns();
    void onEdited();
    void showLoadedState();
    // Whether m_text is the whole note: before the editor is built, while
    // the note goes into it, and when it could not all go in.
    bool holdsText() const { return !noteEditor() || m_fillPending || m_fillFailed; }

    NoteEditor* m_engine = nullptr;
    QString m_text;
    bool m_fillPending = false; // part of m_text is still to go into the editor
    bool m_fillFailed = false;  // the engine could not take all of it
    bool m_fillBegun = false;   // the engine was emptied and has room for it
    qsizetype m_fillBytes = -1; // the note's length in UTF-8, once measured
    qsizetype m_filledTo = 0;   // how much of m_text it holds meanwhile
    Timer* m_nextPiece = nullptr;
    // Every edit raises the revision; a landed save records the revision it
    // took, so an edit made while a save was under way stays unsaved.
    quint64 m_revision = 0;
    quint64 m_savedRevision = 0;
    quint64 m_fill = 0;        // raised by every fill from the store
    bool m_userEdited = false; // typed into since the last fill or landed save
    bool m_loaded = true;
    Timer* m_buildAhead = nullptr;
};
