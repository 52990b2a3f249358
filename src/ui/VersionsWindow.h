#pragma once

#include <QDateTime>
#include <QDialog>
#include <QStringList>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

// "Frühere Fassungen": the earlier versions of one card's note, or of its
// title ("Notiz" / "Überschrift"), a preview of the chosen one and
// "Wiederherstellen", which asks to put it back into the card.
// It only shows what it is given; choosing a card or a version and pressing
// the button leave as signals. Not modal: the notes stay at hand beside it.
class VersionsWindow : public QDialog
{
    Q_OBJECT
public:
    // One row of the list.
    struct Entry
    {
        qint64 id = 0;
        QDateTime savedAt; // invalid when not known
        qsizetype length = 0;
        QString firstLine;
    };

    explicit VersionsWindow(QWidget* parent = nullptr);

    // The cards by their titles, in card order; the chosen card stays chosen.
    void setCards(const QStringList& titles);
    void setCurrentCard(int card);
    int currentCard() const;

    // Whether the list holds the card's title versions ("Überschrift")
    // rather than its note's ("Notiz", the choice at first).
    bool showsTitles() const;
    void setShowsTitles(bool titles);

    // Newest first; the first is chosen. An empty list says that nothing is
    // kept for the card.
    void setVersions(const std::vector<Entry>& versions);
    std::optional<qint64> currentVersion() const;
    // The chosen version's text, or nothing when it cannot be shown (then it
    // cannot be put back either).
    void setPreview(const std::optional<QString>& text);
    QString previewText() const;

    // A line under the preview: what went wrong, or what a restore did.
    void setStatus(const QString& text);
    QString status() const;

    // Shown, in front, with the keyboard.
    void present();

    // "09.12.2026 05:35:45" in local time; "1.234 Zeichen".
    static QString timeText(const QDateTime& savedAt);
    static QString lengthText(qsizetype length);

    QComboBox* cardBox() const { return m_cards; }
    QRadioButton* noteChoice() const { return m_notes; }
    QRadioButton* titleChoice() const { return m_titles; }
    QTreeWidget* list() const { return m_list; }
    QPlainTextEdit* preview() const { return m_preview; }
    QPushButton* restoreButton() const { return m_restore; }
    QPushButton* closeButton() const { return m_close; }

signals:
    void cardChosen(int card);
    // "Notiz" or "Überschrift" chosen.
    void kindChosen();
    void versionChosen(qint64 id);
    void restoreRequested();

private:
    QComboBox* m_cards;
    QRadioButton* m_notes;
    QRadioButton* m_titles;
    QTreeWidget* m_list;
    QLabel* m_empty;
    QPlainTextEdit* m_preview;
    QLabel* m_status;
    QPushButton* m_restore;
    QPushButton* m_close;
    // Set while the window fills itself: only the user's choices are told.
    bool m_filling = false;
};
