#pragma once

#include <QPlainTextEdit>

// A card's content box: many lines, no wrapping, both scroll bars.
//
// It gives back exactly the text it was given (lone CRs and CRLF pairs
// included) while the user has not edited it, so that a note is never
// rewritten merely by being shown and saved again. Once edited, line breaks
// are the platform's. The text handed out is kept, so asking again without
// an edit in between costs nothing.
class ContentBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit ContentBox(QWidget* parent = nullptr);

    QString text();
    void setText(const QString& text);

    // Text as shown: every kind of line break becomes one line end.
    static QString forDisplay(const QString& text);
    // Text as the user typed it: the document's line ends become the
    // platform's line break.
    static QString fromDisplay(const QString& shown);

private:
    QString m_text;
};
