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
// go out waits for the next round (the retry).  The sender says whether the
// link worked; a failure drops what still waits and ends the round, since
// each further item would wait for its own time-out.
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
    // Sends what waits, in one round, if the link is free; otherwise it
    // keeps waiting (and the retry timer runs).
    void Send();
    // The window closes: what waits is dropped and nothing is kept any more.
    void Close();

    // The value waiting for a servo, or nothing.
    std::optional<int16_t> Waiting(int servo, Kind kind = Kind::Move) const;

private:
    static constexpr size_t kKinds = 2;
    // The next waiting servo of a kind in the queue's order, or -1.
    int Next(Kind kind) const;
    void DropAll();
    bool Empty() const;

    const int servos_;
    const Order order_;
    const Sender send_;
    std::array<std::vector<std::optional<int16_t>>, kKinds> waiting_;
    std::array<int, kKinds> after_{};  // round-robin: where the next search starts
    QTimer retry_;
    bool closed_ = false;
};
