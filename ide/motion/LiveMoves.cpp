#include "motion/LiveMoves.h"

#include <QCursor>

#include <algorithm>
#include <utility>

#include "link/vxIO_Windows.h"

namespace {

size_t Index(LiveMoves::Kind kind) { return static_cast<size_t>(kind); }

}  // namespace

LiveMoves::LiveMoves(int servos, Order order, int retryMs, Sender send)
    : servos_(std::max(servos, 0)), order_(order), send_(std::move(send)) {
    for (auto& kind : waiting_) kind.assign(static_cast<size_t>(servos_), std::nullopt);
    for (auto& kind : asked_) kind.assign(static_cast<size_t>(servos_), 0);
    retry_.setSingleShot(true);
    retry_.setInterval(retryMs);
    if (retryMs > 0) connect(&retry_, &QTimer::timeout, this, &LiveMoves::Send);
}

bool LiveMoves::Keep(int servo, int16_t value, Kind kind) {
    if (closed_ || servo < 0 || servo >= servos_) return false;
    waiting_[Index(kind)][static_cast<size_t>(servo)] = value;
    asked_[Index(kind)][static_cast<size_t>(servo)] = ++count_;
    kept_ = false;
    if (kind == Kind::Switch) ShowWaiting();
    return true;
}

void LiveMoves::Put(int servo, int16_t value, Kind kind) {
    if (Keep(servo, value, kind)) Send();
}

void LiveMoves::SendOne(int servo, int16_t value, Kind kind) {
    if (Keep(servo, value, kind)) Round(Item{kind, servo});
}

void LiveMoves::Send() { Round(std::nullopt); }

void LiveMoves::Press(int control, Command run, Undo refuse, Undo undo) {
    if (Defers()) {
        Defer(control, std::move(run), std::move(undo));
        return;
    }
    // Started from inside another exchange's wait: nothing can be sent.
    if (vxIO::Busy()) {
        if (refuse) refuse();
        return;
    }
    if (!run) return;
    const QPointer<LiveMoves> alive(this);
    ++pressing_;
    (void)run();
    if (!alive) return;
    --pressing_;
    // A step asked for in its turn during the command's waits.
    if (!clicks_.empty()) Send();
}

void LiveMoves::InTurn(std::function<void()> run) {
    if (!run) return;
    // Behind a round or a click under way, and behind what waits; nothing
    // to wait for once the queue is closed.
    if (closed_ || (rounds_ == 0 && pressing_ == 0 && carrying_ == 0 && Empty())) {
        run();
        return;
    }
    Defer(kStep, [run = std::move(run)] {
        run();
        return true;
    });
}

void LiveMoves::Defer(int control, Command run, Undo undo) {
    if (closed_) return;
    const auto same = control == kStep ? clicks_.end()
                                       : std::find_if(clicks_.begin(), clicks_.end(),
                                                      [control](const Click& click) { return click.control == control; });
    if (same != clicks_.end()) {
        // The earlier click's undo knows what the control showed before it.
        if (same->undo) undo = std::move(same->undo);
        clicks_.erase(same);
    }
    clicks_.push_back(Click{control, ++count_, std::move(run), std::move(undo)});
    kept_ = false;
    ShowWaiting();
    Send();
}

bool LiveMoves::Defers() const {
    if (closed_) return false;
    // The steps of a click being carried out are its own; a click made from
    // inside one of its waits comes after it.
    if (carrying_ > 0) return vxIO::Busy();
    // So are those of a click running now, but not a click made from
    // inside its waits.
    if (pressing_ > 0 && !vxIO::Busy()) return false;
    return vxIO::BrokenFrameQuietMs() > 0 || !clicks_.empty();
}

bool LiveMoves::ClickWaiting(int control) const {
    if (control < 0) return !clicks_.empty();
    return std::any_of(clicks_.begin(), clicks_.end(), [control](const Click& click) { return click.control == control; });
}

void LiveMoves::ShowWaitingOn(QWidget* window) {
    window_ = window;
    cursorShown_ = false;
    ShowWaiting();
}

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
    if (WaitForQuietLine()) return;
    if (rounds_ > 0) {
        // Called at the level of a round under way (from a click it carries
        // out, or a send's own steps): that round takes on what waits, and
        // only an item a command sends on its own goes now, in its place.
        if (!only) return;
    } else if (only && !clicks_.empty()) {
        // Clicks wait: the item takes its turn behind them.
        only.reset();
    }
    // The sender may close or delete the window, and this queue with it:
    // the round calls its own copy of the sender, which outlives the queue.
    const RoundContext round{this, send_, kept_};
    ++rounds_;
    struct Leave {
        const QPointer<LiveMoves>& queue;
        ~Leave() {
            if (!queue) return;
            --queue->rounds_;
            queue->ShowWaiting();
        }
    } leave{round.alive};

    if (only) {
        // The one item, once (put again during its send, it waits for the
        // next round).
        if (waiting_[Index(only->kind)][static_cast<size_t>(only->servo)] &&
            !SendItem(only->kind, only->servo, round))
            return;
        kept_ = false;
        return;
    }
    // The items asked for before the next click, then the click, and so on.
    for (;;) {
        const uint64_t bound = clicks_.empty() ? kNoBound : clicks_.front().asked;
        if (!SendItems(bound, round)) return;
        if (clicks_.empty()) break;
        // Clicked again meanwhile: it has moved back, behind newer items.
        if (clicks_.front().asked != bound) continue;
        Click click = std::move(clicks_.front());
        clicks_.pop_front();
        ++carrying_;
        const bool worked = !click.run || click.run();
        if (!round.alive) return;
        --carrying_;
        if (closed_) return;
        if (!worked) {
            ClickFailed(round.again);
            return;
        }
        // A frame broke off inside the click: the rest waits for the quiet
        // line.
        if (WaitForQuietLine()) return;
    }
    kept_ = false;
    // A switch asked for while the moves went out: the next round.
    if (!NoItems() && retry_.interval() > 0) retry_.start();
}

bool LiveMoves::SendItems(uint64_t bound, const RoundContext& round) {
    for (int servo = Next(Kind::Switch, bound); servo >= 0; servo = Next(Kind::Switch, bound))
        if (!SendItem(Kind::Switch, servo, round)) return false;
    for (int servo = Next(Kind::Move, bound); servo >= 0; servo = Next(Kind::Move, bound)) {
        if (!SendItem(Kind::Move, servo, round)) return false;
        // The servo's switch asked for after this move follows it.
        const auto s = static_cast<size_t>(servo);
        if (waiting_[Index(Kind::Switch)][s] && asked_[Index(Kind::Switch)][s] < bound && !SwitchBehindMove(servo) &&
            !SendItem(Kind::Switch, servo, round))
            return false;
    }
    return true;
}

bool LiveMoves::SendItem(Kind kind, int servo, const RoundContext& round) {
    std::optional<int16_t>& item = waiting_[Index(kind)][static_cast<size_t>(servo)];
    const int16_t value = *item;
    item.reset();
    after_[Index(kind)] = (servo + 1) % servos_;
    const bool linkWorked = round.send(kind, servo, value);
    if (!round.alive) return false;
    if (!linkWorked) {
        Failed(kind, servo, value, round.again);
        return false;
    }
    // A frame broke off inside the send (one the sender made besides its
    // own, a partner's move): the rest waits for the quiet line.
    return !WaitForQuietLine();
}

bool LiveMoves::WaitForQuietLine() {
    if (closed_ || vxIO::BrokenFrameQuietMs() <= 0) return false;
    AfterFailure();
    return true;
}

void LiveMoves::Failed(Kind kind, int servo, int16_t value, bool again) {
    if (closed_) return;
    if (again) {
        // The second failure in a row with nothing new asked for.  Clicks
        // stay: the next round carries out the first, which tells the user
        // when the link is still down.
        DropItems();
        kept_ = false;
        if (!clicks_.empty()) AfterFailure();
        return;
    }
    // The failed item waits for the next round, unless the hand has asked
    // for something newer meanwhile.
    std::optional<int16_t>& item = waiting_[Index(kind)][static_cast<size_t>(servo)];
    if (!item) item = value;
    kept_ = true;
    AfterFailure();
}

void LiveMoves::ClickFailed(bool again) {
    if (closed_) return;
    // The command showed its box; the clicks after it go, newest first,
    // each control put back.
    const QPointer<LiveMoves> alive(this);
    while (!clicks_.empty()) {
        Click click = std::move(clicks_.back());
        clicks_.pop_back();
        if (click.undo) click.undo();
        if (!alive || closed_) return;
    }
    // The items wait for the next round, as after a failed send.
    if (NoItems()) return;
    if (again) {
        DropItems();
        kept_ = false;
        return;
    }
    kept_ = true;
    AfterFailure();
}

void LiveMoves::AfterFailure() {
    // Without a broken frame (nothing went out, or its answer never came)
    // the link calls on the next turn of the event queue.
    vxIO::WhenLineQuiet(this, [this] { Send(); });
}

void LiveMoves::Close() {
    closed_ = true;
    DropAll();
}

std::optional<int16_t> LiveMoves::Waiting(int servo, Kind kind) const {
    if (servo < 0 || servo >= servos_) return std::nullopt;
    return waiting_[Index(kind)][static_cast<size_t>(servo)];
}

bool LiveMoves::SwitchBehindMove(int servo) const {
    const auto s = static_cast<size_t>(servo);
    return waiting_[Index(Kind::Move)][s] && asked_[Index(Kind::Move)][s] < asked_[Index(Kind::Switch)][s];
}

int LiveMoves::Next(Kind kind, uint64_t bound) const {
    const auto& waiting = waiting_[Index(kind)];
    const auto& asked = asked_[Index(kind)];
    const int start = order_ == Order::RoundRobin ? after_[Index(kind)] : 0;
    for (int n = 0; n < servos_; ++n) {
        const int servo = (start + n) % servos_;
        const auto s = static_cast<size_t>(servo);
        if (!waiting[s] || asked[s] >= bound) continue;
        if (kind == Kind::Switch && SwitchBehindMove(servo)) continue;
        return servo;
    }
    return -1;
}

void LiveMoves::DropItems() {
    retry_.stop();
    for (auto& kind : waiting_) std::fill(kind.begin(), kind.end(), std::nullopt);
    ShowWaiting();
}

void LiveMoves::DropAll() {
    clicks_.clear();
    DropItems();
}

bool LiveMoves::NoItems() const {
    for (const auto& kind : waiting_)
        if (std::any_of(kind.begin(), kind.end(), [](const auto& item) { return item.has_value(); })) return false;
    return true;
}

bool LiveMoves::Empty() const { return NoItems() && clicks_.empty(); }

void LiveMoves::ShowWaiting() {
    const auto& switches = waiting_[Index(Kind::Switch)];
    const bool waiting =
        !closed_ && (!clicks_.empty() || carrying_ > 0 ||
                     std::any_of(switches.begin(), switches.end(), [](const auto& item) { return item.has_value(); }));
    if (waiting == cursorShown_) return;
    cursorShown_ = waiting;
    if (!window_) return;
    if (waiting)
        window_->setCursor(Qt::BusyCursor);
    else
        window_->unsetCursor();
}
