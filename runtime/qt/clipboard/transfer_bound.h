#pragma once

// How long a transfer from another program may wait, measured where it runs and where it is
// waited for alike, and the way to cancel it from another thread. Neither Qt nor X11 is involved.

#include <atomic>
#include <chrono>

namespace quorvel::runtime {

class TransferBound {
public:
    using Clock = std::chrono::steady_clock;
    /// The longest the other program may keep silent: from the start, and again from each of its
    /// answers (each piece of a large text is one), so that a large text still coming is not cut.
    static constexpr std::chrono::milliseconds silence { 5000 };
    /// The longest a whole transfer may take, however the pieces keep coming.
    static constexpr std::chrono::milliseconds ceiling { 60'000 };

    TransferBound();
    ~TransferBound();
    TransferBound(const TransferBound&) = delete;
    TransferBound& operator=(const TransferBound&) = delete;

    /// The other program answered: its silence starts again.
    void heard() {
        heard_.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
    }
    /// When the transfer is to be given up, as things stand.
    Clock::time_point deadline() const;

    /// Cancels the transfer; from any thread.
    void cancel();
    bool cancelled() const { return cancelled_.load(std::memory_order_acquire); }
    /// A file descriptor that becomes readable once cancelled, for a wait in poll(); -1 when none
    /// could be made, and then cancelled() is to be asked at least every pollSlice.
    int cancelFd() const { return fd_; }
    static constexpr std::chrono::milliseconds pollSlice { 50 };

private:
    const Clock::time_point start_ = Clock::now();
    std::atomic<Clock::rep> heard_ { start_.time_since_epoch().count() };
    std::atomic<bool> cancelled_ { false };
    int fd_;
};

} // namespace quorvel::runtime
