#pragma once

#include <QWidget>

// A box that holds its text itself and builds the editor showing it only when
// first needed: when the box is first shown, or when asked for the editor.
// Building any Qt text editor lays out text and so loads the fonts, which a
// program waiting hidden in the tray should not carry before anyone opens it.
// The editor fills the box and takes its focus.
class DeferredEditor : public QWidget
{
    Q_OBJECT
public:
    bool hasEditor() const { return m_editor != nullptr; }

protected:
    explicit DeferredEditor(QWidget* parent) : QWidget(parent) {}

    // The editor, built by createEditor() on the first call.
    QWidget* builtEditor();
    QWidget* editorIfBuilt() const { return m_editor; }
    // Makes the editor, filled with the box's text, as a child of this box.
    virtual QWidget* createEditor() = 0;

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* m_editor = nullptr;
};
