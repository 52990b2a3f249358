#include "ui/FindRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>

FindRow::FindRow(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("FindRow"));
    setAccessibleName(QStringLiteral("Suchen"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true); // opaque over the strip's lower edge

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("FindText"));
    m_edit->setAccessibleName(QStringLiteral("Suchen"));
    auto* label = new QLabel(QStringLiteral("Suchen:"), this);
    label->setBuddy(m_edit);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("FindStatus"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(label);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_status);

    connect(m_edit, &QLineEdit::returnPressed, this, &FindRow::nextRequested);
    connect(m_edit, &QLineEdit::textEdited, this, [this] { setNotFound(false); });
    // Only within the row: Escape in a title box still does nothing.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &FindRow::closeRequested);
}

QString FindRow::needle() const
{
    return m_edit->text();
}

void FindRow::setNotFound(bool notFound)
{
    m_status->setText(notFound ? QStringLiteral("Nicht gefunden") : QString());
}

QString FindRow::status() const
{
    return m_status->text();
}
