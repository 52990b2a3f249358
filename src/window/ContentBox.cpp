#include "window/ContentBox.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace {
const QString kToolTip = QStringLiteral("Hier können sie Ihre Daten einfügen  ");
}

ContentBox::ContentBox(QWidget* parent) : DeferredEditor(parent)
{
    setToolTip(kToolTip);
}

QWidget* ContentBox::createEditor()
{
    auto* e = new QPlainTextEdit(this);
    e->setLineWrapMode(QPlainTextEdit::NoWrap);
    e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    e->setTabChangesFocus(false);
    e->setToolTip(kToolTip);
    e->setPlainText(forDisplay(m_text));
    e->document()->setModified(false);
    connect(e, &QPlainTextEdit::textChanged, this, &ContentBox::textChanged);
    return e;
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

bool ContentBox::isModified() const
{
    return textEdit() && textEdit()->document()->isModified();
}

QString ContentBox::text()
{
    if (isModified()) {
        // Raw text keeps non-breaking spaces, which toPlainText() turns into
        // blanks; only its paragraph separators need turning into line ends.
        QTextDocument* document = textEdit()->document();
        QString shown = document->toRawText();
        shown.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        m_text = fromDisplay(shown);
        document->setModified(false);
    }
    return m_text;
}

void ContentBox::setText(const QString& text)
{
    QPlainTextEdit* e = textEdit();
    if (!e) {
        m_text = text;
        if (text.size() >= editorAtOnceFrom)
            editor();
        return;
    }
    // Restore and activation refill every box from the store each time the
    // window is shown. Rebuilding the document costs about a third of a second
    // per 10 MB, so a box that already shows exactly this text only gets what
    // a refill would change: the cursor and the view back at the start.
    if (!isModified() && text == m_text && !m_text.isNull()) {
        e->setTextCursor(QTextCursor(e->document()));
        e->horizontalScrollBar()->setValue(0);
        e->verticalScrollBar()->setValue(0);
        e->document()->clearUndoRedoStacks();
        return;
    }
    m_text = text;
    e->setPlainText(forDisplay(text));
    e->document()->setModified(false);
}
