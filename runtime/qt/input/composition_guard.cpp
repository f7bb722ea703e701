#include "composition_guard.h"

#include "runtime/qt/keys.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QWidget>

namespace quorvel::runtime {

namespace {
QPointer<CompositionGuard> current;

bool holdsNothing(const QInputMethodEvent& event) {
    return event.preeditString().isEmpty() && event.commitString().isEmpty()
        && event.replacementLength() == 0;
}

bool onlyCommits(const QInputMethodEvent& event, const QString& text) {
    return event.preeditString().isEmpty() && event.replacementLength() == 0
        && event.commitString() == text;
}
} // namespace

CompositionGuard& CompositionGuard::instance() {
    if (!current)
        current = new CompositionGuard(QCoreApplication::instance());
    return *current;
}

CompositionGuard::CompositionGuard(QObject* application)
    : QObject(application) {
    connect(qApp, &QApplication::focusChanged, this, [this] {
        if (state_ == State::Late)
            disarm();
    });
    expiry_.setSingleShot(true);
    connect(&expiry_, &QTimer::timeout, this, &CompositionGuard::disarm);
}

bool CompositionGuard::admit(QWidget* box, const QInputMethodEvent& event) {
    if (entering_)
        return true;
    committed_ = nullptr;
    if (state_ == State::Ending || state_ == State::Late) {
        if (holdsNothing(event))
            return true; // ibus clears its composition before it commits it again
        const bool late = onlyCommits(event, text_);
        disarm();
        if (late)
            return false;
    }
    if (!event.preeditString().isEmpty()) {
        state_ = State::Composing;
        box_ = box;
        text_ = event.preeditString();
        return true;
    }
    if (state_ != State::Composing)
        return true;
    state_ = State::Idle;
    if (resetting_) {
        committedAtReset_ = !event.commitString().isEmpty();
    } else if (holdsNothing(event)) {
        // Removed (Escape, or Backspace over all of it), the composition stays removed: Qt's ibus
        // support keeps its own copy of the last composition (Qt 6.4 commits it at the next
        // focus change), which a reset clears.
        QGuiApplication::inputMethod()->reset();
    } else if (onlyCommits(event, text_)) {
        // Qt commits a composition itself just before it moves the focus (and then resets the
        // input method): if the focus now leaves this box, it was that.
        committed_ = box;
        QMetaObject::invokeMethod(this, &CompositionGuard::turn, Qt::QueuedConnection);
    }
    return true;
}

void CompositionGuard::end() {
    if (state_ != State::Composing)
        return;
    const QPointer<QWidget> box = box_;
    const QString text = text_;
    // An input method commits its composition when reset: fcitx5 at once; with Qt 6.4, ibus (its
    // daemon) a moment later, which is the late copy; with Qt 6.8 ibus not at all.
    committedAtReset_ = false;
    resetting_ = true;
    QGuiApplication::inputMethod()->reset();
    resetting_ = false;
    if (committedAtReset_)
        return;
    state_ = State::Idle;
    if (!box)
        return; // its window is gone, and the composition with it
    QInputMethodEvent commit;
    commit.setCommitString(text);
    entering_ = true;
    QCoreApplication::sendEvent(box, &commit);
    entering_ = false;
    arm(text);
}

void CompositionGuard::arm(const QString& text) {
    state_ = State::Ending;
    text_ = text;
    expiry_.start(deadline);
    if (handlers_ == 0)
        QMetaObject::invokeMethod(this, &CompositionGuard::turn, Qt::QueuedConnection);
}

void CompositionGuard::disarm() {
    if (state_ == State::Composing)
        return;
    state_ = State::Idle;
    text_.clear();
    expiry_.stop();
}

void CompositionGuard::turn() {
    committed_ = nullptr;
    if (state_ == State::Ending && handlers_ == 0)
        state_ = State::Late;
}

void CompositionGuard::see(QObject* watched, const QEvent& event) {
    if (!current)
        return; // nothing has been composed yet
    current->seeAction(watched, event);
}

void CompositionGuard::seeAction(QObject* watched, const QEvent& event) {
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // First seen by the window, before any widget. A click enters nothing, but may move the
        // focus: the late copy follows it.
        if (state_ == State::Composing) {
            end();
        } else if (state_ == State::Late) {
            state_ = State::Ending;
            QMetaObject::invokeMethod(this, &CompositionGuard::turn, Qt::QueuedConnection);
        }
        break;
    case QEvent::FocusAboutToChange:
    case QEvent::FocusOut:
        if (state_ == State::Composing && (watched->isWindowType() || watched == box_))
            end();
        else if (state_ == State::Idle && watched == committed_)
            arm(text_);
        break;
    case QEvent::KeyPress:
        // A modifier pressed alone changes nothing: the key it goes with does.
        if ((state_ == State::Ending || state_ == State::Late)
            && !isBareModifier(static_cast<const QKeyEvent&>(event).key()))
            disarm();
        break;
    default:
        break;
    }
}

void CompositionGuard::noteEdit() {
    if (current && current->state_ == State::Late && current->inputs_ == 0)
        current->disarm();
}

CompositionGuard::Input::Input(QWidget* box, const QInputMethodEvent& event)
    : lateCopy_(!instance().admit(box, event)) {
    ++current->inputs_;
}

CompositionGuard::Input::~Input() {
    if (current)
        --current->inputs_;
}

CompositionGuard::Ending::Ending() {
    CompositionGuard& guard = instance();
    ++guard.handlers_;
    guard.end();
}

CompositionGuard::Ending::~Ending() {
    if (current && --current->handlers_ == 0)
        current->turn();
}

} // namespace quorvel::runtime
