#include "ui/ContentBox.h"

#include "core/Clock.h"
#include "core/LineBreaks.h"
#include "core/StepFailure.h"
#include "core/TextSearch.h"
#include "platform/PlatformLineBreak.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

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
    auto* e = new QPlainTextEdit(this);
    e->setLineWrapMode(QPlainTextEdit::NoWrap);
    e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab walks the window's tab order; a note never holds a typed tab.
    e->setTabChangesFocus(true);
    e->setToolTip(kToolTip);
    connect(e->document(), &QTextDocument::contentsChange, this, &ContentBox::follow);
    connect(e, &QPlainTextEdit::textChanged, this, &ContentBox::textChanged);
    fill(e, m_text);
    return e;
}

void ContentBox::fill(QPlainTextEdit* e, const QString& text)
{
    m_edit.reset();
    m_shown = m_breaks.load(text);
    const bool textIsShown = m_shown.constData() == text.constData();
    m_filling = true;
    // A long note goes into a hidden box a piece per turn, from the empty
    // box; the view, the cursor and the undo history end as a whole fill
    // leaves them. A box on screen shows the whole note at once.
    m_fillPending = m_shown.size() > fillPieceChars && !isVisible();
    m_filledTo = 0;
    e->setPlainText(m_fillPending ? QString() : m_shown);
    m_filling = false;
    if (m_fillPending)
        waitForFillTurn();
    else
        leaveFillTurns();
    showLoadedState(e);
    if (textIsShown) {
        m_textIsShown = true;
        m_text = QString(); // text may be m_text: last
    }
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

void ContentBox::appendToEditor(QPlainTextEdit* e, qsizetype end)
{
    end = std::min(end, m_shown.size());
    // Never half a surrogate pair.
    if (end < m_shown.size() && m_shown.at(end - 1).isHighSurrogate())
        ++end;
    QTextDocument* document = e->document();
    document->setUndoRedoEnabled(false);
    QTextCursor atEnd(document);
    atEnd.movePosition(QTextCursor::End);
    m_filling = true;
    atEnd.insertText(m_shown.mid(m_filledTo, end - m_filledTo));
    m_filling = false;
    document->setUndoRedoEnabled(true);
    document->setModified(false);
    m_filledTo = end;
    m_fillPending = end < m_shown.size();
}

void ContentBox::fillPiece()
{
    fillUpTo(m_filledTo + fillPieceChars);
}

void ContentBox::finishFill()
{
    fillUpTo(m_shown.size());
}

void ContentBox::fillUpTo(qsizetype end)
{
    QPlainTextEdit* e = textEdit();
    if (!isFilling() || !e)
        return;
    appendToEditor(e, end);
    if (isFilling()) {
        m_nextPiece->start(0);
        return;
    }
    leaveFillTurns();
    showLoadedState(e);
}

void ContentBox::showEvent(QShowEvent* event)
{
    DeferredEditor::showEvent(event);
    // What is shown is the whole note, ready for typing.
    finishFill();
}

void ContentBox::follow(int from, int removed, int added)
{
    if (m_filling)
        return;
    ++m_revision;
    m_userEdited = true;
    QTextDocument* document = textEdit()->document();
    // The document counts one more character than it shows (the end of its
    // last paragraph), and some changes are reported including it.
    const int length = document->characterCount() - 1;
    const int before = int(shownLength());
    from = qBound(0, from, before);
    removed = qBound(0, removed, before - from);
    added = qBound(0, added, length - from);
    QTextCursor range(document);
    range.setPosition(from);
    range.setPosition(from + added, QTextCursor::KeepAnchor);
    // Selected text keeps non-breaking spaces; paragraph ends become line ends.
    QString inserted = range.selectedText();
    inserted.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    if (!joinEdit(from, removed, inserted)) {
        makeEdit();
        m_edit = Edit{from, removed, inserted};
    }
    if (shownLength() != length) {
        // A change reported in a way not foreseen: read the whole text again
        // rather than hand out a wrong one.
        m_edit.reset();
        m_shown = document->toRawText();
        m_shown.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        m_breaks.reset(m_shown, PlatformLineBreak::text);
    }
}

bool ContentBox::joinEdit(qsizetype from, qsizetype removed, const QString& inserted)
{
    if (!m_edit)
        return false;
    Edit& edit = *m_edit;
    const qsizetype end = edit.from + edit.inserted.size();
    if (from == end) {
        // Typing on, or deleting forward, at the end of what it typed.
        edit.removed += removed;
    } else if (from >= edit.from && from + removed == end) {
        // Taking back the end of what it typed (Backspace).
        edit.inserted.truncate(from - edit.from);
    } else {
        return false;
    }
    edit.inserted += inserted;
    return true;
}

void ContentBox::makeEdit()
{
    if (!m_edit)
        return;
    m_breaks.replaced(m_shown, m_edit->from, m_edit->removed, m_edit->inserted, PlatformLineBreak::text);
    m_shown.replace(m_edit->from, m_edit->removed, m_edit->inserted);
    m_edit.reset();
}

qsizetype ContentBox::shownLength() const
{
    return m_shown.size() + (m_edit ? m_edit->inserted.size() - m_edit->removed : 0);
}

QString ContentBox::text()
{
    makeEdit();
    if (m_textRevision != m_revision) {
        QString taken = m_breaks.text(m_shown);
        m_textIsShown = taken.constData() == m_shown.constData();
        m_text = m_textIsShown ? QString() : std::move(taken);
        m_textRevision = m_revision;
    }
    return keptText();
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
    showLoadedState(textEdit());
}

void ContentBox::showLoadedState(QPlainTextEdit* e)
{
    if (e)
        e->setReadOnly(!m_loaded || isFilling());
}

void ContentBox::setText(const QString& text)
{
    // The kept text is what the box shows only while nothing was edited
    // since it was last taken.
    const bool showsText = m_fill > 0 && m_textRevision == m_revision && text == keptText();
    ++m_fill;
    m_savedRevision = m_textRevision = m_revision;
    m_userEdited = false;
    m_loaded = true;
    QPlainTextEdit* e = textEdit();
    showLoadedState(e);
    if (!e) {
        m_text = text;
        m_textIsShown = false;
        if (text.size() >= editorAheadFrom) {
            if (!m_buildAhead) {
                m_buildAhead = Clock::current().singleShotTimer(this);
                connect(m_buildAhead, &Timer::timeout, this, [this] { editor(); });
            }
            m_buildAhead->start(editorAheadAfterMs);
        }
        return;
    }
    // Restore and activation refill every box from the store each time the
    // window is shown. Rebuilding the document costs about a third of a second
    // per 10 MB, so a box that already shows exactly this text only gets what
    // a refill would change: the cursor and the view back at the start.
    if (showsText) {
        e->setTextCursor(QTextCursor(e->document()));
        e->horizontalScrollBar()->setValue(0);
        e->verticalScrollBar()->setValue(0);
        e->document()->clearUndoRedoStacks();
        return;
    }
    m_text = text;
    m_textIsShown = false;
    fill(e, text);
}

void ContentBox::replaceAsTyped(const QString& text)
{
    if (!m_loaded)
        throw StepFailure(QStringLiteral("%1 ist gesperrt, weil seine Notiz nicht gelesen werden konnte")
                              .arg(objectName()));
    QPlainTextEdit* e = editor();
    finishFill();
    const quint64 before = m_revision;
    QTextCursor all(e->document());
    all.beginEditBlock();
    all.select(QTextCursor::Document);
    all.insertText(LineBreaks::forDisplay(text));
    all.endEditBlock();
    // The edit was followed with the platform's break for every inserted
    // line; the text's own are loaded now, as a fill loads them.
    m_edit.reset();
    m_shown = m_breaks.load(text);
    if (m_revision == before) {
        // Nothing in the editor changed (the same text again): it still
        // counts as the user's, to be saved.
        ++m_revision;
        m_userEdited = true;
        emit textChanged();
    }
    e->setTextCursor(QTextCursor(e->document()));
    e->horizontalScrollBar()->setValue(0);
    e->verticalScrollBar()->setValue(0);
}

bool ContentBox::findNext(const QString& needle, bool backward)
{
    QPlainTextEdit* e = editor();
    finishFill();
    // The shown text follows the document position for position, so it is
    // searched instead of the document's blocks. A needle with a line break
    // is looked for as shown.
    const QString shownNeedle = LineBreaks::forDisplay(needle);
    makeEdit();
    const QTextCursor selection = e->textCursor();
    const qsizetype found =
        TextSearch::next(m_shown, shownNeedle, selection.selectionStart(), selection.selectionEnd(), backward);
    if (found < 0)
        return false;
    QTextCursor match(e->document());
    match.setPosition(int(found));
    match.setPosition(int(found + shownNeedle.size()), QTextCursor::KeepAnchor);
    e->setTextCursor(match);
    e->ensureCursorVisible();
    return true;
}
