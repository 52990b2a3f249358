#include "ui/NoteEditor.h"

#include "platform/PlatformLineBreak.h"
#include "ui/NoteEditorAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QKeySequence>
#include <QMenu>
#include <QTimer>
#include <cstdint>

namespace {

// The engine's first message parameter.
using Word = unsigned long;

// Editing commands a plain box does not have (duplicate, cut, swap or
// change the case of lines): their keys do nothing, as in a plain box.
constexpr int kCtrl = QsciScintillaBase::SCMOD_CTRL << 16;
constexpr int kCtrlShift = (QsciScintillaBase::SCMOD_CTRL | QsciScintillaBase::SCMOD_SHIFT) << 16;
constexpr int kNotPlainKeys[] = {kCtrl + 'D', kCtrl + 'L', kCtrlShift + 'L', kCtrl + 'T',
                                 kCtrlShift + 'T', kCtrl + 'U', kCtrlShift + 'U'};

} // namespace

NoteEditor::NoteEditor(QWidget* parent) : QsciScintillaBase(parent)
{
    NoteEditorAccessible::install();
    // A document without style bytes: one byte kept per byte of text. Its
    // handle comes back as a long, which holds a pointer only where longs
    // are as wide (not on 64-bit Windows: there the text keeps its styles).
    if constexpr (sizeof(long) >= sizeof(void*)) {
        auto* document = reinterpret_cast<void*>(
            SendScintilla(SCI_CREATEDOCUMENT, 0UL, long(SC_DOCUMENTOPTION_STYLES_NONE)));
        if (document) {
            SendScintilla(SCI_SETDOCPOINTER, 0UL, document);
            SendScintilla(SCI_RELEASEDOCUMENT, 0UL, document);
        }
    }
    SendScintilla(SCI_SETCODEPAGE, long(SC_CP_UTF8));
    SendScintilla(SCI_SETEOLMODE, PlatformLineBreak::text == QLatin1String("\r\n") ? SC_EOL_CRLF : SC_EOL_LF);
    SendScintilla(SCI_SETPASTECONVERTENDINGS, 1UL);
    SendScintilla(SCI_SETWRAPMODE, long(SC_WRAP_NONE));
    for (long margin = 0, margins = SendScintilla(SCI_GETMARGINS); margin < margins; ++margin)
        SendScintilla(SCI_SETMARGINWIDTHN, margin, 0L);
    // The horizontal range follows the widest line seen, as in a plain box.
    SendScintilla(SCI_SETSCROLLWIDTH, 1UL);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1UL);
    SendScintilla(SCI_SETHSCROLLBAR, 1UL);
    SendScintilla(SCI_SETVSCROLLBAR, 1UL);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Edits are announced before they are made, not after: the engine's
    // own accessibility hook, run after every insertion and deletion whether
    // or not a screen reader listens, counts the characters from the start
    // of the text, which makes a key in a 10 MB note take a tenth of a
    // second. What an edit changed is told once it is done (tellEdits).
    SendScintilla(SCI_SETMODEVENTMASK, long(SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE));
    SendScintilla(SCI_ALLOCATELINECHARACTERINDEX, Word(SC_LINECHARACTERINDEX_UTF16));
    for (int key : kNotPlainKeys)
        SendScintilla(SCI_CLEARCMDKEY, Word(key));
    takeLookOfPlainBox();
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char* text, int length, int, int, int, int, int, int) {
                beforeChange(position, type, text, length);
            });
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, &NoteEditor::afterUpdate);
}

void NoteEditor::takeLookOfPlainBox()
{
    const QFont f = font();
    SendScintilla(SCI_STYLESETFONT, uintptr_t(STYLE_DEFAULT), f.family().toUtf8().constData());
    const qreal points = f.pointSizeF() > 0 ? f.pointSizeF() : f.pixelSize() * 72.0 / logicalDpiY();
    SendScintilla(SCI_STYLESETSIZEFRACTIONAL, Word(STYLE_DEFAULT), long(points * double(SC_FONT_SIZE_MULTIPLIER)));
    SendScintilla(SCI_STYLESETBOLD, Word(STYLE_DEFAULT), long(f.bold()));
    SendScintilla(SCI_STYLESETITALIC, Word(STYLE_DEFAULT), long(f.italic()));
    const QPalette p = palette();
    SendScintilla(SCI_STYLESETFORE, Word(STYLE_DEFAULT), p.color(QPalette::Text));
    SendScintilla(SCI_STYLESETBACK, Word(STYLE_DEFAULT), p.color(QPalette::Base));
    SendScintilla(SCI_STYLECLEARALL);
    SendScintilla(SCI_SETSELFORE, 1UL, p.color(QPalette::HighlightedText));
    SendScintilla(SCI_SETSELBACK, 1UL, p.color(QPalette::Highlight));
    SendScintilla(SCI_SETCARETFORE, p.color(QPalette::Text));
}

void NoteEditor::changeEvent(QEvent* event)
{
    QsciScintillaBase::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        takeLookOfPlainBox();
}

QMenu* NoteEditor::createStandardContextMenu()
{
    auto* menu = new QMenu(this);
    const bool editable = !isReadOnly();
    const bool selected = SendScintilla(SCI_GETSELECTIONEMPTY) == 0;
    // Qt translates these texts for its own text boxes.
    auto add = [&](const char* text, QKeySequence::StandardKey key, bool enabled, unsigned int message) {
        QString label = QCoreApplication::translate("QWidgetTextControl", text);
        const QString keys = QKeySequence(key).toString(QKeySequence::NativeText);
        if (!keys.isEmpty())
            label += QLatin1Char('\t') + keys;
        QAction* action = menu->addAction(label, this, [this, message] {
            if (message != SCI_PASTE || !pasteAfterLoneCr())
                SendScintilla(message);
            tellEdits();
        });
        action->setEnabled(enabled);
    };
    add("&Undo", QKeySequence::Undo, editable && isUndoAvailable(), SCI_UNDO);
    add("&Redo", QKeySequence::Redo, editable && SendScintilla(SCI_CANREDO) != 0, SCI_REDO);
    menu->addSeparator();
    add("Cu&t", QKeySequence::Cut, editable && selected, SCI_CUT);
    add("&Copy", QKeySequence::Copy, selected, SCI_COPY);
    add("&Paste", QKeySequence::Paste, editable && SendScintilla(SCI_CANPASTE) != 0, SCI_PASTE);
    add("Delete", QKeySequence::UnknownKey, editable && selected, SCI_CLEAR);
    menu->addSeparator();
    add("Select All", QKeySequence::SelectAll, byteLength() > 0, SCI_SELECTALL);
    return menu;
}

void NoteEditor::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

bool NoteEditor::focusNextPrevChild(bool next)
{
    // The engine keeps Tab for itself; here it walks the window's tab order
    // and a note never holds a typed tab.
    return QWidget::focusNextPrevChild(next);
}

bool NoteEditor::breakWouldJoinLoneCr(const QString& text) const
{
    // A LF typed or pasted right after a lone CR would join it into one
    // CRLF break: the new line would not appear. The engine tells no text
    // before it goes in, so the keys and the paste that bring one look
    // first.
    if (isReadOnly() || PlatformLineBreak::text != QLatin1String("\n") || text.isEmpty() ||
        (text.front() != QLatin1Char('\n') && text.front() != QLatin1Char('\r')))
        return false;
    const long start = SendScintilla(SCI_GETSELECTIONSTART);
    return start > 0 && SendScintilla(SCI_GETCHARAT, Word(start - 1)) == '\r';
}

void NoteEditor::insertAfterLoneCr(const QString& text)
{
    // Every break as the platform's, the first written as CRLF.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QByteArray bytes = "\r" + shown.toUtf8();
    SendScintilla(SCI_REPLACESEL, 0UL, bytes.constData());
    SendScintilla(SCI_SCROLLCARET);
    tellEdits();
}

void NoteEditor::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && mods == Qt::NoModifier;
    if (enter && breakWouldJoinLoneCr(PlatformLineBreak::text)) {
        insertAfterLoneCr(PlatformLineBreak::text);
        return;
    }
    if (event->matches(QKeySequence::Paste) && pasteAfterLoneCr())
        return;
    QsciScintillaBase::keyPressEvent(event);
}

bool NoteEditor::pasteAfterLoneCr()
{
    const QString text = QApplication::clipboard()->text();
    if (!breakWouldJoinLoneCr(text))
        return false;
    insertAfterLoneCr(text);
    return true;
}

void NoteEditor::beforeChange(qsizetype position, int type, const char*, qsizetype length)
{
    if (m_filling || !(type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)))
        return;
    m_editPending = true;
    if (QAccessible::isActive()) {
        readPendingInsert();
        Change change{unitsBefore(position), {}, {}};
        if (type & SC_MOD_BEFOREINSERT) {
            // The engine passes no text before it goes in: it is read once
            // it is in, before the next change or when told.
            change.insertAt = position;
            change.insertBytes = length;
        } else {
            change.removed = QString::fromUtf8(bytesBetween(long(position), long(position + length)));
        }
        m_changes.push_back(std::move(change));
    }
    // Edits made through the engine's messages outside any event are told
    // at the next turn of the event loop.
    if (!m_tellQueued) {
        m_tellQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_tellQueued = false;
            tellEdits();
        });
    }
}

void NoteEditor::tellEdits()
{
    if (!m_editPending)
        return;
    m_editPending = false;
    readPendingInsert();
    std::vector<Change> changes;
    changes.swap(m_changes);
    for (const Change& change : changes) {
        if (!change.removed.isEmpty()) {
            QAccessibleTextRemoveEvent removed(this, int(change.offset), change.removed);
            QAccessible::updateAccessibility(&removed);
        }
        if (!change.inserted.isEmpty()) {
            QAccessibleTextInsertEvent inserted(this, int(change.offset), change.inserted);
            QAccessible::updateAccessibility(&inserted);
        }
    }
    afterUpdate(SC_UPDATE_SELECTION);
    emit edited();
}

void NoteEditor::readPendingInsert()
{
    if (m_changes.empty() || m_changes.back().insertAt < 0)
        return;
    Change& change = m_changes.back();
    const long from = long(change.insertAt);
    change.inserted = QString::fromUtf8(bytesBetween(from, from + long(change.insertBytes)));
    change.insertAt = -1;
}

QByteArray NoteEditor::bytesBetween(long from, long to) const
{
    // Copied out, not pointed at: the engine answers a pointer as a long,
    // which cannot hold one on 64-bit Windows.
    QByteArray bytes(to - from + 1, Qt::Uninitialized);
    SendScintilla(SCI_GETTEXTRANGE, from, to, bytes.data());
    bytes.chop(1);
    return bytes;
}

bool NoteEditor::event(QEvent* event)
{
    const bool done = QsciScintillaBase::event(event);
    tellEdits();
    return done;
}

bool NoteEditor::viewportEvent(QEvent* event)
{
    const bool done = QsciScintillaBase::viewportEvent(event);
    tellEdits();
    return done;
}

void NoteEditor::afterUpdate(int updated)
{
    // Typing moves the cursor with the text, telling only of the content;
    // a cursor moved by an edit is told after the edit (tellEdits).
    if (!(updated & (SC_UPDATE_SELECTION | SC_UPDATE_CONTENT)) || !QAccessible::isActive() || m_editPending)
        return;
    const qsizetype cursor = cursorPosition();
    if (cursor == m_toldCursor)
        return;
    m_toldCursor = cursor;
    QAccessibleTextCursorEvent moved(this, int(cursor));
    QAccessible::updateAccessibility(&moved);
    if (selectionStart() != selectionEnd()) {
        QAccessibleTextSelectionEvent selected(this, int(selectionStart()), int(selectionEnd()));
        QAccessible::updateAccessibility(&selected);
    }
}

QString NoteEditor::text() const
{
    // The engine's bytes in one piece, without a copy of them.
    const auto* bytes = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return QString::fromUtf8(bytes, byteLength());
}

QByteArray NoteEditor::utf8() const
{
    const auto* bytes = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return QByteArray(bytes, byteLength());
}

bool NoteEditor::holds(QStringView text) const
{
    const auto* bytes = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return QAnyStringView::equal(QUtf8StringView(bytes, byteLength()), text);
}

qsizetype NoteEditor::length() const
{
    return unitsBefore(byteLength());
}

qsizetype NoteEditor::byteLength() const
{
    return qsizetype(SendScintilla(SCI_GETLENGTH));
}

bool NoteEditor::isReadOnly() const
{
    return SendScintilla(SCI_GETREADONLY) != 0;
}

void NoteEditor::setReadOnly(bool readOnly)
{
    SendScintilla(SCI_SETREADONLY, Word(readOnly));
}

bool NoteEditor::isUndoAvailable() const
{
    return SendScintilla(SCI_CANUNDO) != 0;
}

void NoteEditor::beginFill(qsizetype bytes)
{
    m_filling = true;
    const bool readOnly = isReadOnly();
    setReadOnly(false);
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_SETSTATUS, long(SC_STATUS_OK));
    SendScintilla(SCI_ALLOCATE, Word(bytes));
    setReadOnly(readOnly);
    m_filling = false;
}

void NoteEditor::appendFill(const QByteArray& bytes)
{
    m_filling = true;
    const bool readOnly = isReadOnly();
    setReadOnly(false);
    SendScintilla(SCI_APPENDTEXT, uintptr_t(bytes.size()), bytes.constData());
    setReadOnly(readOnly);
    m_filling = false;
}

bool NoteEditor::endFill()
{
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETSAVEPOINT);
    toStart();
    const bool complete = SendScintilla(SCI_GETSTATUS) == SC_STATUS_OK;
    SendScintilla(SCI_SETSTATUS, long(SC_STATUS_OK));
    return complete;
}

void NoteEditor::replaceAll(const QByteArray& bytes)
{
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_SETTARGETRANGE, 0UL, long(byteLength()));
    SendScintilla(SCI_REPLACETARGET, uintptr_t(bytes.size()), bytes.constData());
    SendScintilla(SCI_ENDUNDOACTION);
    tellEdits();
}

void NoteEditor::toStart()
{
    SendScintilla(SCI_SETEMPTYSELECTION, 0UL);
    SendScintilla(SCI_SETFIRSTVISIBLELINE, 0UL);
    SendScintilla(SCI_SETXOFFSET, 0UL);
}

qsizetype NoteEditor::unitsBefore(qsizetype position) const
{
    const long line = SendScintilla(SCI_LINEFROMPOSITION, Word(position));
    const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, Word(line));
    return SendScintilla(SCI_INDEXPOSITIONFROMLINE, Word(line), long(SC_LINECHARACTERINDEX_UTF16)) +
           SendScintilla(SCI_COUNTCODEUNITS, Word(lineStart), long(position));
}

qsizetype NoteEditor::positionOf(qsizetype units) const
{
    const long line = SendScintilla(SCI_LINEFROMINDEXPOSITION, Word(units), long(SC_LINECHARACTERINDEX_UTF16));
    const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, Word(line));
    const long lineUnits = SendScintilla(SCI_INDEXPOSITIONFROMLINE, Word(line), long(SC_LINECHARACTERINDEX_UTF16));
    const long within = long(units - lineUnits);
    const long position = SendScintilla(SCI_POSITIONRELATIVECODEUNITS, Word(lineStart), within);
    // The engine answers 0 for an offset inside a character (between the
    // halves of a surrogate pair): that character's start instead.
    if (position == 0 && within > 0)
        return SendScintilla(SCI_POSITIONRELATIVECODEUNITS, Word(lineStart), within - 1);
    return position;
}

qsizetype NoteEditor::selectionStart() const
{
    return unitsBefore(SendScintilla(SCI_GETSELECTIONSTART));
}

qsizetype NoteEditor::selectionEnd() const
{
    return unitsBefore(SendScintilla(SCI_GETSELECTIONEND));
}

qsizetype NoteEditor::cursorPosition() const
{
    return unitsBefore(SendScintilla(SCI_GETCURRENTPOS));
}

void NoteEditor::selectShown(qsizetype from, qsizetype to)
{
    const long start = long(positionOf(from));
    const long end = long(positionOf(to));
    SendScintilla(SCI_SETSEL, Word(start), long(end));
    SendScintilla(SCI_SCROLLRANGE, Word(end), long(start));
}
