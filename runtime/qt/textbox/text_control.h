#pragma once

// What a text box does to its text, apart from the widget that shows it, as Qt's own
// QWidgetTextControl stands behind QPlainTextEdit: the exact text over the editor's document
// (exact_text.h), the caret history beside Qt's undo history (undo_record.h), and the one
// insertion path that every insertion takes (typing, Enter, every paste, drops, input methods,
// assistive tools, and the text-setting functions below). It works over an editor that need not be
// shown, and is tested so.
//
// A paste still on its way goes in before anything done here, where it was asked for.

#include "exact_text.h"
#include "runtime/handlers.h"
#include "undo_record.h"

#include <QObject>
#include <QString>
#include <QTextCursor>

#include <limits>
#include <new>
#include <optional>

class QMimeData;
class QPlainTextEdit;

namespace quorvel::runtime {

/// Runs a paste or drop: a text too large for the memory left is the runtime's error 7 (no
/// exception may leave a Qt event handler), and the box keeps the text it had.
template <typename F> void reportingOutOfMemory(F&& paste) {
    try {
        paste();
    } catch (const std::bad_alloc&) {
        report(RuntimeError(ErrorNumber::OutOfMemory));
    }
}

class TextControl : public QObject {
    Q_OBJECT
public:
    /// Over an editor that lives longer (the editor holds its control).
    explicit TextControl(QPlainTextEdit& editor);

    /// The exact code units between two document positions (one for each character and for each
    /// line break); from 0 to length(), the whole text.
    QString textBetween(int from, int to) const;
    /// Inserts text at the caret, replacing the selection, as one undo step.
    void insert(const QString& text);
    void insert(QStringView text) { insert(text.toString()); }
    /// The end of the text as it is when an edit is made, once a paste on its way has gone in.
    static constexpr int end = std::numeric_limits<int>::max();
    /// Replaces the text between two document positions, as one undo step. The caret stays, or
    /// goes to the position caretTo (where redoing the step puts it again).
    void replace(int from, int to, const QString& text, std::optional<int> caretTo = std::nullopt);
    /// Empties the box and its undo history.
    void clear();
    /// Undo and redo bring back the text of the state before or after an edit, and its caret and
    /// selection too.
    void undo();
    void redo();

    /// The caret and the other end of the selection, as document positions.
    Caret caret() const;
    /// Selects from one document position to another (the caret).
    void select(int anchor, int position);
    /// The number of document positions after the first: characters and line breaks.
    int length() const;
    /// A cursor from one document position to another, each kept within the text.
    QTextCursor cursorBetween(int anchor, int position) const;

    /// In a window with a default button, Enter presses that button and Ctrl+Enter breaks the line.
    bool enterPressesDefault() const { return enterPressesDefault_; }
    void setEnterPressesDefault(bool on) { enterPressesDefault_ = on; }

    // For the editor's own handling of an event.
    const ExactText& exact() const { return exact_; }
    /// An event is coming: the caret now is the caret that undoing what it edits brings back.
    void noteCaret();
    /// Qt's editor is about to edit by itself (typing or a commit without a break, which Qt may
    /// merge into the last undo step); typed is whether it types text.
    void beforeEditorEdit(bool typed);
    /// And has edited: a merged step ends where the caret is now.
    void afterEditorEdit();
    /// Pastes what a paste or drop offers at the caret: now, or once it has come from another
    /// program (then where the caret is now).
    void paste(const QMimeData& source);

signals:
    /// The text changed.
    void changed();
    /// An edit made a new undo step.
    void undoStepAdded();

private:
    /// Where Qt's undo history stands: the end of the step that undo would take back.
    int historyEnd() const;
    /// Undoes or redoes one step, and puts the caret back where it was before or after it.
    void restore(bool undoing);
    /// The text of a paste from another program has come: it goes in where the caret was then.
    void landOffered(const QTextCursor& at, const QString& text);

    QPlainTextEdit& editor_;
    ExactText exact_;
    UndoRecord record_;
    bool enterPressesDefault_ = false;
    bool edited_ = false; // the text changed since this was last cleared
    bool landing_ = false; // a paste from another program is going in
};

} // namespace quorvel::runtime
