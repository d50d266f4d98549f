#include "motion/LiveMoves.h"

#include <QPointer>

#include <algorithm>
#include <utility>

#include "link/vxIO.h"

LiveMoves::LiveMoves(int servos, Order order, int retryMs, Sender send)
    : servos_(std::max(servos, 0)), order_(order), send_(std::move(send)) {
    for (auto& kind : waiting_) kind.assign(static_cast<size_t>(servos_), std::nullopt);
    retry_.setSingleShot(true);
    retry_.setInterval(retryMs);
    if (retryMs > 0) connect(&retry_, &QTimer::timeout, this, &LiveMoves::Send);
}

void LiveMoves::Put(int servo, int16_t value, Kind kind) {
    if (closed_ || servo < 0 || servo >= servos_) return;
    waiting_[static_cast<size_t>(kind)][static_cast<size_t>(servo)] = value;
    Send();
}

void LiveMoves::Send() {
    if (Empty()) return;
    // Inside another exchange's wait (or the wait of this queue's own
    // round, which then takes the item on): the items wait for the link,
    // and the timer tries again.
    if (vxIO::Busy()) {
        if (retry_.interval() > 0) retry_.start();
        return;
    }
    // The sender may close or delete the window, and this queue with it:
    // the round calls its own copy of the sender, which outlives the queue.
    const QPointer<LiveMoves> alive(this);
    const Sender send = send_;
    bool linkWorked = true;
    for (const Kind kind : {Kind::Switch, Kind::Move}) {
        auto& waiting = waiting_[static_cast<size_t>(kind)];
        for (int servo = Next(kind); servo >= 0 && linkWorked; servo = Next(kind)) {
            const int16_t value = *waiting[static_cast<size_t>(servo)];
            waiting[static_cast<size_t>(servo)].reset();
            after_[static_cast<size_t>(kind)] = (servo + 1) % servos_;
            linkWorked = send(kind, servo, value);
            if (!alive) return;
        }
    }
    if (!linkWorked) DropAll();
}

void LiveMoves::Close() {
    closed_ = true;
    DropAll();
}

std::optional<int16_t> LiveMoves::Waiting(int servo, Kind kind) const {
    if (servo < 0 || servo >= servos_) return std::nullopt;
    return waiting_[static_cast<size_t>(kind)][static_cast<size_t>(servo)];
}

int LiveMoves::Next(Kind kind) const {
    const auto& waiting = waiting_[static_cast<size_t>(kind)];
    const int start = order_ == Order::RoundRobin ? after_[static_cast<size_t>(kind)] : 0;
    for (int n = 0; n < servos_; ++n) {
        const int servo = (start + n) % servos_;
        if (waiting[static_cast<size_t>(servo)]) return servo;
    }
    return -1;
}

void LiveMoves::DropAll() {
    retry_.stop();
    for (auto& kind : waiting_) std::fill(kind.begin(), kind.end(), std::nullopt);
}

bool LiveMoves::Empty() const {
    for (const auto& kind : waiting_)
        if (std::any_of(kind.begin(), kind.end(), [](const auto& item) { return item.has_value(); })) return false;
    return true;
}
