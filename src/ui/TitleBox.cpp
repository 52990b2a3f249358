#include "ui/TitleBox.h"

#include <limits>

QWidget* TitleBox::createEditor()
{
    auto* edit = new QLineEdit(this);
    // A line editor cuts at 32,767 characters unless told otherwise, and "OK"
    // would store the cut title: a title, like a note, has no limit.
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setText(m_text);
    return edit;
}

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
