#include "transfer_bound.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>

namespace quorvel::runtime {

TransferBound::TransferBound()
    : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
}

TransferBound::~TransferBound() {
    if (fd_ >= 0)
        close(fd_);
}

TransferBound::Clock::time_point TransferBound::deadline() const {
    const Clock::time_point heard { Clock::duration(heard_.load(std::memory_order_relaxed)) };
    return std::min(heard + silence, start_ + ceiling);
}

void TransferBound::cancel() {
    cancelled_.store(true, std::memory_order_release);
    if (fd_ >= 0)
        eventfd_write(fd_, 1);
}

} // namespace quorvel::runtime
