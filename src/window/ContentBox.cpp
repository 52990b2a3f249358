#include "window/ContentBox.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

ContentBox::ContentBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);
    setToolTip(QStringLiteral("Hier können sie Ihre Daten einfügen  "));
}

QString ContentBox::forDisplay(const QString& text)
{
    if (!text.contains(QLatin1Char('\r')))
        return text;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QString ContentBox::fromDisplay(const QString& shown)
{
#ifdef Q_OS_WIN
    QString text = shown;
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
#else
    return shown;
#endif
}

QString ContentBox::text()
{
    if (document()->isModified()) {
        // Raw text keeps non-breaking spaces, which toPlainText() turns into
        // blanks; only its paragraph separators need turning into line ends.
        QString shown = document()->toRawText();
        shown.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        m_text = fromDisplay(shown);
        document()->setModified(false);
    }
    return m_text;
}

void ContentBox::setText(const QString& text)
{
    // Restore and activation refill every box from the store each time the
    // window is shown. Rebuilding the document costs about a third of a second
    // per 10 MB, so a box that already shows exactly this text only gets what
    // a refill would change: the cursor and the view back at the start.
    if (!document()->isModified() && text == m_text && !m_text.isNull()) {
        setTextCursor(QTextCursor(document()));
        horizontalScrollBar()->setValue(0);
        verticalScrollBar()->setValue(0);
        document()->clearUndoRedoStacks();
        return;
    }
    m_text = text;
    setPlainText(forDisplay(text));
    document()->setModified(false);
}
