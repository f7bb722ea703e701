#pragma once

// The program's one guard over input method compositions, between the input method and the text
// boxes: whatever ends a composition, it is entered exactly once, in the box where it was composed.
//
// The input method ends a composition itself by committing it (Return, a converted segment) or
// clearing it (Escape). Anything else that ends one (a click anywhere in the program, in the box
// or not; a click handler, an accessibility Press too; the focus leaving the box; its window going
// inactive) is seen here first: the guard resets the input method, which fcitx5 answers by
// committing at once, and otherwise enters the text itself before the click or focus change goes
// on. (Qt's own commit just before a focus change counts as such an ending too.) With Qt 6.4, ibus
// then sends the same text again a moment later, through the program's one input context into
// whatever box has the focus by then: that late copy is dropped, and nothing else is. Qt 6.5 and
// later ask ibus to leave the committing to them (ClientCommitPreedit), and no copy comes; the
// guard waits for one all the same, and drops only what does come, so it needs no version check:
// the same text again with nothing in between, within the deadline.
//
//   Idle         -- the input method shows a composition ------------------> Composing
//   Composing    -- the input method commits or clears it -----------------> Idle
//   Composing    -- ended otherwise, the text entered in its box -----------> Ending
//   Ending       -- the click, focus change or handler has been handled ----> Late
//   Late         -- a click, which may move the focus (the copy follows) ---> Ending
//   Ending, Late -- an input method event with nothing in it ---------------> (unchanged)
//   Ending, Late -- exactly the text entered, committed again: dropped -----> Idle
//   Ending, Late -- any other input method event, a key, the deadline ------> Idle
//   Late         -- an edit of any box, a focus change ---------------------> Idle
//
// A modifier key pressed alone is no key here, and a paste the user asked for before the ending,
// going in now, no edit.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>

class QInputMethodEvent;
class QWidget;

namespace quorvel::runtime {

class CompositionGuard : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Composing, Ending, Late };
    /// How long after an ending a copy of the text from the input method counts as a late one.
    /// ibus's copy comes within milliseconds (a D-Bus round trip, about 5 ms here); typing the
    /// word again takes anyone far longer, and shows a composition first.
    static constexpr std::chrono::milliseconds deadline { 500 };

    /// The guard of the running application, made at its first use.
    static CompositionGuard& instance();
    State state() const { return state_; }

    /// An input method event, for as long as a box handles it.
    class Input {
    public:
        Input(QWidget* box, const QInputMethodEvent& event);
        ~Input();
        Input(const Input&) = delete;
        Input& operator=(const Input&) = delete;
        /// The input method's late copy of a composition already entered: the box drops it.
        bool isLateCopy() const { return lateCopy_; }

    private:
        bool lateCopy_;
    };

    /// For as long as a click handler runs: what is being composed is entered before the handler
    /// reads the text, and the handler's own edits and focus changes are part of that ending.
    class Ending {
    public:
        Ending();
        ~Ending();
        Ending(const Ending&) = delete;
        Ending& operator=(const Ending&) = delete;
    };

    /// The text of a box changed.
    static void noteEdit();

    /// One of the user's actions, before Qt acts on it (user_actions.h): a click or a focus change
    /// may end a composition; a key ends the wait for a late copy.
    static void see(QObject* watched, const QEvent& event);

private:
    explicit CompositionGuard(QObject* application);
    /// Whether an input method event goes on into its box; false for the late copy.
    bool admit(QWidget* box, const QInputMethodEvent& event);
    void end();
    void arm(const QString& text);
    void disarm();
    /// Runs once the event being handled, and the events it sent, are done.
    void turn();
    void seeAction(QObject* watched, const QEvent& event);

    State state_ = State::Idle;
    QPointer<QWidget> box_; // where the composition is shown
    QString text_; // what is being composed, or what was entered when it ended
    QPointer<QWidget> committed_; // the input method committed all of text_ here, in this turn
    QTimer expiry_;
    int handlers_ = 0; // click handlers running
    int inputs_ = 0; // input method events being handled by a box
    bool resetting_ = false; // the input method is being reset
    bool committedAtReset_ = false; // and committed the composition itself
    bool entering_ = false; // the guard is entering a composition
};

} // namespace quorvel::runtime
