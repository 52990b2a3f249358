#pragma once

#include "ui/DeferredEditor.h"
#include "ui/NoteEditor.h"

#include <QTimer>

// A card's content box: many lines, no wrapping, both scroll bars.
//
// Typing counts as unsaved until a save of it has landed in the store: a
// failed write leaves it unsaved, so it is tried again and never reloaded over.
//
// It gives back exactly the text it was given (lone CRs and CRLF pairs
// included) while the user has not edited it, so that a note is never
// rewritten merely by being shown and saved again. Its editor keeps the text
// byte for byte too: after an edit, every line break outside the edited text
// keeps its form; one the user types or pastes is the platform's.
//
// A long note goes into the editor a piece per turn of the event loop, so
// the program never stops answering while it loads; until the last piece is
// in, the editor takes no typing, and the box hands out the whole text it was
// given, never the part shown so far.
//
// Its editor is built at the first show, or at once for a long note.
class ContentBox : public DeferredEditor
{
    Q_OBJECT
public:
    // From this many characters on, a note gets its editor at once, to be
    // filled while nobody waits: the first show stays quick.
    static constexpr qsizetype editorAtOnceFrom = 64 * 1024;
    // At most this many characters go into the editor per turn of the event
    // loop (a few milliseconds each).
    static constexpr qsizetype fillPiece = 512 * 1024;

    explicit ContentBox(QWidget* parent = nullptr);

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
    // The editor is still being filled with the box's text.
    bool isFilling() const { return m_fillAt >= 0; }

    // The editor showing the text; built on first call.
    NoteEditor* editor() { return static_cast<NoteEditor*>(builtEditor()); }

signals:
    // The editor's text changed (typing, or a refill of a built editor).
    void textChanged();
    // The editor shows the whole text it was last filled with.
    void filled();

protected:
    QWidget* createEditor() override;

private:
    // The editor once built (set before it is handed to the box).
    NoteEditor* noteEditor() const { return m_engine; }
    void startFill(NoteEditor* editor);
    void fillNextPiece();
    void finishFillNow();
    void onEdited();
    void showLoadedState();

    QString m_text; // as given or last taken
    // Every edit raises the revision; a landed save records the revision it
    // took, so an edit made while a save was under way stays unsaved.
    quint64 m_revision = 0;
    quint64 m_savedRevision = 0;
    quint64 m_textRevision = 0; // the revision m_text was taken at
    quint64 m_fill = 0;         // raised by every fill from the store
    bool m_userEdited = false;  // typed into since the last fill or landed save
    bool m_loaded = true;
    // Where the next piece of m_text goes into the editor; -1 when it holds
    // all of it.
    qsizetype m_fillAt = -1;
    // The editor could not take the whole text (no memory): it shows a part,
    // so it takes no typing; the box still hands out the whole text.
    bool m_fillFailed = false;
    QTimer m_pieces;
    NoteEditor* m_engine = nullptr;
};
