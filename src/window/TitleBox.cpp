#include "window/TitleBox.h"

TitleBox::TitleBox(QWidget* parent) : QWidget(parent) {}

QLineEdit* TitleBox::editor()
{
    if (m_editor)
        return m_editor;
    auto* e = new QLineEdit(m_text, this);
    e->setObjectName(objectName() + QStringLiteral("_editor"));
    e->setGeometry(rect());
    m_editor = e;
    setFocusProxy(e);
    if (isVisible())
        e->show();
    return e;
}

QString TitleBox::text() const
{
    return m_editor ? m_editor->text() : m_text;
}

void TitleBox::setText(const QString& text)
{
    if (m_editor)
        m_editor->setText(text);
    else
        m_text = text;
}

void TitleBox::showEvent(QShowEvent*)
{
    editor()->show();
}

void TitleBox::resizeEvent(QResizeEvent*)
{
    if (m_editor)
        m_editor->setGeometry(rect());
}
