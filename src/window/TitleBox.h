#pragma once

#include <QLineEdit>
#include <QWidget>

// A card's title box on its title panel. Like the content box it holds its
// text itself and builds its line editor only when first needed (the window
// is first shown), so that a program waiting hidden in the tray loads no fonts.
class TitleBox : public QWidget
{
    Q_OBJECT
public:
    explicit TitleBox(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

    // The line editor showing the text; built on first call.
    QLineEdit* editor();
    bool hasEditor() const { return m_editor != nullptr; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QLineEdit* m_editor = nullptr;
    QString m_text;
};
