// A simulated robot controller on the master side of a pseudo-terminal.
//
// The program under test opens the slave side (point QVV2_COM<n> at
// slavePath()) through its real serial port layer; the simulator runs in its
// own thread, answers the controller's side of the command set (echo of every
// command and parameter byte, a reply byte for every lone 0 the host sends
// when a reply is due), and keeps the controller's state: RAM, program area,
// EEPROM, servo positions and motor flags (in RAM at the model's addresses),
// output ports, and the run/stop/reset/step state.  It records every byte it
// received and sent (with the line speed the host had set for each byte it
// sent), can pace its replies at a baud rate as a real line would, can take
// the host's bytes at the rate of the line's own speed, and injects faults on
// request.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ControllerSim {
public:
    enum class Fault {
        None,
        NoReply,    // the byte is taken but not answered
        WrongEcho,  // the answer has its bits inverted
        LateReply,  // the answer comes `delayMs` later
        Garbage,    // a burst of wrong bytes instead of the answer
        HangUp,     // the controller goes away: the pseudo-terminal's master closes
    };

    enum class RunState { Stopped, Running };

    // model: 1, 2 or 3 (servo position and motor flag addresses).
    explicit ControllerSim(int model = 2);
    ~ControllerSim();
    ControllerSim(const ControllerSim&) = delete;
    ControllerSim& operator=(const ControllerSim&) = delete;

    // Whether the pseudo-terminal could be created.
    bool ok() const { return !slavePath_.empty(); }
    const std::string& slavePath() const { return slavePath_; }

    void setModel(int model);
    int model() const;
    // Paces every answer byte as a line at this baud rate would (10 bits a
    // byte; the host's byte first has to arrive, then the answer travels
    // back); 0 answers at once.
    void setBaud(int baud);
    // A line that carries the host's bytes at the speed the host has set on
    // it: each byte is taken from the line only when the one before has
    // fully arrived, one character time (10 bits at the speed then in force)
    // after it was taken, and the answers travel back at that speed too.
    // Bytes the host has written but the line has not yet carried wait in
    // the line, where a change of the line's speed still affects them.
    // Replaces the fixed rate of setBaud while on.
    void setLinePaced(bool on);
    // The speed the host's side of the line is set to now (baud; 0 when it
    // cannot be read).
    int lineSpeed() const;
    // A silent controller answers nothing at all (no controller attached).
    void setSilent(bool silent);
    // A slow controller: every answer comes `ms` late (0: on time).  A
    // fault injected for one byte takes that byte's place.
    void setReplyDelay(int ms);
    // A frame that stays incomplete for this long is dropped: the next byte
    // starts a new command.  The controller's wait for the rest runs from
    // its own last answer (a late answer starts it late) or from the host's
    // last byte, whichever came later.  By default kFrameGapMs: far above a
    // busy host's pause between two bytes of a frame (a loaded machine, a
    // sanitizer build), and below the floor of the link's quiet time, which
    // is meant to outlast a real controller's frame time-out.
    static constexpr int kFrameGapMs = 1000;
    void setFrameTimeOut(int ms);

    // The fault strikes the answer to the received byte `atByte` bytes from
    // now (0: the next byte received).  One fault is pending at a time.
    void injectFault(Fault fault, int atByte = 0, int delayMs = 0);
    // The fault strikes the answer to byte `byteOfFrame` (0: the command
    // byte, 1 its first parameter, ...) of the next frame that starts with
    // `command`, or of the one after `framesToSkip` more such frames.  It
    // takes the place of a fault pending.
    void injectFrameFault(Fault fault, uint8_t command, int byteOfFrame, int framesToSkip = 0, int delayMs = 0);

    // Every byte received from the host / sent to it, in order, and when
    // each was read from / written to the line.
    std::vector<uint8_t> received() const;
    std::vector<uint8_t> sent() const;
    std::vector<std::chrono::steady_clock::time_point> receivedTimes() const;
    // The line speed in force when each received byte was taken from the
    // line (baud; 0 when it could not be read).
    std::vector<int> receivedSpeeds() const;
    // On a line-paced line: how long after the moment the line started each
    // received byte the simulator's thread read the speed for it (0 when on
    // time).  A busy machine can run the thread late; a real line is not.
    std::vector<std::chrono::nanoseconds> receivedLateness() const;
    std::vector<std::chrono::steady_clock::time_point> sentTimes() const;
    void clearLogs();
    // Waits until at least `count` bytes have been received in all.
    bool waitForReceived(size_t count, int timeoutMs);
    // Waits until every received byte has been answered (late replies too).
    bool waitIdle(int timeoutMs);
    bool hungUp() const { return hungUp_; }

    // Controller state.
    uint8_t ram(int address) const;
    void setRam(int address, uint8_t value);
    uint8_t program(int address) const;
    void setProgram(int address, uint8_t value);
    uint8_t eeprom(int address) const;
    void setEeprom(int address, uint8_t value);
    uint8_t servoPosition(int motor) const;  // RAM at the model's position base + motor
    // Sets the stored position; the servo stands there too.
    void setServoPosition(int motor, uint8_t position);
    // A free servo turned by hand: it stands at `position` while the stored
    // position stays.  The servo's position read (0xD2, the group reads)
    // reports where it stands; switching the motor on (0xE7) drives it back
    // to the stored position, a move (0xE6) to the new one.
    void turnByHand(int motor, uint8_t position);
    // Where servo `motor` stands: where the hand left it, else its stored
    // position.
    uint8_t servoStandsAt(int motor) const;
    bool motorFlag(int motor) const;         // bit in the model's motor flag block
    uint8_t outputPort(int number) const;    // last state set by 0xFE
    RunState runState() const;
    int runCount() const;
    int stopCount() const;
    int resetCount() const;
    int stepCount() const;
    int eeCount() const;
    // The byte that answers the request after a step (0xF3); 0xAA unless set.
    void setStepReply(uint8_t reply);

    // Addresses of the models, as the controller keeps them.
    static int positionBase(int model);
    static int motorFlagBase(int model);

    // ---- Identification, fast download and the firmware boot loader ---------
    // The six bytes that answer 0xF0, in order: kind (2 keeps the word at
    // RAM 1266..1267), firmware major, minor, a spare byte, variable bytes,
    // stack entries.  Each reply byte after the first is asked for by the
    // host's echo of the one before.
    void setIdentification(const std::array<uint8_t, 6>& id);
    std::array<uint8_t, 6> identification() const;

    // The fast download (0xED, the length low byte first, then per block "?"
    // answered "!" and 257 bytes taken, or "E" once the announced length is
    // in): the blocks go into the program area, which 0xF2 reads back.  A
    // block whose sum does not match makes the controller answer the next
    // request with 'N'.
    static constexpr uint8_t kBlockRefused = 'N';
    enum class BlockFault {
        None,
        BadSum,   // the block counts as broken: the next request is answered 'N'
        Silence,  // the block is taken, then nothing is answered any more
        HangUp,   // the controller goes away on the block's last byte
        Finish,   // the request for the block is answered "E"
    };
    // Strikes on block `block` (1 = the first) of the next fast download.
    void injectBlockFault(BlockFault fault, int block);
    int downloadCount() const;                  // downloads that took every block
    int downloadLength() const;                 // length announced by the last one
    std::vector<uint8_t> downloadedImage() const;  // program area 0..length-1 of the last complete one
    int blocksTaken() const;                    // blocks of the current or last download

    // The boot loader of the firmware update.  With an access code set, the
    // five wake-up bytes (each answered by its reply byte) start it; it then
    // sends its prompt every 250 ms until the seven-byte start sequence
    // arrives, answers the five-byte acknowledgement and takes numbered
    // blocks ({k, 0}, 256 bytes with the even ones XORed with k, the sum of
    // k and the plain bytes), each answered "!" (or 'N' when its number or
    // sum is wrong), until the end marker {255, 0}.
    struct BootCode {
        std::array<uint8_t, 5> wakeUp{};
        std::array<uint8_t, 5> wakeUpReply{};
        uint8_t prompt = 0;
        std::array<uint8_t, 7> start{};
        std::array<uint8_t, 5> acknowledge{};
    };
    void setBootCode(const BootCode& code);
    enum class BootFault {
        None,
        WrongWakeReply,  // the reply to wake-up byte `at` (0..4) is wrong
        NoPrompt,        // the boot loader never prompts
        WrongAck,        // the acknowledgement's last byte is wrong
        SplitAck,        // four acknowledgement bytes, then two more 100 ms later
        BlockRefused,    // block `at` is answered 'N'
        BlockSilence,    // block `at` is not answered
        BlockHangUp,     // the controller goes away on block `at`'s last byte
    };
    void injectBootFault(BootFault fault, int at = 0);
    bool bootLoaderActive() const;
    // The flash the last update wrote (block k at k x 256, as decoded), the
    // block numbers it accepted in order, and whether its end marker came.
    std::vector<uint8_t> flash() const;
    std::vector<int> flashBlocks() const;
    bool flashComplete() const;
    // When the end marker's last byte was taken (the epoch before it came).
    std::chrono::steady_clock::time_point flashCompleteTime() const;

private:
    using Clock = std::chrono::steady_clock;

    void run();
    // One received byte; `speed` is the line's speed when it was taken, and
    // `paced` says that `arrived` is already the end of its time on the line.
    void handle(uint8_t b, Clock::time_point arrived, int speed, bool paced,
                std::chrono::nanoseconds late = std::chrono::nanoseconds(0));
    std::vector<uint8_t> answer(uint8_t b);  // controller logic; mutex held
    void deliver(std::vector<uint8_t> bytes, Clock::time_point rxEnd, Fault fault, int delayMs, int baud);
    bool sleepUntil(Clock::time_point t);  // false when stopping
    void writeByte(uint8_t b);
    void writeBurst(const std::vector<uint8_t>& bytes);
    void hangUp();

    int master_ = -1;
    int slave_ = -1;     // held open so the line stays up between the host's opens
    int wake_ = -1;      // eventfd that wakes the thread to stop
    std::string slavePath_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> hungUp_{false};
    int64_t wakeLateNs_ = 50'000;  // how late the timer wakes the thread (sim thread only)

    mutable std::mutex mutex_;
    std::condition_variable changed_;

    // Everything below is guarded by mutex_.
    int model_ = 2;
    int baud_ = 0;
    bool linePaced_ = false;
    bool silent_ = false;
    int replyDelayMs_ = 0;
    Fault fault_ = Fault::None;
    size_t faultAt_ = 0;
    int faultDelayMs_ = 0;
    // A fault for a byte of a frame: its kind, the frame's command, the
    // byte, the frames still to let pass, and whether the frame in progress
    // is the one.
    Fault frameFault_ = Fault::None;
    uint8_t frameFaultCommand_ = 0;
    int frameFaultByte_ = 0;
    int frameFaultSkip_ = 0;
    bool frameFaultHere_ = false;
    // The command of the frame in progress and the place of the last byte
    // received in it (0: the command byte).
    uint8_t frameCommand_ = 0;
    int frameByte_ = 0;
    std::vector<uint8_t> received_;
    std::vector<uint8_t> sent_;
    std::vector<Clock::time_point> receivedAt_;
    std::vector<Clock::time_point> sentAt_;
    std::vector<int> receivedSpeed_;
    std::vector<std::chrono::nanoseconds> receivedLate_;
    size_t answered_ = 0;  // received bytes whose answer is out
    Clock::time_point lineFree_{};  // when the simulated line is next idle
    Clock::time_point lastArrival_{};
    Clock::time_point lastAnswer_{};  // when the controller last wrote to the line
    int frameTimeOutMs_ = kFrameGapMs;

    // Frame decoding: the command in progress, its parameters so far, how many
    // more it takes, and the reply bytes still owed (one per lone 0).
    uint8_t command_ = 0;
    std::vector<uint8_t> params_;
    int paramsLeft_ = 0;
    std::vector<uint8_t> owed_;

    std::vector<uint8_t> ram_ = std::vector<uint8_t>(65536, 0);
    std::vector<uint8_t> program_ = std::vector<uint8_t>(65536, 0);
    std::vector<uint8_t> eeprom_ = std::vector<uint8_t>(65536, 0);
    std::array<uint8_t, 256> ports_{};
    // Per servo 0..31: where the hand left it, -1 while it stands at its
    // stored position.
    std::array<int, 32> byHand_ = Unturned();
    static std::array<int, 32> Unturned();
    uint8_t standsAt(int motor) const;  // mutex held
    RunState runState_ = RunState::Stopped;
    int runs_ = 0, stops_ = 0, resets_ = 0, steps_ = 0, ees_ = 0;
    uint8_t stepReply_ = 0xAA;

    // Identification, fast download and boot loader (mutex_ guards them).
    // special() answers what they take and returns false for every other
    // byte; idleTimeoutMs() and onIdle() send the boot loader's timed bytes.
    bool special(uint8_t b, std::vector<uint8_t>& reply);
    bool bootByte(uint8_t b, std::vector<uint8_t>& reply);
    void blockTaken();
    int idleTimeoutMs();
    void onIdle();
    void schedule(Clock::duration after, std::vector<uint8_t> bytes, bool prompt = false);
    void bootOff();

    std::array<uint8_t, 6> ident_{2, 2, 7, 0, 128, 32};
    bool replyByEcho_ = false;

    enum class Download { Off, LengthLow, LengthHigh, Request, Block };
    Download dl_ = Download::Off;
    int dlLength_ = 0;
    int dlBlocks_ = 0;  // blocks taken
    std::vector<uint8_t> dlBlock_;
    bool dlRefuse_ = false;
    bool dlSilent_ = false;
    int downloads_ = 0;
    std::vector<uint8_t> dlImage_;
    BlockFault blockFault_ = BlockFault::None;
    int blockFaultAt_ = 0;

    enum class Boot { Off, Prompting, Start, Blocks };
    bool bootEnabled_ = false;
    BootCode boot_;
    Boot bootState_ = Boot::Off;
    int wakeStep_ = 0;
    int prompts_ = 0;
    std::vector<uint8_t> bootIn_;
    std::vector<uint8_t> flash_;
    std::vector<int> flashBlocks_;
    bool flashDone_ = false;
    Clock::time_point flashDoneAt_{};
    BootFault bootFault_ = BootFault::None;
    int bootFaultAt_ = 0;
    struct Timed {
        Clock::time_point at;
        std::vector<uint8_t> bytes;
        bool prompt = false;  // the boot loader's prompt, repeated while it waits
    };
    Clock::time_point bootLast_{};
    std::vector<Timed> timed_;
};
