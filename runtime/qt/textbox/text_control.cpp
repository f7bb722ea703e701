#include "text_control.h"

#include "runtime/qt/clipboard/offer_reader.h"
#include "runtime/qt/input/composition_guard.h"
#include "runtime/qt/input/pending_paste.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTextDocument>

#include <algorithm>
#include <optional>

namespace quorvel::runtime {

TextControl::TextControl(QPlainTextEdit& editor)
    : editor_(editor)
    , exact_(*editor.document()) {
    QTextDocument* document = editor.document();
    connect(document, &QTextDocument::contentsChange, this, [this] {
        edited_ = true;
        if (!landing_) // a paste the user asked for before, not an edit after the composition
            CompositionGuard::noteEdit();
    });
    connect(document, &QTextDocument::undoCommandAdded, this, [this] {
        record_.stepAdded(historyEnd(), caret());
        emit undoStepAdded();
    });
    connect(document, &QTextDocument::contentsChanged, this, &TextControl::changed);
    connect(&editor, &QPlainTextEdit::cursorPositionChanged, this, &TextControl::noteCaret);
    connect(&editor, &QPlainTextEdit::selectionChanged, this, &TextControl::noteCaret);
}

QString TextControl::textBetween(int from, int to) const {
    return exact_.between(from, to);
}

void TextControl::insert(const QString& text) {
    PendingPaste::settle();
    // A whole book takes a moment: show it.
    constexpr qsizetype large = 1 << 20;
    std::optional<QScopeGuard<void (*)()>> busy;
    if (text.size() >= large) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        busy.emplace(&QGuiApplication::restoreOverrideCursor);
    }
    QTextDocument* document = editor_.document();
    QTextCursor cursor = editor_.textCursor();
    const int steps = document->availableUndoSteps();
    cursor.beginEditBlock();
    try {
        exact_.insert(cursor, text);
    } catch (...) {
        // Memory ran out part of the way: take back what went in.
        cursor.endEditBlock();
        if (document->availableUndoSteps() > steps)
            undo();
        document->clearUndoRedoStacks(QTextDocument::RedoStack);
        throw;
    }
    cursor.endEditBlock();
    // The editor's own caret has moved along with the insertion. A drop inserts inside an edit
    // of Qt's own, whose layout is not done yet: scroll to the caret once it is.
    QMetaObject::invokeMethod(&editor_, &QPlainTextEdit::ensureCursorVisible, Qt::QueuedConnection);
}

void TextControl::replace(int from, int to, const QString& text, std::optional<int> caretTo) {
    PendingPaste::settle();
    record_.settle(caret());
    QTextCursor cursor = cursorBetween(from, to);
    cursor.beginEditBlock();
    exact_.insert(cursor, text);
    cursor.endEditBlock();
    if (caretTo) {
        editor_.setTextCursor(cursorBetween(*caretTo, *caretTo));
        record_.stepExtended(historyEnd(), caret());
    }
}

void TextControl::clear() {
    replace(0, end, QString(), 0);
    editor_.document()->clearUndoRedoStacks();
}

Caret TextControl::caret() const {
    const QTextCursor cursor = editor_.textCursor();
    return { cursor.position(), cursor.anchor() };
}

QTextCursor TextControl::cursorBetween(int anchor, int position) const {
    const int end = length();
    QTextCursor cursor(editor_.document());
    cursor.setPosition(std::clamp(anchor, 0, end));
    cursor.setPosition(std::clamp(position, 0, end), QTextCursor::KeepAnchor);
    return cursor;
}

void TextControl::select(int anchor, int position) {
    PendingPaste::settle();
    editor_.setTextCursor(cursorBetween(anchor, position));
}

int TextControl::historyEnd() const {
    return editor_.document()->availableUndoSteps();
}

int TextControl::length() const {
    return editor_.document()->characterCount() - 1;
}

void TextControl::noteCaret() {
    record_.settle(caret());
}

void TextControl::beforeEditorEdit(bool typed) {
    // Typed text next to a break would take on the break's format; it gets the plain one.
    if (typed && !editor_.textCursor().hasSelection())
        editor_.setCurrentCharFormat(QTextCharFormat());
    edited_ = false;
}

void TextControl::afterEditorEdit() {
    // Qt makes typing that goes on one undo step: it ends where the caret is now.
    if (edited_)
        record_.stepExtended(historyEnd(), caret());
}

void TextControl::undo() {
    restore(true);
}

void TextControl::redo() {
    restore(false);
}

void TextControl::restore(bool undoing) {
    PendingPaste::settle();
    QTextDocument* document = editor_.document();
    if (!(undoing ? document->isUndoAvailable() : document->isRedoAvailable()))
        return;
    const int undone = historyEnd(); // the end of the step that undoing takes back
    record_.setRestoring(true);
    undoing ? editor_.undo() : editor_.redo();
    record_.setRestoring(false);
    if (const std::optional<Caret> back
        = undoing ? record_.before(undone) : record_.after(historyEnd())) {
        editor_.setTextCursor(cursorBetween(back->anchor, back->position));
        record_.settle(caret());
    }
}

void TextControl::paste(const QMimeData& source) {
    reportingOutOfMemory([&] {
        Offer offer = readOffer(source);
        if (!offer.incoming)
            return insert(offer.text);
        // From another program, on its way: it goes in where the caret is now.
        PendingPaste::start(std::move(offer.incoming), &editor_, editor_.viewport(),
            [this, at = editor_.textCursor()](const QString& text) { landOffered(at, text); });
    });
}

void TextControl::landOffered(const QTextCursor& at, const QString& text) {
    const QScopedValueRollback landing(landing_, true);
    editor_.setTextCursor(at);
    record_.settle(caret());
    if (!editor_.isReadOnly())
        reportingOutOfMemory([&] { insert(text); });
}

} // namespace quorvel::runtime
