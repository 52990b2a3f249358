#pragma once

#include <QFrame>

class QLabel;
class QLineEdit;

// The find row at the bottom of the window: "Suchen:" with its line edit,
// and "Nicht gefunden" beside it when a search found nothing. It only shows;
// Enter and Escape in it leave as signals.
class FindRow : public QFrame
{
    Q_OBJECT
public:
    explicit FindRow(QWidget* parent = nullptr);

    QLineEdit* edit() const { return m_edit; }
    QString needle() const;

    // Shows or clears "Nicht gefunden"; changing the text clears it too.
    void setNotFound(bool notFound);
    QString status() const;

signals:
    // Enter in the line edit.
    void nextRequested();
    // Escape anywhere in the row.
    void closeRequested();

private:
    QLineEdit* m_edit;
    QLabel* m_status;
};
