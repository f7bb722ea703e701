#include "textbox.h"

#include "offer_reader.h"
#include "offered_text.h"
#include "textbox_accessible.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

using namespace Qt::StringLiterals;

namespace quorvel::runtime {

namespace {
// The property, on the character format of a block break, that holds the break's kind.
constexpr int breakProperty = QTextFormat::UserProperty + 0x51;

constexpr char16_t paragraphSeparator = u'\u2029'; // how the document stores a block break
constexpr char16_t frameStart = u'\uFDD0';
constexpr char16_t frameEnd = u'\uFDD1';

bool isBreak(char16_t c) {
    return c == u'\r' || c == u'\n' || c == paragraphSeparator || c == frameStart || c == frameEnd;
}

// The kinds of break, by number, and their code units. A break without a kind was typed: CR LF.
enum Kind { crlf, cr, lf, paragraph, frameStartKind, frameEndKind };
constexpr std::u16string_view kinds[] = { u"\r\n", u"\r", u"\n", u"\u2029", u"\uFDD0", u"\uFDD1" };

// The kind of the break that starts at text[i]; a CR LF takes two code units, the rest one.
int kindAt(QStringView text, qsizetype i) {
    switch (text[i].unicode()) {
    case u'\r':
        return i + 1 < text.size() && text[i + 1] == u'\n' ? crlf : cr;
    case u'\n':
        return lf;
    case paragraphSeparator:
        return paragraph;
    case frameStart:
        return frameStartKind;
    default:
        return frameEndKind;
    }
}

QStringView codeOf(int kind) {
    return kinds[kind];
}

// The formats of the block breaks of each kind; a format that Qt renumbers stays equal.
const QTextCharFormat& breakFormat(int kind) {
    static const auto formats = [] {
        std::array<QTextCharFormat, std::size(kinds)> made;
        for (int k = 0; k < static_cast<int>(made.size()); ++k)
            made[k].setProperty(breakProperty, k);
        return made;
    }();
    return formats[kind];
}

int kindOfFormat(const QTextCharFormat& format) {
    const int kind = format.intProperty(breakProperty);
    return kind >= 0 && kind < static_cast<int>(std::size(kinds)) ? kind : crlf;
}

// The faint mark shown after a break that counts, or none for CR LF.
QString markOf(QStringView code) {
    if (code == u"\r\n")
        return {};
    switch (code.front().unicode()) {
    case u'\r':
        return QStringLiteral("←");
    case u'\n':
        return QStringLiteral("↓");
    default: // U+2028, U+2029 and the frame marks
        return QStringLiteral("¶");
    }
}

// Whether text holds a character that Qt's document would turn into a block break.
bool holdsBreak(QStringView text) {
    for (QChar c : text)
        if (isBreak(c.unicode()))
            return true;
    return false;
}
} // namespace

TextBox::TextBox(QWidget* parent)
    : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(2);
    connect(document(), &QTextDocument::contentsChange, this, &TextBox::noteChange);
    connect(document(), &QTextDocument::undoCommandAdded, this, [this] {
        undoCarets_.push_back({ settled_, caret() });
        redoCarets_.clear();
    });
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &TextBox::noteCaret);
    connect(this, &QPlainTextEdit::selectionChanged, this, &TextBox::noteCaret);
    // The text of a paste goes in when it has come: at once, or later from another program.
    offers_ = new OfferReader(viewport(), this);
    connect(offers_, &OfferReader::textRead, this, [this](const QString& text) {
        if (!isReadOnly())
            insert(text);
    });
    makeTextBoxesAccessible();
}

QString TextBox::text() const {
    if (cache_.isNull())
        cache_ = textBetween(0, document()->characterCount() - 1);
    return cache_;
}

QString TextBox::textBetween(int from, int to) const {
    if (from >= to)
        return {};
    QString text; // block breaks as U+2029, all else as stored
    if (from == 0 && to == document()->characterCount() - 1) {
        text = document()->toRawText();
    } else {
        text = cursorBetween(from, to).selectedText();
    }

    // Each U+2029 stands for the break before the next block. A break of one unit takes its
    // stand-in's place; from the first longer one (CR LF) on, the text is copied out.
    QTextBlock block = document()->findBlock(from);
    QString exact;
    QChar* out = nullptr;
    qsizetype done = 0; // text up to here is in exact
    for (qsizetype at = text.indexOf(paragraphSeparator); at >= 0;
         at = text.indexOf(paragraphSeparator, at + 1)) {
        block = block.next();
        const QStringView code = breakBefore(block);
        if (!out) {
            if (code.size() == 1) {
                text.data()[at] = code.front();
                continue;
            }
            // Room for every break left to take two units.
            exact.resize(text.size() + QStringView(text).sliced(at).count(paragraphSeparator));
            out = exact.data();
        }
        out = std::copy(text.constData() + done, text.constData() + at, out);
        out = std::copy(code.begin(), code.end(), out);
        done = at + 1;
    }
    if (!out)
        return text;
    out = std::copy(text.constData() + done, text.constData() + text.size(), out);
    exact.truncate(out - exact.constData());
    return exact;
}

void TextBox::noteChange(int position, int, int added) {
    cache_.clear();
    edited_ = true;
    // An insertion of ours told its new blocks their breaks already; only the block where it
    // began may have merged with another.
    const bool ours = position >= inserted_.first && position + added <= inserted_.second;
    inserted_ = { -1, -1 };
    // The blocks that the change touched, the first perhaps merged with the one before it, learn
    // the kind of their break afresh from its format; the blocks outside keep theirs.
    const QTextBlock last
        = ours ? document()->findBlock(position) : document()->findBlock(position + added);
    for (QTextBlock block = document()->findBlock(position); block.isValid();
         block = block.next()) {
        block.setUserState(kindOfFormat(block.charFormat()));
        if (block == last)
            break;
    }
}

int TextBox::kindBefore(const QTextBlock& block) const {
    const int kind = block.userState();
    return kind >= 0 ? kind : kindOfFormat(block.charFormat());
}

QStringView TextBox::breakBefore(const QTextBlock& block) const {
    return codeOf(kindBefore(block));
}

void TextBox::setText(const QString& text) {
    settled_ = caret();
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    insertAt(cursor, text);
    cursor.endEditBlock();
    cursor.movePosition(QTextCursor::Start);
    setTextCursor(cursor);
    if (!undoCarets_.empty())
        undoCarets_.back().second = caret();
}

void TextBox::insert(const QString& text) {
    // A whole book takes a moment: show it.
    constexpr qsizetype large = 1 << 20;
    std::optional<QScopeGuard<void (*)()>> busy;
    if (text.size() >= large) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        busy.emplace(&QGuiApplication::restoreOverrideCursor);
    }
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    insertAt(cursor, text);
    cursor.endEditBlock();
    // The box's own caret has moved along with the insertion. A drop inserts inside an edit of
    // Qt's own, whose layout is not done yet: scroll to the caret once it is.
    QMetaObject::invokeMethod(this, &TextBox::ensureCursorVisible, Qt::QueuedConnection);
}

void TextBox::replace(int from, int to, const QString& text) {
    settled_ = caret();
    QTextCursor cursor = cursorBetween(from, to);
    cursor.beginEditBlock();
    insertAt(cursor, text);
    cursor.endEditBlock();
}

void TextBox::appendPlainText(const QString& text) {
    settled_ = caret();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    insertAt(cursor, document()->isEmpty() ? text : u"\r\n"_s + text);
    cursor.endEditBlock();
}

void TextBox::appendHtml(const QString& html) {
    appendPlainText(QTextDocumentFragment::fromHtml(html).toPlainText());
}

void TextBox::clear() {
    setText(QString());
    document()->clearUndoRedoStacks();
    undoCarets_.clear();
    redoCarets_.clear();
}

TextBox::Caret TextBox::caret() const {
    const QTextCursor cursor = textCursor();
    return { cursor.position(), cursor.anchor() };
}

QTextCursor TextBox::cursorBetween(int anchor, int position) const {
    const int end = document()->characterCount() - 1;
    QTextCursor cursor(document());
    cursor.setPosition(std::clamp(anchor, 0, end));
    cursor.setPosition(std::clamp(position, 0, end), QTextCursor::KeepAnchor);
    return cursor;
}

void TextBox::setCaret(Caret caret) {
    setTextCursor(cursorBetween(caret.anchor, caret.position));
    settled_ = this->caret();
}

void TextBox::noteMergedEdit() {
    // Qt makes typing that goes on one undo step: it ends where the caret is now.
    if (edited_ && !undoCarets_.empty())
        undoCarets_.back().second = caret();
}

void TextBox::noteCaret() {
    if (!restoring_)
        settled_ = caret();
}

// Every edit comes from an event, or from a call below: the caret as it was then is the caret
// that undoing the edit brings back.
bool TextBox::event(QEvent* event) {
    if (!restoring_)
        settled_ = caret();
    return QPlainTextEdit::event(event);
}

bool TextBox::viewportEvent(QEvent* event) {
    if (!restoring_)
        settled_ = caret();
    return QPlainTextEdit::viewportEvent(event);
}

void TextBox::undo() {
    restore(true);
}

void TextBox::redo() {
    restore(false);
}

void TextBox::restore(bool undoing) {
    if (!(undoing ? document()->isUndoAvailable() : document()->isRedoAvailable()))
        return;
    restoring_ = true;
    undoing ? QPlainTextEdit::undo() : QPlainTextEdit::redo();
    restoring_ = false;
    auto& from = undoing ? undoCarets_ : redoCarets_;
    auto& to = undoing ? redoCarets_ : undoCarets_;
    if (from.empty())
        return;
    to.push_back(from.back());
    from.pop_back();
    setCaret(undoing ? to.back().first : to.back().second);
}

void TextBox::insertAt(QTextCursor& cursor, const QString& text) {
    cursor.removeSelectedText();
    inserted_ = { cursor.position(), cursor.position() };
    // Qt would make every break in a piece of text a block break with the piece's format. So the
    // text goes in as pieces without breaks, in the plain format, and each break as a block break
    // with the format of its kind.
    const QTextCharFormat plain;
    const QTextBlockFormat paragraph = cursor.blockFormat();
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isBreak(text[i].unicode()))
            continue;
        if (i > start)
            cursor.insertText(text.sliced(start, i - start), plain);
        const int kind = kindAt(text, i);
        cursor.insertBlock(paragraph, breakFormat(kind));
        cursor.block().setUserState(kind);
        i += codeOf(kind).size() - 1;
        start = i + 1;
    }
    if (start < text.size())
        cursor.insertText(start == 0 ? text : text.sliced(start), plain);
    inserted_.second = cursor.position();
}

bool TextBox::inCrLfPair(const QTextBlock& block) const {
    // A CR break, an empty line, then an LF break: the text holds CR LF, which counts nothing.
    const auto crBefore = [this](const QTextBlock& b) { return breakBefore(b) == u"\r"; };
    const auto lfBefore = [this](const QTextBlock& b) { return breakBefore(b) == u"\n"; };
    const QTextBlock next = block.next();
    const QTextBlock previous = block.previous();
    return (crBefore(block) && block.length() == 1 && next.isValid() && lfBefore(next))
        || (lfBefore(block) && previous.length() == 1 && previous.previous().isValid()
            && crBefore(previous));
}

std::vector<TextBox::LineMark> TextBox::lineMarks() const {
    std::vector<LineMark> marks;
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (box.top() > viewport()->height())
            break;
        const QTextLayout* layout = block.layout();
        const QString text = block.text();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const int end = line.textStart() + line.textLength();
            QString mark;
            if (i + 1 == layout->lineCount()) {
                if (block.next().isValid() && !inCrLfPair(block.next()))
                    mark = markOf(breakBefore(block.next()));
            } else if (end > 0 && text.at(end - 1) == QChar::LineSeparator) {
                mark = markOf(u"\u2028");
            }
            if (!mark.isEmpty())
                marks.push_back({ box.topLeft() + line.position()
                        + QPointF(line.naturalTextWidth() + 1, line.ascent()),
                    mark, block.blockNumber(), i });
        }
    }
    return marks;
}

void TextBox::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    QColor faint = palette().color(QPalette::Text);
    faint.setAlphaF(0.35f);
    painter.setPen(faint);
    for (const LineMark& mark : lineMarks())
        painter.drawText(mark.at, mark.mark);
}

void TextBox::plainInput() {
    // Typed text next to a break would take on the break's format; it gets the plain one.
    if (!textCursor().hasSelection())
        setCurrentCharFormat(QTextCharFormat());
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    if (isReadOnly())
        return QPlainTextEdit::keyPressEvent(event);
    // Ctrl+Y redoes too, as on other desktops; Qt on X11 knows only Ctrl+Shift+Z.
    if (event->matches(QKeySequence::Undo)) {
        undo();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Redo)
        || (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier)) {
        redo();
        event->accept();
        return;
    }
    // Enter, with any modifier, is a line break typed as CR LF.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (enterPressesDefault_ && !(event->modifiers() & Qt::ControlModifier)) {
            event->ignore(); // the window presses its default button
            return;
        }
        insert(u"\r\n");
        event->accept();
        return;
    }
    // Typed text that holds a break character keeps it as it is.
    if (holdsBreak(event->text()) && !(event->modifiers() & Qt::ControlModifier)
        && event->text().front().isPrint()) {
        insert(event->text());
        event->accept();
        return;
    }
    if (!event->text().isEmpty())
        plainInput();
    edited_ = false;
    QPlainTextEdit::keyPressEvent(event);
    noteMergedEdit();
}

void TextBox::inputMethodEvent(QInputMethodEvent* event) {
    if (!lateCommit_.isEmpty()) {
        const QString late = std::exchange(lateCommit_, QString());
        if (event->preeditString().isEmpty() && event->replacementLength() == 0) {
            if (event->commitString() == late)
                return event->accept(); // committed already
            if (event->commitString().isEmpty())
                lateCommit_ = late; // the input method clears its composition first
        }
    }
    // A composition that ends without a commit (Escape, or Backspace over all of it) is gone:
    // some input contexts keep their own copy and would commit it at the next focus change.
    if (!composing_.isEmpty() && event->preeditString().isEmpty() && event->commitString().isEmpty()
        && event->replacementLength() == 0) {
        composing_.clear();
        QGuiApplication::inputMethod()->reset();
    }
    composing_ = event->preeditString();
    if (isReadOnly() || !holdsBreak(event->commitString())) {
        if (!event->commitString().isEmpty())
            plainInput();
        edited_ = false;
        QPlainTextEdit::inputMethodEvent(event);
        if (!event->commitString().isEmpty() || event->replacementLength() > 0)
            noteMergedEdit();
        return;
    }
    // Drop the text being composed, put the commit in exactly, then compose again.
    QInputMethodEvent dropPreedit;
    QPlainTextEdit::inputMethodEvent(&dropPreedit);
    QTextCursor cursor = textCursor();
    if (event->replacementLength() > 0) {
        const int start = cursor.position() + event->replacementStart();
        cursor.setPosition(start);
        cursor.setPosition(start + event->replacementLength(), QTextCursor::KeepAnchor);
        setTextCursor(cursor);
    }
    insert(event->commitString());
    QInputMethodEvent preedit(event->preeditString(), event->attributes());
    QPlainTextEdit::inputMethodEvent(&preedit);
    event->accept();
}

void TextBox::commitComposition() {
    if (composing_.isEmpty())
        return;
    const QString composed = composing_;
    // An input method commits its composition when reset: fcitx5 at once, ibus a moment later
    // (its daemon does). What is still composing after the reset is committed here, and ibus's
    // late copy is then dropped if it comes to this box.
    QGuiApplication::inputMethod()->reset();
    if (composing_ != composed)
        return;
    QInputMethodEvent commit;
    commit.setCommitString(composed);
    inputMethodEvent(&commit);
    if (hasFocus())
        lateCommit_ = composed;
}

void TextBox::focusOutEvent(QFocusEvent* event) {
    // Text still being composed becomes part of the text when the box loses the focus (a click on
    // the count button, say), so what the user sees is what is counted.
    commitComposition();
    QPlainTextEdit::focusOutEvent(event);
}

void TextBox::contextMenuEvent(QContextMenuEvent* event) {
    // Qt's menu, with the box's own undo and redo.
    QMenu* menu = createStandardContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        const bool isUndo = action->objectName() == u"edit-undo";
        if (!isUndo && action->objectName() != u"edit-redo")
            continue;
        QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, isUndo ? &TextBox::undo : &TextBox::redo);
    }
    menu->popup(event->globalPos());
    event->accept();
}

bool TextBox::canInsertFromMimeData(const QMimeData* source) const {
    return source && offersText(*source);
}

void TextBox::insertFromMimeData(const QMimeData* source) {
    // Plain text only: a source that also offers markdown or HTML still pastes its exact text.
    if (source && !isReadOnly())
        offers_->read(*source);
}

QMimeData* TextBox::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto* data = new QMimeData;
    data->setText(textBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

} // namespace quorvel::runtime
