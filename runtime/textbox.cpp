#include "textbox.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <optional>

namespace quorvel::runtime {

namespace {
// The property, on the character format of a block break, that holds the break's code units.
constexpr int breakProperty = QTextFormat::UserProperty + 0x51;

constexpr char16_t paragraphSeparator = u'\u2029'; // how the document stores a block break
constexpr char16_t frameStart = u'\uFDD0';
constexpr char16_t frameEnd = u'\uFDD1';

bool isBreak(char16_t c) {
    return c == u'\r' || c == u'\n' || c == paragraphSeparator || c == frameStart || c == frameEnd;
}

// The length of the break that starts at text[i]: 2 for CR LF, else 1.
qsizetype breakLength(QStringView text, qsizetype i) {
    return text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
}

QTextCharFormat breakFormat(QStringView code) {
    QTextCharFormat format;
    format.setProperty(breakProperty, code.toString());
    return format;
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
        QTextCursor range(document());
        range.setPosition(from);
        range.setPosition(to, QTextCursor::KeepAnchor);
        text = range.selectedText();
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
    // An insertion of ours told its new blocks their breaks already; only the block where it
    // began may have merged with another.
    const bool ours = position >= inserted_.first && position + added <= inserted_.second;
    inserted_ = { -1, -1 };
    if (ours) {
        QTextBlock block = document()->findBlock(position);
        block.setUserState(block.charFormatIndex());
        return;
    }
    // Each block remembers, as its user state, the character format of the break before it:
    // reading that from the block is quick, where asking the document is not. The blocks that
    // the change touched, the first perhaps merged with the one before it, learn it afresh; the
    // blocks outside keep their breaks.
    const QTextBlock last = document()->findBlock(position + added);
    for (QTextBlock block = document()->findBlock(position); block.isValid();
         block = block.next()) {
        block.setUserState(block.charFormatIndex());
        if (block == last)
            break;
    }
}

QStringView TextBox::breakBefore(const QTextBlock& block) const {
    const int index = block.userState() >= 0 ? block.userState() : block.charFormatIndex();
    // Few formats ever hold breaks: look each one up once.
    if (index >= static_cast<int>(breakOfFormat_.size()))
        breakOfFormat_.resize(index + 1);
    QString& code = breakOfFormat_[index];
    if (code.isNull()) {
        const QVariant property
            = document()->allFormats().value(index).toCharFormat().property(breakProperty);
        code = property.isValid() ? property.toString() : QStringLiteral("\r\n");
    }
    return code;
}

void TextBox::setText(const QString& text) {
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    insertAt(cursor, text);
    cursor.endEditBlock();
    cursor.movePosition(QTextCursor::Start);
    setTextCursor(cursor);
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

void TextBox::insertAt(QTextCursor& cursor, const QString& text) {
    cursor.removeSelectedText();
    inserted_ = { cursor.position(), cursor.position() };
    // Qt makes every break in a piece of text a block break that carries the piece's character
    // format. So the text goes in as runs whose breaks are all of one kind, each run with the
    // format of its kind: a text with one kind of break goes in at once.
    qsizetype start = 0;
    QStringView kind; // the kind of break in the current run; none yet
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isBreak(text[i].unicode()))
            continue;
        const QStringView code = QStringView(text).sliced(i, breakLength(text, i));
        if (!kind.isEmpty() && code != kind) {
            insertRun(cursor, text.sliced(start, i - start), kind);
            start = i;
        }
        kind = code;
        i += code.size() - 1;
    }
    if (start < text.size())
        insertRun(cursor, start == 0 ? text : text.sliced(start), kind);
    inserted_.second = cursor.position();
}

void TextBox::insertRun(QTextCursor& cursor, const QString& run, QStringView kind) {
    const QTextBlock before = cursor.block();
    cursor.insertText(run, kind.isEmpty() ? QTextCharFormat() : breakFormat(kind));
    // The blocks that the run's breaks started share one format: look it up once.
    const QTextBlock last = cursor.block();
    if (last == before)
        return;
    const int format = before.next().charFormatIndex();
    for (QTextBlock block = before.next(); block.isValid(); block = block.next()) {
        block.setUserState(format);
        if (block == last)
            break;
    }
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

void TextBox::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    QColor faint = palette().color(QPalette::Text);
    faint.setAlphaF(0.35f);
    painter.setPen(faint);
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
            if (mark.isEmpty())
                continue;
            const QPointF at = box.topLeft() + line.position()
                + QPointF(line.naturalTextWidth() + 1, line.ascent());
            painter.drawText(at, mark);
        }
    }
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    if (isReadOnly())
        return QPlainTextEdit::keyPressEvent(event);
    // Ctrl+Y redoes, as on other desktops; Qt on X11 knows only Ctrl+Shift+Z.
    if (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier) {
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
    QPlainTextEdit::keyPressEvent(event);
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
    if (isReadOnly() || !holdsBreak(event->commitString()))
        return QPlainTextEdit::inputMethodEvent(event);
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

bool TextBox::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

void TextBox::insertFromMimeData(const QMimeData* source) {
    // Plain text only: a source that also offers markdown or HTML still pastes its exact text.
    if (source && source->hasText() && !isReadOnly())
        insert(source->text());
}

QMimeData* TextBox::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto* data = new QMimeData;
    data->setText(textBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

} // namespace quorvel::runtime
