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
// go out waits for the next round (the retry).
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
// drops what waits (the link looks dead; the next item asked for tries
// again).  The same pause holds the queue after a frame that another
// exchange broke off, and a round ends at once when a frame broke off
// inside one of its sends.
#pragma once

#include <QObject>
#include <QTimer>

#include <array>
#include <cstdint>
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

    // `servos` servos, numbered from 0; `retryMs` 0 for no retry timer.
    LiveMoves(int servos, Order order, int retryMs, Sender send);

    // Keeps the item, replacing the one of the same servo and kind, then
    // sends what waits if the link is free.  Ignored for a servo outside
    // the range and once the queue is closed.
    void Put(int servo, int16_t value = kShown, Kind kind = Kind::Move);
    // The same, but when the link is free only this item goes out now, on
    // its own: a window's own step (a slider it sets as part of a command)
    // goes in its place among the command's bytes, and what the hand asked
    // for during the command's waits follows with the next round.
    void SendOne(int servo, int16_t value = kShown, Kind kind = Kind::Move);
    // Sends what waits, in one round, if the link is free and the line
    // quiet; otherwise it keeps waiting (and the retry or pause timer runs).
    void Send();
    // The window closes: what waits is dropped and nothing is kept any more.
    void Close();

    // Whether a command started now would have to wait: the link is busy,
    // or a frame that broke off keeps the line quiet.
    static bool Holding();

    // The value waiting for a servo, or nothing.
    std::optional<int16_t> Waiting(int servo, Kind kind = Kind::Move) const;

private:
    static constexpr size_t kKinds = 2;
    struct Item {
        Kind kind;
        int servo;
    };
    // Keeps an item (false when it is ignored).
    bool Keep(int servo, int16_t value, Kind kind);
    // A round: every waiting item, or only `only`.
    void Round(std::optional<Item> only);
    // The next waiting servo of a kind in the queue's order, or -1.
    int Next(Kind kind) const;
    // While a frame that broke off keeps the line quiet: starts the pause
    // timer for the rest of that time and returns true.
    bool HoldForQuietLine();
    // After the sender's failure with this item; `again` when the round
    // only tried again what a failed one had left.
    void Failed(Kind kind, int servo, int16_t value, bool again);
    void DropAll();
    bool Empty() const;

    const int servos_;
    const Order order_;
    const Sender send_;
    std::array<std::vector<std::optional<int16_t>>, kKinds> waiting_;
    std::array<int, kKinds> after_{};  // round-robin: where the next search starts
    QTimer retry_;
    QTimer pause_;  // the line's quiet time after a broken frame
    // What waits was kept from a failed round, and nothing was put since.
    bool kept_ = false;
    bool closed_ = false;
};
