#include "ui/DeferredEditor.h"

QWidget* DeferredEditor::builtEditor()
{
    if (m_editor)
        return m_editor;
    m_editor = createEditor();
    m_editor->setObjectName(objectName() + QStringLiteral("_editor"));
    m_editor->setGeometry(rect());
    setFocusProxy(m_editor);
    // A child made while the box is hidden shows with it; one made later
    // must be shown by hand.
    if (isVisible())
        m_editor->show();
    return m_editor;
}

void DeferredEditor::showEvent(QShowEvent*)
{
    builtEditor()->show();
}

void DeferredEditor::resizeEvent(QResizeEvent*)
{
    if (m_editor)
        m_editor->setGeometry(rect());
}
