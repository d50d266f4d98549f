// The parallel port: this platform's port library reports an error on every
// call, and the link turns library error numbers n into codes n - 10.
#include "LinkFixture.h"
#include "platform/PortIO.h"

class LinkParallelTest : public LinkTest {
protected:
    void TearDown() override {
        platform::SetPortIoError(platform::kPortIoUnavailable);
        LinkTest::TearDown();
    }
};

TEST_F(LinkParallelTest, LibraryErrorsBecomeLinkCodes) {
    modMain::PortType = 0;
    vxIO::Init();  // sets the port up through the library: no crash, no code
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(vxIO::OSType, 2);

    EXPECT_EQ(vxIO::ParInport(), 0);
    EXPECT_EQ(vxIO::CommError, vxIO::kErrOpen);  // no parallel port here
    EXPECT_EQ(vxIO::ParReceive(), 0);
    EXPECT_EQ(vxIO::CommError, vxIO::kErrOpen);

    struct Row {
        int16_t libraryError;
        int16_t code;
    };
    for (const Row& r : {Row{3, -7}, Row{4, -6}, Row{1, -9}, Row{0, 0}}) {
        platform::SetPortIoError(r.libraryError);
        (void)vxIO::ParInport();
        EXPECT_EQ(vxIO::CommError, r.code) << r.libraryError;
    }
}

TEST_F(LinkParallelTest, ParallelOperationsDoNothingOnTheSerialPort) {
    modMain::PortType = 1;
    EXPECT_EQ(vxIO::ParInport(), 0);
    EXPECT_EQ(vxIO::ParReceive(), 0);
    EXPECT_EQ(vxIO::CommError, 0);
}

TEST_F(LinkParallelTest, CloseAllPortsClosesTheSerialPort) {
    open();
    vxIO::CloseAllPorts();
    EXPECT_FALSE(main().Comm.PortOpen());
    EXPECT_EQ(vxIO::CommError, 0);
}
