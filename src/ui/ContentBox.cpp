#include "ui/ContentBox.h"

#include "core/Clock.h"
#include "core/StepFailure.h"
#include "core/TextSearch.h"

namespace {
const QString kToolTip = QStringLiteral("Hier können sie Ihre Daten einfügen  ");

// The boxes whose long notes are going into their editors, the first filled
// first: one piece of one of them per turn, so that three long notes never
// add up to one long wait.
QList<ContentBox*>& fillTurns()
{
    static QList<ContentBox*> boxes;
    return boxes;
}
// The length of text in UTF-8, as QString::toUtf8 writes it: one byte per
// unit, one more from U+0080 and another from U+0800, and a surrogate pair
// four bytes, not six (a lone surrogate becomes a replacement character of
// three). Branch-free, so that a 10 MB note is measured in a millisecond.
qsizetype utf8Length(QStringView text)
{
    const char16_t* units = text.utf16();
    const qsizetype n = text.size();
    qsizetype bytes = n;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = units[i];
        const bool pair = c >= 0xd800 && c < 0xdc00 && i + 1 < n && units[i + 1] >= 0xdc00 && units[i + 1] < 0xe000;
        bytes += qsizetype(c >= 0x80) + qsizetype(c >= 0x800) - 2 * qsizetype(pair);
    }
    return bytes;
}
} // namespace

ContentBox::ContentBox(QWidget* parent) : DeferredEditor(parent)
{
    setToolTip(kToolTip);
}

ContentBox::~ContentBox()
{
    leaveFillTurns();
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

void ContentBox::startFill(NoteEditor*)
{
    m_fillFailed = false;
    m_filledTo = 0;
    m_fillPending = true;
    m_fillBegun = false;
    m_fillBytes = -1;
    // A long note goes into a hidden box a piece per turn, the room for it
    // made in a turn of its own; a box on screen shows the whole note at
    // once.
    if (m_text.size() > fillPieceChars && !isVisible()) {
        showLoadedState();
        waitForFillTurn();
        return;
    }
    fillUpTo(m_text.size());
}

void ContentBox::waitForFillTurn()
{
    if (!m_nextPiece) {
        m_nextPiece = Clock::current().singleShotTimer(this);
        connect(m_nextPiece, &Timer::timeout, this, &ContentBox::fillPiece);
    }
    if (!fillTurns().contains(this))
        fillTurns().append(this);
    if (fillTurns().first() == this)
        m_nextPiece->start(0);
}

void ContentBox::leaveFillTurns()
{
    QList<ContentBox*>& turns = fillTurns();
    const bool hadTheTurn = !turns.isEmpty() && turns.first() == this;
    turns.removeAll(this);
    if (m_nextPiece)
        m_nextPiece->stop();
    if (hadTheTurn && !turns.isEmpty())
        turns.first()->m_nextPiece->start(0);
}

void ContentBox::fillPiece()
{
    if (!noteEditor()) {
        editor(); // which waits for the next turn to fill
        return;
    }
    if (!m_fillPending) {
        leaveFillTurns();
        return;
    }
    if (m_fillBytes < 0) {
        // Measuring a 10 MB note takes about 10 ms, making room for it
        // about 30 (fresh memory): each in a turn of its own.
        m_fillBytes = utf8Length(m_text);
        m_nextPiece->start(0);
        return;
    }
    fillUpTo(m_fillBegun ? m_filledTo + fillPieceChars : 0);
}

void ContentBox::finishFill()
{
    fillUpTo(m_text.size());
}

void ContentBox::fillUpTo(qsizetype end)
{
    NoteEditor* e = noteEditor();
    if (!m_fillPending || !e)
        return;
    if (!m_fillBegun) {
        // Room for the whole note at once: growing piece by piece would copy
        // it each time. A little more, as the engine keeps a gap: taking its
        // bytes in one piece (a save, a comparison) needs room for an end
        // mark, and with none left it would copy the whole note to grow.
        if (m_fillBytes < 0)
            m_fillBytes = utf8Length(m_text);
        e->beginFill(m_fillBytes + 64);
        m_fillBegun = true;
    }
    end = std::min(end, m_text.size());
    // Never half a surrogate pair, nor half a CRLF.
    if (end < m_text.size() && end > 0 &&
        (m_text.at(end - 1).isHighSurrogate() ||
         (m_text.at(end - 1) == QLatin1Char('\r') && m_text.at(end) == QLatin1Char('\n'))))
        ++end;
    if (end > m_filledTo)
        e->appendFill(QStringView(m_text).mid(m_filledTo, end - m_filledTo).toUtf8());
    m_filledTo = end;
    if (end < m_text.size()) {
        m_nextPiece->start(0);
        return;
    }
    m_fillPending = false;
    m_fillFailed = !e->endFill();
    leaveFillTurns();
    // Once the engine holds the note, the box keeps no copy of it; one the
    // engine could not take whole is kept, saved and shown read-only.
    if (!m_fillFailed)
        m_text = QString();
    showLoadedState();
}

void ContentBox::showEvent(QShowEvent* event)
{
    DeferredEditor::showEvent(event);
    // What is shown is the whole note, ready for typing.
    finishFill();
}

void ContentBox::onEdited()
{
    ++m_revision;
    m_userEdited = true;
    emit textChanged();
}

QString ContentBox::text()
{
    return holdsText() ? m_text : noteEditor()->text();
}

bool ContentBox::isEmpty() const
{
    return holdsText() ? m_text.isEmpty() : noteEditor()->byteLength() == 0;
}

ContentBox::Snapshot ContentBox::snapshot()
{
    if (holdsText())
        return {.text = m_text, .revision = m_revision, .fill = m_fill, .userEdited = m_userEdited};
    NoteEditor* e = noteEditor();
    e->tellEdits();
    return {.utf8 = e->utf8(), .asUtf8 = true, .revision = m_revision, .fill = m_fill, .userEdited = m_userEdited};
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
        e->setReadOnly(!m_loaded || m_fillPending || m_fillFailed);
}

void ContentBox::setText(const QString& text)
{
    NoteEditor* e = noteEditor();
    // Restore and activation refill every box from the store each time the
    // window is shown. A box that already shows (or is still filling with)
    // exactly this text only gets what a refill would change: the cursor and
    // the view back at the start, no undo. The comparison reads the engine's
    // bytes in place: a fraction of a millisecond per megabyte.
    const bool showsText = m_fill > 0 && e && (holdsText() ? text == m_text : e->holds(text));
    ++m_fill;
    m_savedRevision = m_revision;
    m_userEdited = false;
    m_loaded = true;
    if (!e) {
        m_text = text;
        if (text.size() >= editorAheadFrom) {
            if (!m_buildAhead) {
                // The editor is built in a turn of its own, one box after the
                // other, as the pieces go in.
                m_buildAhead = Clock::current().singleShotTimer(this);
                connect(m_buildAhead, &Timer::timeout, this, &ContentBox::waitForFillTurn);
            }
            m_buildAhead->start(editorAheadAfterMs);
        }
        return;
    }
    if (showsText) {
        showLoadedState();
        if (!m_fillPending) {
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
    finishFill();
    const quint64 before = m_revision;
    e->setReadOnly(false);
    e->replaceAll(text.toUtf8());
    if (m_fillFailed) {
        m_fillFailed = false;
        m_text = QString();
    }
    showLoadedState();
    if (m_revision == before) {
        // Nothing in the editor changed (the same text again): it still
        // counts as the user's, to be saved.
        ++m_revision;
        m_userEdited = true;
        emit textChanged();
    }
    e->toStart();
}

bool ContentBox::findNext(const QString& needle, bool backward)
{
    NoteEditor* e = editor();
    finishFill();
    // Positions count UTF-16 units, as in the text; the search folds case
    // beyond ASCII.
    const qsizetype found = TextSearch::next(text(), needle, e->selectionStart(), e->selectionEnd(), backward);
    if (found < 0)
        return false;
    e->selectShown(found, found + needle.size());
    return true;
}
