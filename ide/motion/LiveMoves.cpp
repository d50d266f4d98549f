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
    // Never early: a round started before the quiet time is over would only
    // wait again.
    pause_.setSingleShot(true);
    pause_.setTimerType(Qt::PreciseTimer);
    connect(&pause_, &QTimer::timeout, this, &LiveMoves::Send);
}

bool LiveMoves::Keep(int servo, int16_t value, Kind kind) {
    if (closed_ || servo < 0 || servo >= servos_) return false;
    waiting_[static_cast<size_t>(kind)][static_cast<size_t>(servo)] = value;
    kept_ = false;
    return true;
}

void LiveMoves::Put(int servo, int16_t value, Kind kind) {
    if (Keep(servo, value, kind)) Send();
}

void LiveMoves::SendOne(int servo, int16_t value, Kind kind) {
    if (Keep(servo, value, kind)) Round(Item{kind, servo});
}

void LiveMoves::Send() { Round(std::nullopt); }

void LiveMoves::Round(std::optional<Item> only) {
    if (Empty()) return;
    // Inside another exchange's wait (or the wait of this queue's own
    // round, which then takes the item on): the items wait for the link,
    // and the timer tries again.
    if (vxIO::Busy()) {
        if (retry_.interval() > 0) retry_.start();
        return;
    }
    // A frame broke off not long ago: the controller may still take bytes
    // as its rest.
    if (HoldForQuietLine()) return;
    // The sender may close or delete the window, and this queue with it:
    // the round calls its own copy of the sender, which outlives the queue.
    const QPointer<LiveMoves> alive(this);
    const Sender send = send_;
    // Whether this round only tries again what a failed one left.
    const bool again = kept_;
    bool linkWorked = true;
    for (const Kind kind : {Kind::Switch, Kind::Move}) {
        if (only && only->kind != kind) continue;
        auto& waiting = waiting_[static_cast<size_t>(kind)];
        // The one item, once (put again during its send, it waits for the
        // next round), or every waiting item of the kind in the queue's order.
        bool taken = false;
        const auto next = [&] {
            if (!only) return Next(kind);
            if (taken || !waiting[static_cast<size_t>(only->servo)]) return -1;
            taken = true;
            return only->servo;
        };
        for (int servo = next(); servo >= 0 && linkWorked; servo = next()) {
            const int16_t value = *waiting[static_cast<size_t>(servo)];
            waiting[static_cast<size_t>(servo)].reset();
            after_[static_cast<size_t>(kind)] = (servo + 1) % servos_;
            linkWorked = send(kind, servo, value);
            if (!alive) return;
            if (!linkWorked) {
                Failed(kind, servo, value, again);
                return;
            }
            // A frame broke off inside the send (one the sender made besides
            // its own, a partner's move): the rest waits for the quiet line.
            if (HoldForQuietLine()) return;
        }
    }
    kept_ = false;
}

bool LiveMoves::HoldForQuietLine() {
    if (closed_) return false;
    const int quietMs = vxIO::BrokenFrameQuietMs();
    if (quietMs <= 0) return false;
    pause_.start(quietMs);
    return true;
}

void LiveMoves::Failed(Kind kind, int servo, int16_t value, bool again) {
    if (closed_) return;
    if (again) {
        // The second failure in a row with nothing new asked for.
        DropAll();
        kept_ = false;
        return;
    }
    // The failed item waits for the next round, unless the hand has asked
    // for something newer meanwhile.
    std::optional<int16_t>& item = waiting_[static_cast<size_t>(kind)][static_cast<size_t>(servo)];
    if (!item) item = value;
    kept_ = true;
    // Without a broken frame (nothing went out, or its answer never came)
    // the next round starts on the next turn of the event queue.
    if (!HoldForQuietLine()) pause_.start(0);
}

void LiveMoves::Close() {
    closed_ = true;
    DropAll();
}

bool LiveMoves::Holding() { return vxIO::Busy() || vxIO::BrokenFrameQuietMs() > 0; }

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
    pause_.stop();
    for (auto& kind : waiting_) std::fill(kind.begin(), kind.end(), std::nullopt);
}

bool LiveMoves::Empty() const {
    for (const auto& kind : waiting_)
        if (std::any_of(kind.begin(), kind.end(), [](const auto& item) { return item.has_value(); })) return false;
    return true;
}
