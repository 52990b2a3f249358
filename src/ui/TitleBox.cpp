#include "ui/TitleBox.h"

QString TitleBox::text() const
{
    return lineEdit() ? lineEdit()->text() : m_text;
}

void TitleBox::setText(const QString& text)
{
    if (lineEdit())
        lineEdit()->setText(text);
    else
        m_text = text;
}
