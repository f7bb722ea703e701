// A paste from another X11 program: Qt would transfer the text itself, blocking the window while
// the owner answers, and decode it with a decoder that drops a leading byte-order mark; asking the
// owner a second time for the bytes would find an owner that serves once gone, or a different
// text. So the text is transferred here, once, by transferX11Text() on a thread of its own, and
// its bytes are decoded once; the thread hands the result back through the event loop. A
// transfer still under way when the reader goes (its box is unloaded, the program ends) is
// cancelled at once.

#include "offer_reader.h"

#include "offered_text.h"
#include "x11_offer.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMimeData>
#include <QWidget>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <system_error>
#include <thread>

namespace quorvel::runtime {

struct OfferReader::Transfer {
    X11Selection selection;
    int cancel = eventfd(0, EFD_CLOEXEC);
    X11Transfer result; // written by the thread, read once it has ended
    std::thread thread;

    explicit Transfer(X11Selection which)
        : selection(which) { }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    ~Transfer() {
        if (thread.joinable()) {
            eventfd_write(cancel, 1);
            thread.join();
        }
        if (cancel >= 0)
            close(cancel);
    }
};

namespace {
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

std::string displayName() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11DisplayName(x11 ? x11->display() : nullptr);
}
} // namespace

OfferReader::OfferReader(QWidget* busy, QObject* parent)
    : QObject(parent)
    , busy_(busy) {
}

OfferReader::~OfferReader() = default; // each transfer under way is cancelled and waited for

void OfferReader::read(const QMimeData& source) {
    const std::optional<X11Selection> selection = foreignSelection(source);
    if (!selection) {
        emit textRead(offeredText(source));
        return;
    }
    auto transfer = std::make_unique<Transfer>(*selection);
    Transfer* under = transfer.get();
    const auto deadline = std::chrono::steady_clock::now() + bound;
    try {
        transfer->thread = std::thread([this, under, deadline, display = displayName()] {
            under->result = transferX11Text(display.empty() ? nullptr : display.c_str(),
                under->selection, deadline, under->cancel);
            QMetaObject::invokeMethod(
                this, [this, under] { finish(under); }, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        emit textRead(offeredText(source)); // no thread to be had: Qt transfers the text
        return;
    }
    if (transfers_.empty() && busy_) {
        hadCursor_ = busy_->testAttribute(Qt::WA_SetCursor);
        cursorBefore_ = busy_->cursor();
        busy_->setCursor(Qt::BusyCursor);
    }
    transfers_.push_back(std::move(transfer));
}

void OfferReader::finish(Transfer* transfer) {
    const auto found = std::find_if(transfers_.begin(), transfers_.end(),
        [transfer](const std::unique_ptr<Transfer>& t) { return t.get() == transfer; });
    if (found == transfers_.end())
        return;
    const std::unique_ptr<Transfer> ended = std::move(*found);
    transfers_.erase(found);
    ended->thread.join();
    if (transfers_.empty() && busy_) {
        if (hadCursor_)
            busy_->setCursor(cursorBefore_);
        else
            busy_->unsetCursor();
    }
    const X11Transfer& result = ended->result;
    switch (result.end) {
    case X11Transfer::End::Given:
        if (const QString text
            = textOfBytes(QByteArrayView(result.bytes.data(), qsizetype(result.bytes.size())),
                QByteArrayView(result.type.data(), qsizetype(result.type.size())));
            !text.isNull())
            emit textRead(text);
        break;
    case X11Transfer::End::Unreachable: // as good as Qt can do
        if (const QMimeData* data
            = QGuiApplication::clipboard()->mimeData(modeOf(ended->selection)))
            emit textRead(offeredText(*data));
        break;
    case X11Transfer::End::NotGiven:
        break;
    }
}

} // namespace quorvel::runtime
