// A paste from another X11 program: Qt would transfer the text itself, blocking the window while
// the owner answers, and decode it with a decoder that drops a leading byte-order mark; asking the
// owner a second time for the bytes would find an owner that serves once gone, or a different
// text. So the text is transferred here, once, by transferX11Text() on a thread of its own, and
// its bytes are decoded once, on the user-interface thread. The thread owns a share of its
// IncomingText and is never waited for: a transfer given up or no longer wanted is cancelled, and
// its thread ends by itself soon after.

#include "offer_reader.h"

#include "offered_text.h"
#include "runtime/qt/testing.h"
#include "x11_display.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <system_error>
#include <thread>

namespace quorvel::runtime {

namespace {
std::function<std::shared_ptr<IncomingText>(const QMimeData&)> transferForTests;

QClipboard::Mode modeOf(X11Selection selection) {
    return selection == X11Selection::Primary ? QClipboard::Selection : QClipboard::Clipboard;
}

// The selection that `source` is Qt's data for, when another X11 program owns it.
std::optional<X11Selection> foreignSelection(const QMimeData& source) {
    if (QGuiApplication::platformName() != u"xcb")
        return std::nullopt;
    QClipboard* clipboard = QGuiApplication::clipboard();
    for (const X11Selection selection : { X11Selection::Clipboard, X11Selection::Primary }) {
        const QClipboard::Mode mode = modeOf(selection);
        if (&source != clipboard->mimeData(mode))
            continue;
        const bool ours = mode == QClipboard::Clipboard ? clipboard->ownsClipboard()
                                                        : clipboard->ownsSelection();
        return ours ? std::nullopt : std::optional(selection);
    }
    return std::nullopt;
}

} // namespace

void setTransferForTests(std::function<std::shared_ptr<IncomingText>(const QMimeData&)> start) {
    transferForTests = std::move(start);
}

void IncomingText::finish(X11Transfer result) {
    const std::lock_guard lock(mutex_);
    result_ = std::move(result);
    finished_.notify_all();
    if (notify_)
        std::exchange(notify_, {})();
}

void IncomingText::whenFinished(std::function<void()> notify) {
    std::unique_lock lock(mutex_);
    if (!result_) {
        notify_ = std::move(notify);
        return;
    }
    lock.unlock();
    notify();
}

void IncomingText::cancel() {
    {
        const std::lock_guard lock(mutex_);
        notify_ = {};
    }
    bound_.cancel();
}

IncomingText::Outcome IncomingText::wait() {
    std::unique_lock lock(mutex_);
    // The bound moves on while the owner keeps answering: wait to the deadline as it is then.
    while (!result_ && TransferBound::Clock::now() < bound_.deadline())
        finished_.wait_until(lock,
            std::min(bound_.deadline(), TransferBound::Clock::now() + TransferBound::pollSlice));
    if (!result_) {
        lock.unlock();
        cancel();
        return { X11Transfer::End::GivenUp, {} };
    }
    const X11Transfer result = std::move(*result_);
    lock.unlock();
    switch (result.end) {
    case X11Transfer::End::Given:
        if (QString text
            = textOfBytes(QByteArrayView(result.bytes.data(), qsizetype(result.bytes.size())),
                QByteArrayView(result.type.data(), qsizetype(result.type.size())));
            !text.isNull())
            return { X11Transfer::End::Given, std::move(text) };
        break;
    case X11Transfer::End::Unreachable: // as good as Qt can do
        if (const QMimeData* data = QGuiApplication::clipboard()->mimeData(modeOf(selection_)))
            return { X11Transfer::End::Given, offeredText(*data) };
        break;
    case X11Transfer::End::GivenUp:
    case X11Transfer::End::NotGiven:
        return { result.end, {} };
    }
    return { X11Transfer::End::NotGiven, {} };
}

bool isOtherProgramsOffer(const QMimeData& source) {
    return foreignSelection(source).has_value();
}

Offer readOffer(const QMimeData& source) {
    if (transferForTests)
        if (std::shared_ptr<IncomingText> incoming = transferForTests(source))
            return { {}, std::move(incoming) };
    const std::optional<X11Selection> selection = foreignSelection(source);
    if (!selection)
        return { offeredText(source), nullptr };
    auto incoming = std::make_shared<IncomingText>(*selection);
    try {
        std::thread([incoming, display = x11DisplayName()] {
            incoming->finish(transferX11Text(display.empty() ? nullptr : display.c_str(),
                incoming->selection(), incoming->bound()));
        }).detach();
    } catch (const std::system_error&) {
        return { offeredText(source), nullptr }; // no thread to be had: Qt transfers the text
    }
    return { {}, std::move(incoming) };
}

} // namespace quorvel::runtime
