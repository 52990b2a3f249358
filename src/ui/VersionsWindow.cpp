#include "ui/VersionsWindow.h"

#include "core/LineBreaks.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kIdRole = Qt::UserRole;

QLabel* buddyLabel(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

// A window of its own, not a dialog: a dialog without a parent is made
// transient for the program as a whole, and window managers then keep it off
// the task bar and above the notes.
VersionsWindow::VersionsWindow(QWidget* parent) : QDialog(parent, Qt::Window)
{
    setObjectName(QStringLiteral("VersionsWindow"));
    setWindowTitle(QStringLiteral("Frühere Fassungen"));

    m_cards = new QComboBox(this);
    m_cards->setObjectName(QStringLiteral("VersionsCard"));

    // Titles are kept as versions too; the list shows one kind at a time.
    m_notes = new QRadioButton(QStringLiteral("Notiz"), this);
    m_notes->setObjectName(QStringLiteral("VersionsOfNote"));
    m_notes->setChecked(true);
    m_titles = new QRadioButton(QStringLiteral("Überschrift"), this);
    m_titles->setObjectName(QStringLiteral("VersionsOfTitle"));

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("VersionsList"));
    m_list->setAccessibleName(QStringLiteral("Frühere Fassungen der Karte"));
    m_list->setHeaderLabels(
        {QStringLiteral("Gespeichert"), QStringLiteral("Größe"), QStringLiteral("Erste Zeile")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(true);

    m_empty = new QLabel(QStringLiteral("Für diese Karte ist noch keine frühere Fassung aufbewahrt."), this);
    m_empty->setObjectName(QStringLiteral("VersionsEmpty"));
    m_empty->setWordWrap(true);
    m_empty->hide();

    m_preview = new QPlainTextEdit(this);
    m_preview->setObjectName(QStringLiteral("VersionsPreview"));
    m_preview->setAccessibleName(QStringLiteral("Vorschau der Fassung"));
    m_preview->setReadOnly(true);
    // Read only, yet to be read and selected from the keyboard.
    m_preview->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_preview->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_preview->setTabChangesFocus(true);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("VersionsStatus"));
    m_status->setWordWrap(true);
    m_status->hide();

    m_restore = new QPushButton(QStringLiteral("&Wiederherstellen"), this);
    m_restore->setObjectName(QStringLiteral("VersionsRestore"));
    m_close = new QPushButton(QStringLiteral("Schließen"), this);
    m_close->setObjectName(QStringLiteral("VersionsClose"));
    // Enter in the list must not put a version into a card by surprise.
    for (QPushButton* b : {m_restore, m_close}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    m_restore->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_restore);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    auto* cardRow = new QHBoxLayout;
    cardRow->addWidget(buddyLabel(QStringLiteral("&Karte:"), m_cards, this));
    cardRow->addWidget(m_cards, 1);
    cardRow->addWidget(m_notes);
    cardRow->addWidget(m_titles);
    layout->addLayout(cardRow);
    layout->addWidget(buddyLabel(QStringLiteral("&Fassungen:"), m_list, this));
    layout->addWidget(m_list, 2);
    layout->addWidget(m_empty);
    layout->addWidget(buddyLabel(QStringLiteral("&Vorschau:"), m_preview, this));
    layout->addWidget(m_preview, 3);
    layout->addWidget(m_status);
    layout->addLayout(buttons);

    QWidget::setTabOrder(m_cards, m_notes);
    QWidget::setTabOrder(m_notes, m_titles);
    QWidget::setTabOrder(m_titles, m_list);
    QWidget::setTabOrder(m_list, m_preview);
    QWidget::setTabOrder(m_preview, m_restore);
    QWidget::setTabOrder(m_restore, m_close);
    resize(640, 480);

    connect(m_cards, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling && index >= 0)
            emit cardChosen(index);
    });
    connect(m_titles, &QRadioButton::toggled, this, [this] {
        if (!m_filling)
            emit kindChosen();
    });
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!m_filling && item)
            emit versionChosen(item->data(0, kIdRole).toLongLong());
    });
    connect(m_restore, &QPushButton::clicked, this, &VersionsWindow::restoreRequested);
    connect(m_close, &QPushButton::clicked, this, &VersionsWindow::close);
}

void VersionsWindow::setCards(const QStringList& titles)
{
    const int chosen = m_cards->currentIndex();
    m_filling = true;
    m_cards->clear();
    m_cards->addItems(titles);
    m_cards->setCurrentIndex(chosen >= 0 && chosen < titles.size() ? chosen : 0);
    m_filling = false;
}

void VersionsWindow::setCurrentCard(int card)
{
    m_filling = true;
    m_cards->setCurrentIndex(card);
    m_filling = false;
}

int VersionsWindow::currentCard() const
{
    return m_cards->currentIndex();
}

bool VersionsWindow::showsTitles() const
{
    return m_titles->isChecked();
}

void VersionsWindow::setShowsTitles(bool titles)
{
    m_filling = true;
    (titles ? m_titles : m_notes)->setChecked(true);
    m_filling = false;
}

void VersionsWindow::setVersions(const std::vector<Entry>& versions)
{
    // Up to its first line break, whatever its kind.
    static const QRegularExpression lineBreak(QStringLiteral("[\\r\\n]"));
    m_filling = true;
    m_list->clear();
    QList<QTreeWidgetItem*> rows;
    for (const Entry& v : versions) {
        const QString firstLine = v.firstLine.section(lineBreak, 0, 0);
        auto* row = new QTreeWidgetItem({timeText(v.savedAt), lengthText(v.length), firstLine});
        row->setData(0, kIdRole, v.id);
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        rows << row;
    }
    m_list->addTopLevelItems(rows);
    if (!rows.isEmpty())
        m_list->setCurrentItem(rows.constFirst());
    m_filling = false;
    m_empty->setVisible(rows.isEmpty());
    setPreview(std::nullopt);
}

std::optional<qint64> VersionsWindow::currentVersion() const
{
    const QTreeWidgetItem* item = m_list->currentItem();
    if (!item)
        return std::nullopt;
    return item->data(0, kIdRole).toLongLong();
}

void VersionsWindow::setPreview(const std::optional<QString>& text)
{
    m_preview->setPlainText(text ? LineBreaks::forDisplay(*text) : QString());
    m_restore->setEnabled(text.has_value() && currentVersion().has_value());
}

QString VersionsWindow::previewText() const
{
    return m_preview->toPlainText();
}

void VersionsWindow::setStatus(const QString& text)
{
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
}

QString VersionsWindow::status() const
{
    return m_status->text();
}

void VersionsWindow::present()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

QString VersionsWindow::timeText(const QDateTime& savedAt)
{
    if (!savedAt.isValid())
        return QStringLiteral("Zeitpunkt unbekannt");
    return savedAt.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString VersionsWindow::lengthText(qsizetype length)
{
    return QLocale(QLocale::German, QLocale::Germany).toString(qint64(length)) + QStringLiteral(" Zeichen");
}
