#include "ui/NoteEditorAccessible.h"

#include "ui/NoteEditor.h"

#include <QByteArray>
#include <QTextBoundaryFinder>
#include <algorithm>

namespace {

using Word = unsigned long;

// Words, sentences and characters are looked for in the text this far
// (bytes) either side of the offset, within its line; a piece that reaches
// to within kEdge units of a cut is looked for again with four times the
// reach, so that a note of one long line is not read whole for one word.
constexpr long kFirstReach = 2048;
constexpr qsizetype kEdge = 64;

QAccessibleInterface* noteEditorFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String("NoteEditor"))
        return nullptr;
    auto* editor = qobject_cast<NoteEditor*>(object);
    return editor ? new NoteEditorAccessible(editor) : nullptr;
}

bool isPieceEdge(const QTextBoundaryFinder& finder)
{
    return finder.boundaryReasons() & (QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem);
}

QTextBoundaryFinder::BoundaryType finderType(QAccessible::TextBoundaryType boundaryType)
{
    switch (boundaryType) {
    case QAccessible::WordBoundary:
        return QTextBoundaryFinder::Word;
    case QAccessible::SentenceBoundary:
        return QTextBoundaryFinder::Sentence;
    default:
        return QTextBoundaryFinder::Grapheme;
    }
}

bool isLineType(QAccessible::TextBoundaryType boundaryType)
{
    return boundaryType == QAccessible::LineBoundary || boundaryType == QAccessible::ParagraphBoundary;
}

} // namespace

NoteEditorAccessible::NoteEditorAccessible(NoteEditor* editor)
    : QAccessibleWidget(editor, QAccessible::EditableText)
{
}

void NoteEditorAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(noteEditorFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

NoteEditor* NoteEditorAccessible::editor() const
{
    return static_cast<NoteEditor*>(widget());
}

QAccessible::State NoteEditorAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    const bool readOnly = editor()->isReadOnly();
    state.readOnly = readOnly;
    state.editable = !readOnly;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

void* NoteEditorAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

long NoteEditorAccessible::byteLength() const
{
    return long(editor()->byteLength());
}

bool NoteEditorAccessible::toPosition(int offset, long* position) const
{
    const int count = characterCount();
    if (offset == -1)
        offset = count;
    if (offset < 0 || offset > count)
        return false;
    *position = positionAt(offset);
    return true;
}

long NoteEditorAccessible::positionAt(qsizetype offset) const
{
    // An offset between the halves of a surrogate pair stands for the start
    // of the character (positionOf answers so).
    return long(editor()->positionOf(offset));
}

QString NoteEditorAccessible::bytesAsText(long from, long to) const
{
    if (to <= from)
        return {};
    // Copied out of the engine, which leaves its text where it is (asking
    // for a pointer would move the gap of its buffer there).
    return QString::fromUtf8(editor()->bytesBetween(from, to));
}

long NoteEditorAccessible::charStart(long position) const
{
    for (int back = 0; back < 3 && position > 0; ++back, --position) {
        if ((editor()->SendScintilla(QsciScintillaBase::SCI_GETCHARAT, Word(position)) & 0xC0) != 0x80)
            break;
    }
    return position;
}

NoteEditorAccessible::Span NoteEditorAccessible::lineHolding(long position) const
{
    const long line = editor()->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, Word(position));
    const long start = editor()->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, Word(line));
    return {start, start + editor()->SendScintilla(QsciScintillaBase::SCI_LINELENGTH, Word(line))};
}

// The character, word or sentence the byte at `position` (before the end)
// belongs to, or the stretch between two of them: the pieces Qt's boundary
// finder marks as starting or ending an item.
NoteEditorAccessible::Span
NoteEditorAccessible::pieceHolding(long position, QAccessible::TextBoundaryType boundaryType) const
{
    position = charStart(position);
    const Span line = lineHolding(position);
    const qsizetype unitsHere = editor()->unitsBefore(position);
    for (long reach = kFirstReach;; reach *= 4) {
        const long from = charStart(std::max(line.start, position - reach));
        const long to = position + reach >= line.end ? line.end : charStart(position + reach);
        const QString text = bytesAsText(from, to);
        const qsizetype unitsFrom = editor()->unitsBefore(from);
        QTextBoundaryFinder finder(finderType(boundaryType), text);
        finder.setPosition(unitsHere - unitsFrom);
        while (finder.position() > 0 && !isPieceEdge(finder))
            finder.toPreviousBoundary();
        const qsizetype start = std::max<qsizetype>(0, finder.position());
        finder.setPosition(unitsHere - unitsFrom);
        do
            finder.toNextBoundary();
        while (finder.position() > 0 && finder.position() < text.size() && !isPieceEdge(finder));
        const qsizetype end = finder.position() < 0 ? text.size() : finder.position();
        const bool cutBefore = from > line.start && start < kEdge;
        const bool cutAfter = to < line.end && text.size() - end < kEdge;
        if (!cutBefore && !cutAfter)
            return {long(editor()->positionOf(unitsFrom + start)),
                    long(editor()->positionOf(unitsFrom + end))};
    }
}

// The piece an offset is in; at the very end, the last line (which is empty
// after a final line break) or nothing.
NoteEditorAccessible::Span NoteEditorAccessible::pieceAt(long position,
                                                         QAccessible::TextBoundaryType boundaryType) const
{
    if (boundaryType == QAccessible::NoBoundary)
        return {0, byteLength()};
    if (isLineType(boundaryType))
        return lineHolding(position);
    if (position >= byteLength())
        return {byteLength(), byteLength()};
    return pieceHolding(position, boundaryType);
}

QString NoteEditorAccessible::answer(Span span, int* startOffset, int* endOffset) const
{
    if (span.isNull()) {
        *startOffset = *endOffset = -1;
        return {};
    }
    *startOffset = int(editor()->unitsBefore(span.start));
    *endOffset = int(editor()->unitsBefore(span.end));
    return bytesAsText(span.start, span.end);
}

QString NoteEditorAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                           int* startOffset, int* endOffset) const
{
    long position = 0;
    if (!toPosition(offset, &position))
        return answer({}, startOffset, endOffset);
    return answer(pieceAt(position, boundaryType), startOffset, endOffset);
}

QString NoteEditorAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                               int* startOffset, int* endOffset) const
{
    long position = 0;
    if (boundaryType == QAccessible::NoBoundary || !toPosition(offset, &position))
        return answer({}, startOffset, endOffset);
    const Span at = pieceAt(position, boundaryType);
    if (at.start <= 0)
        return answer({}, startOffset, endOffset);
    const Span before =
        isLineType(boundaryType) ? lineHolding(at.start - 1) : pieceHolding(at.start - 1, boundaryType);
    return answer(before, startOffset, endOffset);
}

QString NoteEditorAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                              int* startOffset, int* endOffset) const
{
    long position = 0;
    if (boundaryType == QAccessible::NoBoundary || !toPosition(offset, &position))
        return answer({}, startOffset, endOffset);
    const Span at = pieceAt(position, boundaryType);
    if (at.end >= byteLength())
        return answer({}, startOffset, endOffset);
    const Span after = isLineType(boundaryType) ? lineHolding(at.end) : pieceHolding(at.end, boundaryType);
    return answer(after, startOffset, endOffset);
}

QString NoteEditorAccessible::text(int startOffset, int endOffset) const
{
    const int count = characterCount();
    if (endOffset == -1 || endOffset > count)
        endOffset = count;
    startOffset = std::clamp(startOffset, 0, endOffset);
    return bytesAsText(positionAt(startOffset), positionAt(endOffset));
}

int NoteEditorAccessible::characterCount() const
{
    return int(editor()->length());
}

int NoteEditorAccessible::cursorPosition() const
{
    return int(editor()->cursorPosition());
}

void NoteEditorAccessible::setCursorPosition(int position)
{
    long to = 0;
    if (toPosition(position, &to))
        editor()->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, Word(to));
}

void NoteEditorAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || selectionCount() == 0)
        return;
    *startOffset = int(editor()->selectionStart());
    *endOffset = int(editor()->selectionEnd());
}

int NoteEditorAccessible::selectionCount() const
{
    return editor()->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEMPTY) ? 0 : 1;
}

void NoteEditorAccessible::addSelection(int startOffset, int endOffset)
{
    // One selection only: a new one takes the place of the old.
    setSelection(0, startOffset, endOffset);
}

void NoteEditorAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex != 0)
        return;
    const long cursor = editor()->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    editor()->SendScintilla(QsciScintillaBase::SCI_SETEMPTYSELECTION, Word(cursor));
}

void NoteEditorAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    long start = 0;
    long end = 0;
    if (selectionIndex != 0 || !toPosition(startOffset, &start) || !toPosition(endOffset, &end))
        return;
    editor()->SendScintilla(QsciScintillaBase::SCI_SETSEL, Word(start), end);
}

QRect NoteEditorAccessible::characterRect(int offset) const
{
    long position = 0;
    if (!toPosition(offset, &position) || position >= byteLength())
        return {};
    NoteEditor* e = editor();
    const long x = e->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, position);
    const long y = e->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, position);
    const long line = e->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, Word(position));
    const long height = e->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, Word(line));
    long width = 0;
    // A line break has no width of its own; it is given that of a space.
    if (position < e->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, Word(line))) {
        const long next = e->SendScintilla(QsciScintillaBase::SCI_POSITIONAFTER, Word(position));
        width = e->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, next) - x;
    } else {
        width = e->SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH,
                                 uintptr_t(QsciScintillaBase::STYLE_DEFAULT), " ");
    }
    return {e->viewport()->mapToGlobal(QPoint(int(x), int(y))), QSize(std::max(1, int(width)), int(height))};
}

int NoteEditorAccessible::offsetAtPoint(const QPoint& point) const
{
    const QPoint local = editor()->viewport()->mapFromGlobal(point);
    if (!editor()->viewport()->rect().contains(local))
        return -1;
    const long position = editor()->SendScintilla(QsciScintillaBase::SCI_CHARPOSITIONFROMPOINTCLOSE,
                                                  Word(local.x()), long(local.y()));
    return position < 0 ? -1 : int(editor()->unitsBefore(position));
}

void NoteEditorAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    long start = 0;
    long end = 0;
    if (toPosition(startIndex, &start) && toPosition(endIndex, &end))
        editor()->SendScintilla(QsciScintillaBase::SCI_SCROLLRANGE, Word(end), start);
}

QString NoteEditorAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    // Plain text: one run without attributes over the whole note.
    const int count = characterCount();
    if (offset < -1 || offset > count) {
        *startOffset = *endOffset = -1;
        return {};
    }
    *startOffset = 0;
    *endOffset = count;
    return {};
}

void NoteEditorAccessible::deleteText(int startOffset, int endOffset)
{
    replace(startOffset, endOffset, {});
}

void NoteEditorAccessible::insertText(int offset, const QString& text)
{
    replace(offset, offset, text);
}

void NoteEditorAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    replace(startOffset, endOffset, text);
}

void NoteEditorAccessible::replace(int startOffset, int endOffset, const QString& text)
{
    long start = 0;
    long end = 0;
    NoteEditor* e = editor();
    if (e->isReadOnly() || !toPosition(startOffset, &start) || !toPosition(endOffset, &end) || end < start)
        return;
    const QByteArray bytes = text.toUtf8();
    e->SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    e->SendScintilla(QsciScintillaBase::SCI_SETTARGETRANGE, Word(start), end);
    e->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, uintptr_t(bytes.size()), bytes.constData());
    e->SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
    e->tellEdits();
}
