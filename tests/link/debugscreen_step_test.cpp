// The debug window's single step per controller model, through the window:
// the model's row says how the step's reply comes back (on the serial link,
// on the parallel port, or not at all), and a model outside the table reads
// none.
#include <QAction>

#include "download_support.h"
#include "link/frmDebugScreen.h"
#include "platform/PortIO.h"

namespace {

const std::u16string kSource =
    u"DIM A AS BYTE\r\nDIM N AS INTEGER\r\nLOOP1:\r\n\tA = A + 1\r\nN = 300\r\nGOTO LOOP1\r\n";

}  // namespace

class DebugStepTest : public DownloadTest {
protected:
    void SetUp() override {
        DownloadTest::SetUp();
        Compile(kSource);
        modMain::Downloaded = true;
        platform::SetPortIoError(platform::kPortIoUnavailable);
    }

    // The program counter where the simulated controller keeps it.
    void SetCounter(int pc) {
        sim().setRam(3326, static_cast<uint8_t>(pc & 0xFF));
        sim().setRam(3327, static_cast<uint8_t>(pc >> 8));
    }
    int LinePos(int line) const { return basic_.LineObjPos[static_cast<size_t>(line)]; }
};

// On the serial link: the step, then a lone 0 for its reply; a model whose
// row reads a reply reads the memory after it, so the mark follows the
// counter, and one that reads none leaves the line as it was.
TEST_F(DebugStepTest, TheRowSaysWhetherASerialStepReadsItsReply) {
    const struct {
        int16_t id;
        bool readsReply;
    } cases[] = {
        {2, true},
        {3, false},
        {0, false},
        {qvv2::controller::kNoSuchModel, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("model " + std::to_string(c.id));
        modMain::ControllerID = c.id;
        SetCounter(LinePos(4));
        frmDebugScreen w(&main());
        ASSERT_TRUE(w.IsLoaded());
        const int before = w.CurrentLine;
        SetCounter(LinePos(6));
        sim().clearLogs();
        const int steps = sim().stepCount();
        w.btnSingleRun->trigger();
        EXPECT_EQ(vxIO::CommError, 0);
        EXPECT_EQ(sim().stepCount(), steps + 1);
        const Bytes sent = wire();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent[0], 0xF3);
        if (c.readsReply) {
            ASSERT_GE(sent.size(), 2u);
            EXPECT_EQ(sent[1], 0x00);
            EXPECT_EQ(w.ProgramCounter, LinePos(6));
            EXPECT_EQ(w.CurrentLine, 6);
        } else {
            EXPECT_EQ(sent, Bytes{0xF3});
            EXPECT_EQ(w.CurrentLine, before);
        }
        EXPECT_TRUE(boxes_->Calls().empty());
    }
}

// On the parallel port: the first model's row waits for the port's status,
// which this platform's library cannot reach; a model without a reply
// leaves the port alone.
TEST_F(DebugStepTest, TheRowSaysWhetherAParallelStepWaitsForThePort) {
    const struct {
        int16_t id;
        bool waitsForThePort;
    } cases[] = {
        {1, true},
        {3, false},
        {0, false},
    };
    main().Comm.setPortOpen(false);
    modMain::PortType = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE("model " + std::to_string(c.id));
        modMain::ControllerID = c.id;
        frmDebugScreen w(&main());  // the stop is a serial command: nothing fails
        ASSERT_TRUE(w.IsLoaded());
        const int before = w.CurrentLine;
        w.btnSingleRun->trigger();
        if (c.waitsForThePort) {
            EXPECT_LT(vxIO::CommError, 0);
        } else {
            EXPECT_EQ(vxIO::CommError, 0);
        }
        EXPECT_EQ(w.CurrentLine, before);
        EXPECT_TRUE(boxes_->Calls().empty());
    }
}
