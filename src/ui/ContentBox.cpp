#include "ui/ContentBox.h"

#include "core/StepFailure.h"
#include "core/TextSearch.h"

namespace {
const QString kToolTip = QStringLiteral("Hier können sie Ihre Daten einfügen  ");

// How many characters from `at` make the next piece: never a surrogate pair
// or a CRLF pair cut in two.
qsizetype pieceLength(const QString& text, qsizetype at, qsizetype most)
{
    qsizetype n = qMin(most, text.size() - at);
    const qsizetype end = at + n;
    if (end < text.size() && n > 1 &&
        (text.at(end - 1).isHighSurrogate() ||
         (text.at(end - 1) == QLatin1Char('\r') && text.at(end) == QLatin1Char('\n'))))
        --n;
    return n;
}
} // namespace

ContentBox::ContentBox(QWidget* parent) : DeferredEditor(parent)
{
    setToolTip(kToolTip);
    m_pieces.setInterval(0);
    connect(&m_pieces, &QTimer::timeout, this, &ContentBox::fillNextPiece);
}

QWidget* ContentBox::createEditor()
{
    auto* e = new NoteEditor(this);
    m_engine = e;
    e->setToolTip(kToolTip);
    connect(e, &NoteEditor::edited, this, &ContentBox::onEdited);
    startFill(e);
    return e;
}

void ContentBox::startFill(NoteEditor* e)
{
    m_fillFailed = false;
    m_fillAt = 0;
    e->beginFill();
    showLoadedState();
    // A short note goes in at once; a long one a piece per turn.
    if (m_text.size() <= fillPiece) {
        fillNextPiece();
        return;
    }
    m_pieces.start();
}

void ContentBox::fillNextPiece()
{
    NoteEditor* e = noteEditor();
    if (!e || m_fillAt < 0) {
        m_pieces.stop();
        return;
    }
    const qsizetype n = pieceLength(m_text, m_fillAt, fillPiece);
    if (n > 0)
        e->appendFill(QStringView(m_text).mid(m_fillAt, n).toUtf8());
    m_fillAt += n;
    if (m_fillAt < m_text.size())
        return;
    m_pieces.stop();
    m_fillAt = -1;
    m_fillFailed = !e->endFill();
    showLoadedState();
    emit textChanged();
    emit filled();
}

void ContentBox::finishFillNow()
{
    while (isFilling())
        fillNextPiece();
}

void ContentBox::onEdited()
{
    ++m_revision;
    m_userEdited = true;
    emit textChanged();
}

QString ContentBox::text()
{
    // Edits are possible only once the editor holds the whole text.
    if (m_textRevision != m_revision) {
        m_text = noteEditor()->text();
        m_textRevision = m_revision;
    }
    return m_text;
}

ContentBox::Snapshot ContentBox::snapshot()
{
    return {text(), m_revision, m_fill, m_userEdited};
}

void ContentBox::markSaved(const Snapshot& saved)
{
    if (saved.fill != m_fill || saved.revision < m_savedRevision)
        return;
    m_savedRevision = saved.revision;
    if (saved.revision == m_revision)
        m_userEdited = false;
}

void ContentBox::markNotLoaded()
{
    m_loaded = false;
    showLoadedState();
}

void ContentBox::showLoadedState()
{
    if (NoteEditor* e = noteEditor())
        e->setReadOnly(!m_loaded || isFilling() || m_fillFailed);
}

void ContentBox::setText(const QString& text)
{
    // m_text is what the box shows only while nothing was edited since it
    // was last taken. Comparing a text with itself (the store hands back the
    // one it last gave while nobody else wrote) costs nothing.
    const bool showsText = m_textRevision == m_revision && text == m_text && !m_text.isNull();
    ++m_fill;
    m_savedRevision = m_textRevision = m_revision;
    m_userEdited = false;
    m_loaded = true;
    NoteEditor* e = noteEditor();
    if (!e) {
        m_text = text;
        if (text.size() >= editorAtOnceFrom)
            editor();
        return;
    }
    // Restore and activation refill every box from the store each time the
    // window is shown. A box that already shows (or is still filling with)
    // exactly this text only gets what a refill would change: the cursor and
    // the view back at the start, no undo.
    if (showsText) {
        showLoadedState();
        if (!isFilling()) {
            e->toStart();
            e->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
        }
        return;
    }
    m_text = text;
    startFill(e);
}

void ContentBox::replaceAsTyped(const QString& text)
{
    if (!m_loaded)
        throw StepFailure(QStringLiteral("%1 ist gesperrt, weil seine Notiz nicht gelesen werden konnte")
                              .arg(objectName()));
    NoteEditor* e = editor();
    // The step back from the replacement must lead to the whole text before.
    finishFillNow();
    const quint64 before = m_revision;
    e->setReadOnly(false);
    e->replaceAll(text.toUtf8());
    m_fillFailed = false;
    showLoadedState();
    if (m_revision == before) {
        // Nothing in the editor changed (the same text again): it still
        // counts as the user's, to be saved.
        ++m_revision;
        m_userEdited = true;
        emit textChanged();
    }
    // Handed out exactly as given.
    m_text = text;
    m_textRevision = m_revision;
    e->toStart();
}

bool ContentBox::findNext(const QString& needle, bool backward)
{
    NoteEditor* e = editor();
    finishFillNow();
    // The text counts positions as the editor does in UTF-16 units, and
    // folds case beyond ASCII, as the engine's own search does not.
    const QString all = text();
    const qsizetype found = TextSearch::next(all, needle, e->selectionStart(), e->selectionEnd(), backward);
    if (found < 0)
        return false;
    e->selectShown(found, found + needle.size());
    return true;
}
