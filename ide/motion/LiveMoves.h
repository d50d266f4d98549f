// LiveMoves: what a motion window's controls ask of the controller while the
// link cannot take it now, kept until it can.
//
// Items: a knob, slider or zero box changed while another exchange waits for
// the controller (vxIO allows one at a time) is kept as one item per servo
// and kind (a power switch, a move), the latest: a value put again replaces
// the one waiting, so a servo follows the hand once the link is free instead
// of replaying every step it missed.  A round sends what waits, the switches
// first, then the moves, each kind lowest servo first or round robin; a
// switch asked for after a move of the same servo goes right after that
// move, so a motor just switched off is not moved by what was asked before.
// Rounds start when an item is put, when the window calls Send() (at the end
// of each of its own exchanges), from the retry timer while the link stays
// busy, and when the link tells the queue that the line is quiet again.
//
// Clicks: a key or check box whose command talks to the controller goes
// through Press.  It runs now when it can; while another exchange waits it
// is refused (its control put back); while a frame that broke off keeps the
// line quiet, or clicks made earlier still wait, it waits its turn (Defer)
// under the busy cursor, and a round carries it out after every item asked
// for before it and before every item asked for after it.  A second click of
// a control takes the first one's turn.  A command that fails on the link
// shows its box; the clicks after it are dropped, each undone (newest first)
// so that its control shows what the controller has again.  InTurn runs a
// step that sends nothing but shows what the controls hold (an insert into
// the program) once what the hand asked for before it is done.
//
// A failure on the link ends the round.  What waits (the failed item too,
// unless a newer one took its place) goes with the next round, which the
// link starts once the line is quiet (vxIO::WhenLineQuiet): a frame that
// broke off may leave the controller waiting for its rest, and the link is
// the one that knows how long.  A round that fails again before anything
// new was asked for drops the items (the link looks dead); clicks stay, and
// the first one tells the user with its box.  Closing drops everything.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <climits>
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
    // quiet; otherwise it keeps waiting (the retry timer runs, or the link
    // starts the round once the line is quiet).
    void Send();
    // The window closes: what waits is dropped (clicks without their undo)
    // and nothing is kept any more.
    void Close();

    // A click of `control` whose command talks to the controller: kept as
    // one more click while Defers() (its undo for when it is dropped), put
    // back with `refuse` while another exchange waits, else run now.  While
    // the queue carries out a click, that click's own steps run at once.
    void Press(int control, Command run, Undo refuse = {}, Undo undo = {});
    // A step that sends nothing but shows what the controls hold: runs now,
    // or, while anything the hand asked for still waits or is being carried
    // out, in its turn behind it (dropped with the clicks after a failure).
    // Every call is a turn of its own.
    void InTurn(std::function<void()> run);

    // Whether a click made now waits its turn (Defer) instead of running:
    // a frame that broke off keeps the line quiet, or clicks made earlier
    // still wait.
    bool Defers() const;
    // Keeps a click's command (see above); `control` names the control
    // clicked, so that a second click of it takes the first one's turn (the
    // undo of the first is kept: it knows what the control showed before).
    // Ignored once the queue is closed.
    void Defer(int control, Command run, Undo undo = {});
    // Whether a click waits: any, or that of `control`.
    bool ClickWaiting(int control = -1) const;

    // The window over which the busy cursor shows while clicks wait.
    void ShowWaitingOn(QWidget* window);

    // The value waiting for a servo, or nothing.
    std::optional<int16_t> Waiting(int servo, Kind kind = Kind::Move) const;

private:
    static constexpr size_t kKinds = 2;
    static constexpr uint64_t kNoBound = UINT64_MAX;
    // The control of an InTurn step: no control's, never taken over.
    static constexpr int kStep = INT_MIN;
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
    // While a frame that broke off keeps the line quiet: asks the link to
    // start the next round once it is quiet, and returns true.
    bool WaitForQuietLine();
    // After the sender's failure with this item; `again` when the round
    // only tried again what a failed one had left.
    void Failed(Kind kind, int servo, int16_t value, bool again);
    // After a click's command failed: the clicks after it are undone.
    void ClickFailed(bool again);
    // After a failure: the next round once the line is quiet (on the next
    // turn of the event queue when it is quiet already).
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
    int pressing_ = 0;    // clicks running now, from Press
    QTimer retry_;
    QPointer<QWidget> window_;
    bool cursorShown_ = false;
    // What waits was kept from a failed round, and nothing was put since.
    bool kept_ = false;
    bool closed_ = false;
};
