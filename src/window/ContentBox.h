#pragma once

#include "window/DeferredEditor.h"

#include <QPlainTextEdit>

// A card's content box: many lines, no wrapping, both scroll bars.
//
// It gives back exactly the text it was given (lone CRs and CRLF pairs
// included) while the user has not edited it, so that a note is never
// rewritten merely by being shown and saved again. Once edited, line breaks
// are the platform's. The box follows each edit into a copy of the text as
// shown, so taking the text of a huge note after a keystroke costs no walk
// through its document.
//
// Its editor is built at the first show, or at once for a long note.
class ContentBox : public DeferredEditor
{
    Q_OBJECT
public:
    // From this many characters on, a note gets its editor at once: building
    // the document of a long note while nobody waits keeps the first show
    // quick. Shorter notes build in well under a millisecond.
    static constexpr qsizetype editorAtOnceFrom = 64 * 1024;

    explicit ContentBox(QWidget* parent = nullptr);

    QString text();
    void setText(const QString& text);
    // Edited since the text was last given or taken.
    bool isModified() const;

    // The editor showing the text; built on first call.
    QPlainTextEdit* editor() { return static_cast<QPlainTextEdit*>(builtEditor()); }

    // Text as shown: every kind of line break becomes one line end.
    static QString forDisplay(const QString& text);
    // Text as the user typed it: the document's line ends become the
    // platform's line break.
    static QString fromDisplay(const QString& shown);

signals:
    // The editor's text changed (typing, or a refill of a built editor).
    void textChanged();

protected:
    QWidget* createEditor() override;

private:
    QPlainTextEdit* textEdit() const { return static_cast<QPlainTextEdit*>(editorIfBuilt()); }
    void fill(QPlainTextEdit* editor, const QString& text);
    void follow(int from, int removed, int added);

    QString m_text;  // as given or last taken
    QString m_shown; // what the editor shows, line ends as '\n'
    bool m_filling = false;
};
