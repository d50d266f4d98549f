// LiveMoves: what a motion window's controls ask of their servos while the
// controller link is busy, kept until it is free.
//
// A knob, slider or zero box changed while another exchange waits for the
// controller cannot send at once (vxIO allows one exchange at a time).  The
// queue keeps one item per servo and kind, the latest: a value put again
// replaces the one waiting, so a servo follows the hand once the link is
// free instead of replaying every step it missed.  What waits is sent by a
// round that starts when the window puts an item or calls Send() (at the end
// of each of its own exchanges) and, with a retry interval, by a timer that
// tries again while the link stays busy.  Closing the window drops it all.
//
// A round sends the switches first (a servo's power check box: switching on
// captures the servo, which sets its position), then the moves.  Within a
// kind it takes the lowest servo each time, or, in round-robin order, the
// next servo after the one sent last, so that one servo turned on and on
// does not hold back the others.  An item put while the round waits joins it
// when its kind is still to come or under way; a switch put while the moves
// go out waits for the next round (the retry).  One exception keeps the
// hand's order for a servo: a switch asked for after a move of the same
// servo (the item as last put) waits for that move and goes right after it,
// so a motor just switched off is not moved by what was asked before.
//
// Clicks that cannot run now (Defer): while a frame that broke off keeps the
// line quiet, a window's key or check box would only send into that frame,
// and refusing it would drop the user's click.  The window hands the queue
// the click's command instead, and the round carries it out once the link
// is free and the line quiet, from the queue's own timer or round at the
// level where no exchange waits.  Clicks go in the order they were made, and
// each one after every item asked for before it and before every item asked
// for after it (an item put again counts from its latest put).  A click of a
// control whose earlier click still waits takes that one's turn at the end
// (its command reads the control as it is when it runs); clicks made while
// others wait, or from inside the wait of one being carried out, wait their
// turn too.  While clicks wait (a click's command or a switch item), the
// window shows the busy cursor.  A command that fails on the link shows its
// box as the click would; the clicks after it are then dropped, each undone
// (newest first) so that its control shows what the controller has again.
//
// The sender says whether the link worked.  A failure ends the round: a
// frame that broke off may leave the controller waiting for its rest, and
// the next frame's bytes would complete it (a move's command byte taken as
// the broken move's position).  So nothing goes out until the link says the
// line is quiet again (vxIO::BrokenFrameQuietMs: the reply time-out after
// the failing byte); a pause timer then starts the next round.  Meanwhile
// the controls keep following the hand, and what they ask for collapses as
// always, one item per servo and kind, the latest; the failed item waits
// too, unless a newer one took its place, so that after the pause each
// servo is sent the last position asked for and agrees with its control
// again.  A round that fails once more before anything new was asked for
// drops the items that wait (the link looks dead; the next item asked for
// tries again); clicks stay, and the first one tells the user with its box.
// The same pause holds the queue after a frame that another exchange broke
// off, and a round ends at once when a frame broke off inside one of its
// sends or clicks.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

class LiveMoves : public QObject {
public:
    enum class Kind { Switch, Move };
    enum class Order { LowestFirst, RoundRobin };

    // The value of an item that takes the servo's value from the window
    // when it goes out.
    static constexpr int16_t kShown = -1;

    // Sends one item; false when the link failed.
    using Sender = std::function<bool(Kind kind, int servo, int16_t value)>;
    // A click's command, carried out later: false when it failed on the
    // link and showed its box (the clicks after it are then dropped).
    using Command = std::function<bool()>;
    // Puts a dropped click's control back to what the controller has.
    using Undo = std::function<void()>;

    // `servos` servos, numbered from 0; `retryMs` 0 for no retry timer.
    LiveMoves(int servos, Order order, int retryMs, Sender send);

    // Keeps the item, replacing the one of the same servo and kind, then
    // sends what waits if the link is free.  Ignored for a servo outside
    // the range and once the queue is closed.
    void Put(int servo, int16_t value = kShown, Kind kind = Kind::Move);
    // The same, but when the link is free only this item goes out now, on
    // its own: a window's own step (a slider it sets as part of a command)
    // goes in its place among the command's bytes, and what the hand asked
    // for during the command's waits follows with the next round.  While
    // clicks wait, the item takes its turn behind them instead.
    void SendOne(int servo, int16_t value = kShown, Kind kind = Kind::Move);
    // Sends what waits, in one round, if the link is free and the line
    // quiet; otherwise it keeps waiting (and the retry or pause timer runs).
    void Send();
    // The window closes: what waits is dropped (clicks without their undo)
    // and nothing is kept any more.
    void Close();

    // Whether a click made now waits its turn (Defer) instead of running:
    // a frame that broke off keeps the line quiet, or clicks made earlier
    // still wait.  While the queue carries out a click, that click's own
    // steps run at once, and a click from inside one of its waits queues.
    bool Defers() const;
    // Keeps a click's command (see above); `control` names the control
    // clicked, so that a second click of it takes the first one's turn (the
    // undo of the first is kept: it knows what the control showed before).
    // Ignored once the queue is closed.
    void Defer(int control, Command run, Undo undo = {});
    // A key's click: while clicks wait their turn it is kept as one more
    // (its command counts as done), while another exchange waits it does
    // nothing, and otherwise it runs now.
    void Press(int control, const std::function<void()>& run);
    // Whether a click waits: any, or that of `control`.
    bool ClickWaiting(int control = -1) const;

    // The window over which the busy cursor shows while clicks wait.
    void ShowWaitingOn(QWidget* window);

    // Whether a command started now would have to wait: the link is busy,
    // or a frame that broke off keeps the line quiet.
    static bool Holding();

    // The value waiting for a servo, or nothing.
    std::optional<int16_t> Waiting(int servo, Kind kind = Kind::Move) const;

private:
    static constexpr size_t kKinds = 2;
    static constexpr uint64_t kNoBound = UINT64_MAX;
    struct Item {
        Kind kind;
        int servo;
    };
    struct Click {
        int control;
        uint64_t asked;  // when it was clicked (the queue's count)
        Command run;
        Undo undo;
    };
    // What a round runs with: the queue may go during a send.
    struct RoundContext {
        QPointer<LiveMoves> alive;
        Sender send;
        bool again;  // the round only tries again what a failed one left
    };
    // Keeps an item (false when it is ignored).
    bool Keep(int servo, int16_t value, Kind kind);
    // A round: every waiting item and click, or only `only`.
    void Round(std::optional<Item> only);
    // The items asked for before `bound`, switches then moves; false when
    // the round ends (a failure, a quiet line, the queue gone).
    bool SendItems(uint64_t bound, const RoundContext& round);
    // Sends one waiting item; false when the round ends.
    bool SendItem(Kind kind, int servo, const RoundContext& round);
    // The next waiting servo of a kind asked for before `bound`, in the
    // queue's order, or -1; a switch behind a move of its servo is left out.
    int Next(Kind kind, uint64_t bound = kNoBound) const;
    // Whether servo's switch waits behind a move of the servo asked before.
    bool SwitchBehindMove(int servo) const;
    // While a frame that broke off keeps the line quiet: starts the pause
    // timer for the rest of that time and returns true.
    bool HoldForQuietLine();
    // After the sender's failure with this item; `again` when the round
    // only tried again what a failed one had left.
    void Failed(Kind kind, int servo, int16_t value, bool again);
    // After a click's command failed: the clicks after it are undone.
    void ClickFailed(bool again);
    // A failure with nothing kept left: the next round soon, or none.
    void AfterFailure();
    void DropItems();
    void DropAll();
    bool Empty() const;
    bool NoItems() const;
    // The busy cursor, shown while clicks wait.
    void ShowWaiting();

    const int servos_;
    const Order order_;
    const Sender send_;
    std::array<std::vector<std::optional<int16_t>>, kKinds> waiting_;
    std::array<std::vector<uint64_t>, kKinds> asked_;  // when each item was put last
    std::array<int, kKinds> after_{};  // round-robin: where the next search starts
    std::deque<Click> clicks_;
    uint64_t count_ = 0;  // counts what is asked for, in order
    int rounds_ = 0;      // rounds under way (a nested one sends its one item)
    int carrying_ = 0;    // clicks being carried out
    QTimer retry_;
    QTimer pause_;  // the line's quiet time after a broken frame
    QPointer<QWidget> window_;
    bool cursorShown_ = false;
    // What waits was kept from a failed round, and nothing was put since.
    bool kept_ = false;
    bool closed_ = false;
};
