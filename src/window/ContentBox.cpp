#include "window/ContentBox.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace {
const QString kToolTip = QStringLiteral("Hier können sie Ihre Daten einfügen  ");
}

ContentBox::ContentBox(QWidget* parent) : QWidget(parent)
{
    setToolTip(kToolTip);
}

QPlainTextEdit* ContentBox::editor()
{
    if (m_editor)
        return m_editor;
    auto* e = new QPlainTextEdit(this);
    e->setObjectName(objectName() + QStringLiteral("_editor"));
    e->setLineWrapMode(QPlainTextEdit::NoWrap);
    e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    e->setTabChangesFocus(false);
    e->setToolTip(kToolTip);
    e->setPlainText(forDisplay(m_text));
    e->document()->setModified(false);
    e->setGeometry(rect());
    m_editor = e;
    setFocusProxy(e);
    connect(e, &QPlainTextEdit::textChanged, this, &ContentBox::textChanged);
    if (isVisible())
        e->show();
    return e;
}

void ContentBox::showEvent(QShowEvent*)
{
    editor()->show();
}

void ContentBox::resizeEvent(QResizeEvent*)
{
    if (m_editor)
        m_editor->setGeometry(rect());
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
    return m_editor && m_editor->document()->isModified();
}

QString ContentBox::text()
{
    if (isModified()) {
        // Raw text keeps non-breaking spaces, which toPlainText() turns into
        // blanks; only its paragraph separators need turning into line ends.
        QString shown = m_editor->document()->toRawText();
        shown.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        m_text = fromDisplay(shown);
        m_editor->document()->setModified(false);
    }
    return m_text;
}

void ContentBox::setText(const QString& text)
{
    if (!m_editor) {
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
        m_editor->setTextCursor(QTextCursor(m_editor->document()));
        m_editor->horizontalScrollBar()->setValue(0);
        m_editor->verticalScrollBar()->setValue(0);
        m_editor->document()->clearUndoRedoStacks();
        return;
    }
    m_text = text;
    m_editor->setPlainText(forDisplay(text));
    m_editor->document()->setModified(false);
}
