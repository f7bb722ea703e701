#pragma once

// The program's one paste still on its way from another program, and the order of the user's
// actions around it: a paste takes its place before whatever the user does next.
//
// While the paste is on its way the window goes on painting, with a busy pointer over the box,
// and its text goes in as soon as it has come. Anything the user does before that (a key other
// than a bare modifier, a mouse button, an input method event, a context menu, a drop) and any
// click handler, however it is reached, first settles the paste: waits for it within its bound
// (no event loop runs meanwhile) and puts its text in where the caret or selection was when it
// was asked for. So at most one paste is on its way at any time. A paste given up, because the
// other program kept silent past the bound, sounds the system's beep, as an edit control does
// when it refuses input.

#include <QCursor>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace quorvel::runtime {

class IncomingText;

class PendingPaste : public QObject {
    Q_OBJECT
public:
    using Land = std::function<void(const QString& text)>;

    /// A paste of `owner`'s is on its way: `land` puts its text in once it has come. Meanwhile the
    /// busy pointer shows over `busy`. If `owner` goes first, the paste goes with it.
    static void start(
        std::shared_ptr<IncomingText> incoming, QObject* owner, QWidget* busy, Land land);
    /// Puts in the paste on its way, if there is one, once it has come or been given up.
    static void settle();
    static bool onItsWay();
    /// Whether a paste on its way goes in before this event: it is one of the user's actions (a
    /// key other than a bare modifier, a mouse button, an input method event, a context menu, a
    /// drop, a touch or a tablet press).
    static bool settledBy(const QEvent& event);

private:
    explicit PendingPaste(QObject* application);
    ~PendingPaste() override;
    static PendingPaste& instance();
    void drop();
    void showBusy(QWidget* busy);
    void endBusy();

    std::shared_ptr<IncomingText> incoming_;
    QPointer<QObject> owner_;
    Land land_;
    QMetaObject::Connection ownerGone_;
    QPointer<QWidget> busy_;
    QCursor cursorBefore_; // the busy widget's own cursor, if it had one set
    bool hadCursor_ = false;
};

} // namespace quorvel::runtime
