#include "pending_paste.h"

#include "runtime/qt/clipboard/offer_reader.h"
#include "runtime/qt/keys.h"
#include "runtime/qt/testing.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace quorvel::runtime {

namespace {
QPointer<PendingPaste> current;
int beeps = 0;

void beep() {
    ++beeps;
    QApplication::beep();
}

} // namespace

bool pasteOnItsWay() {
    return PendingPaste::onItsWay();
}

int takeBeeps() {
    return std::exchange(beeps, 0);
}

PendingPaste& PendingPaste::instance() {
    if (!current)
        current = new PendingPaste(QCoreApplication::instance());
    return *current;
}

PendingPaste::PendingPaste(QObject* application)
    : QObject(application) {
}

PendingPaste::~PendingPaste() {
    drop();
}

bool PendingPaste::onItsWay() {
    return current && current->incoming_;
}

void PendingPaste::start(
    std::shared_ptr<IncomingText> incoming, QObject* owner, QWidget* busy, Land land) {
    settle(); // one at a time, in order
    PendingPaste& paste = instance();
    paste.incoming_ = incoming;
    paste.owner_ = owner;
    paste.land_ = std::move(land);
    paste.ownerGone_ = connect(owner, &QObject::destroyed, &paste, &PendingPaste::drop);
    paste.showBusy(busy);
    // Once it has come it goes in, from the event loop, if nothing has settled it before.
    incoming->whenFinished([&paste, key = incoming.get()] {
        QMetaObject::invokeMethod(
            &paste,
            [&paste, key] {
                if (paste.incoming_.get() == key)
                    settle();
            },
            Qt::QueuedConnection);
    });
}

void PendingPaste::settle() {
    if (!onItsWay())
        return;
    PendingPaste& paste = *current;
    // Taken out first: whatever landing the text does, it finds no paste on its way.
    const std::shared_ptr<IncomingText> incoming = std::exchange(paste.incoming_, nullptr);
    const Land land = std::exchange(paste.land_, {});
    const bool owned = !paste.owner_.isNull();
    paste.owner_ = nullptr;
    disconnect(paste.ownerGone_);
    paste.endBusy();
    if (!owned) {
        incoming->cancel();
        return;
    }
    const IncomingText::Outcome outcome = incoming->wait();
    switch (outcome.end) {
    case X11Transfer::End::Given:
        land(outcome.text);
        break;
    case X11Transfer::End::GivenUp:
        beep();
        break;
    case X11Transfer::End::NotGiven:
    case X11Transfer::End::Unreachable: // the reader asked Qt instead: Given or NotGiven
        break;
    }
}

void PendingPaste::drop() {
    if (incoming_)
        std::exchange(incoming_, nullptr)->cancel();
    land_ = {};
    owner_ = nullptr;
    disconnect(ownerGone_);
    endBusy();
}

void PendingPaste::showBusy(QWidget* busy) {
    busy_ = busy;
    if (!busy)
        return;
    hadCursor_ = busy->testAttribute(Qt::WA_SetCursor);
    cursorBefore_ = busy->cursor();
    busy->setCursor(Qt::BusyCursor);
}

void PendingPaste::endBusy() {
    if (!busy_)
        return;
    if (hadCursor_)
        busy_->setCursor(cursorBefore_);
    else
        busy_->unsetCursor();
    busy_ = nullptr;
}

bool PendingPaste::settledBy(const QEvent& event) {
    if (!onItsWay())
        return false;
    switch (event.type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
        // A modifier pressed alone does nothing yet: the key it goes with settles the paste.
        return !isBareModifier(static_cast<const QKeyEvent&>(event).key());
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        return true;
    default:
        return false;
    }
}

} // namespace quorvel::runtime
