#pragma once

#include "ui/DeferredEditor.h"

#include <QLineEdit>

// A card's title box on its title panel; its line editor is built at the
// first show.
class TitleBox : public DeferredEditor
{
    Q_OBJECT
public:
    explicit TitleBox(QWidget* parent = nullptr) : DeferredEditor(parent) {}

    QString text() const;
    void setText(const QString& text);

    // The line editor showing the text; built on first call.
    QLineEdit* editor() { return static_cast<QLineEdit*>(builtEditor()); }

protected:
    QWidget* createEditor() override;

private:
    QLineEdit* lineEdit() const { return static_cast<QLineEdit*>(editorIfBuilt()); }
    QString m_text;
};
