// The controller command set end to end: real vxIO, real serial port, a
// pseudo-terminal and the simulated controller.  Each case checks the exact
// bytes on the wire in both directions, the value read back and the
// controller's state afterwards.
#include <functional>
#include <string>

#include "LinkFixture.h"

namespace {

struct CommandCase {
    std::string name;
    int model;           // modMain.ControllerID and the simulator's model
    int16_t type;        // modMain.ControllerType
    std::function<void(ControllerSim&)> prepare;
    std::function<int()> run;  // returns the operation's result (0 for none)
    Bytes toController;
    Bytes fromController;
    int result;
    std::function<void(ControllerSim&)> check;
};

std::array<uint8_t, 8> g_out8;
std::array<uint8_t, 6> g_out6;

const std::vector<CommandCase>& Cases() {
    static const std::vector<CommandCase> cases = {
        {"RunProgram", 2, 8, nullptr, [] { vxIO::RunProgram(); return 0; }, {0xFB}, {0xFB}, 0,
         [](ControllerSim& s) {
             EXPECT_EQ(s.runState(), ControllerSim::RunState::Running);
             EXPECT_EQ(s.runCount(), 1);
         }},
        {"StopProgram", 2, 8, nullptr, [] { vxIO::StopProgram(); return 0; }, {0xFA}, {0xFA}, 0,
         [](ControllerSim& s) { EXPECT_EQ(s.stopCount(), 1); }},
        {"ResetController", 2, 8, nullptr, [] { vxIO::ResetController(); return 0; }, {0xFC}, {0xFC}, 0,
         [](ControllerSim& s) { EXPECT_EQ(s.resetCount(), 1); }},
        // The debug window takes the step's reply itself: a lone 0, then 0xAA.
        {"StepProgram and its reply", 2, 8, nullptr,
         [] {
             vxIO::StepProgram();
             if (vxIO::CommError != 0) return -1;
             vxIO::SendZero();
             return int(vxIO::ReceiveByte());
         },
         {0xF3, 0x00}, {0xF3, 0xAA}, 0xAA, [](ControllerSim& s) { EXPECT_EQ(s.stepCount(), 1); }},
        {"SendCommandEE", 2, 8, nullptr, [] { vxIO::SendCommandEE(); return 0; }, {0xEE}, {0xEE}, 0,
         [](ControllerSim& s) { EXPECT_EQ(s.eeCount(), 1); }},
        {"SendCommandFE state 200 sends 1", 2, 8, nullptr,
         [] { vxIO::SendCommandFE(5, 200); return 0; }, {0xFE, 0x01, 0x05}, {0xFE, 0x01, 0x05}, 0,
         [](ControllerSim& s) { EXPECT_EQ(s.outputPort(5), 1); }},
        {"SendCommandFE state 0", 2, 8, nullptr,
         [] { vxIO::SendCommandFE(7, 0); return 0; }, {0xFE, 0x00, 0x07}, {0xFE, 0x00, 0x07}, 0,
         [](ControllerSim& s) { EXPECT_EQ(s.outputPort(7), 0); }},
        {"MoveMotor", 2, 8, nullptr, [] { vxIO::MoveMotor(3, 150); return 0; }, {0xE6, 0x03, 150},
         {0xE6, 0x03, 150}, 0, [](ControllerSim& s) { EXPECT_EQ(s.servoPosition(3), 150); }},
        {"SendCommandE3 sends the level as it is", 2, 8, nullptr, [] { vxIO::SendCommandE3(11, 7); return 0; },
         {0xE3, 11, 7}, {0xE3, 11, 7}, 0, [](ControllerSim& s) { EXPECT_EQ(s.outputPort(11), 7); }},
        {"ReadByteF2 reads the program area", 2, 8, [](ControllerSim& s) { s.setProgram(0x0102, 0x42); },
         [] { return int(vxIO::ReadByteF2(0x0102)); }, {0xF2, 0x02, 0x01, 0x00}, {0xF2, 0x02, 0x01, 0x42},
         0x42, nullptr},
        {"ReadByteB3 reads the EEPROM", 2, 8, [](ControllerSim& s) { s.setEeprom(5, 0x77); },
         [] { return int(vxIO::ReadByteB3(5)); }, {0xB3, 0x05, 0x00, 0x00}, {0xB3, 0x05, 0x00, 0x77}, 0x77,
         nullptr},
        {"ReadMemory model 1 sends no high byte", 1, 8, [](ControllerSim& s) { s.setRam(0x2C, 0x31); },
         [] { return int(vxIO::ReadMemory(300)); }, {0xF5, 0x2C, 0x00}, {0xF5, 0x2C, 0x31}, 0x31, nullptr},
        {"ReadMemory model 0 works like model 1", 0, 8, [](ControllerSim& s) { s.setRam(0x10, 0x32); },
         [] { return int(vxIO::ReadMemory(0x10)); }, {0xF5, 0x10, 0x00}, {0xF5, 0x10, 0x32}, 0x32, nullptr},
        {"ReadMemory model 2", 2, 8, [](ControllerSim& s) { s.setRam(1260, 0x5D); },
         [] { return int(vxIO::ReadMemory(1260)); }, {0xF7, 0xEC, 0x04, 0x00}, {0xF7, 0xEC, 0x04, 0x5D}, 0x5D,
         nullptr},
        {"ReadMemory model 3", 3, 8, [](ControllerSim& s) { s.setRam(0xABCD, 0x01); },
         [] { return int(vxIO::ReadMemory(0xABCD)); }, {0xF7, 0xCD, 0xAB, 0x00}, {0xF7, 0xCD, 0xAB, 0x01}, 1,
         nullptr},
        {"ReadMemory above 65535 sends address 0", 2, 8, [](ControllerSim& s) { s.setRam(0, 0x66); },
         [] { return int(vxIO::ReadMemory(70000)); }, {0xF7, 0x00, 0x00, 0x00}, {0xF7, 0x00, 0x00, 0x66}, 0x66,
         nullptr},
        {"WriteMemory model 1", 1, 8, nullptr, [] { vxIO::WriteMemory(0x33, 9); return 0; },
         {0xF6, 0x33, 0x09}, {0xF6, 0x33, 0x09}, 0, [](ControllerSim& s) { EXPECT_EQ(s.ram(0x33), 9); }},
        {"WriteMemory model 2", 2, 8, nullptr, [] { vxIO::WriteMemory(0x1234, 0xFF); return 0; },
         {0xF8, 0x34, 0x12, 0xFF}, {0xF8, 0x34, 0x12, 0xFF}, 0,
         [](ControllerSim& s) { EXPECT_EQ(s.ram(0x1234), 0xFF); }},
        {"WriteEeprom", 2, 8, nullptr, [] { vxIO::WriteEeprom(0x0203, 0x55); return 0; },
         {0xB4, 0x4B, 0x03, 0x02, 0x55, 0x55}, {0xB4, 0x4B, 0x03, 0x02, 0x55, 0x55}, 0,
         [](ControllerSim& s) { EXPECT_EQ(s.eeprom(0x0203), 0x55); }},
        {"ReadVariable", 2, 8, [](ControllerSim& s) { s.setServoPosition(4, 123); },
         [] { return int(vxIO::ReadVariable(4)); }, {0xD2, 0x04, 0x00}, {0xD2, 0x04, 123}, 123, nullptr},
        {"ReadBlock8 group B", 2, 8,
         [](ControllerSim& s) {
             for (int m = 8; m < 16; ++m) s.setServoPosition(m, uint8_t(100 + m));
         },
         [] {
             const int r = vxIO::ReadBlock8(*vxIO::FindMotorGroup(8, 1), g_out8);
             for (int i = 0; i < 8; ++i) EXPECT_EQ(g_out8[size_t(i)], 108 + i) << "output " << i;
             return r;
         },
         {0xD4, 0, 0, 0, 0, 0, 0, 0, 0}, {0xD4, 108, 109, 110, 111, 112, 113, 114, 115}, 255, nullptr},
        {"ReadBlock6 group C", 3, 8,
         [](ControllerSim& s) {
             for (int m = 12; m < 18; ++m) s.setServoPosition(m, uint8_t(10 + m));
         },
         [] {
             const int r = vxIO::ReadBlock6(*vxIO::FindMotorGroup(6, 2), g_out6);
             for (int i = 0; i < 6; ++i) EXPECT_EQ(g_out6[size_t(i)], 22 + i) << "output " << i;
             return r;
         },
         {0xD9, 0, 0, 0, 0, 0, 0}, {0xD9, 22, 23, 24, 25, 26, 27}, 255, nullptr},
        {"GetMotorOn model 2 sees the second block", 2, 8,
         [](ControllerSim& s) {
             s.setRam(1260, 0x00);
             s.setRam(1227, 0x02);
         },
         [] { return int(vxIO::GetMotorOn(9)); },
         {0xF7, 0xEC, 0x04, 0x00, 0xF7, 0xCB, 0x04, 0x00}, {0xF7, 0xEC, 0x04, 0x00, 0xF7, 0xCB, 0x04, 0x02},
         1, nullptr},
        {"GetMotorOn model 3 off", 3, 8, [](ControllerSim& s) { s.setRam(311, 0xFD); },
         [] { return int(vxIO::GetMotorOn(9)); }, {0xF7, 0x37, 0x01, 0x00}, {0xF7, 0x37, 0x01, 0xFD}, 0,
         nullptr},
        {"SetMotorOn type 1 sets the bit in memory", 2, 1, [](ControllerSim& s) { s.setRam(1260, 0x81); },
         [] { vxIO::SetMotorOn(9, true); return 0; },
         {0xF7, 0xEC, 0x04, 0x00, 0xF8, 0xEC, 0x04, 0x83}, {0xF7, 0xEC, 0x04, 0x81, 0xF8, 0xEC, 0x04, 0x83},
         0, [](ControllerSim& s) { EXPECT_EQ(s.ram(1260), 0x83); }},
        {"SetMotorOn type 2 clears the bit in memory", 1, 2, [](ControllerSim& s) { s.setRam(41, 0xFF); },
         [] { vxIO::SetMotorOn(3, false); return 0; }, {0xF5, 41, 0x00, 0xF6, 41, 0xF7},
         {0xF5, 41, 0xFF, 0xF6, 41, 0xF7}, 0, [](ControllerSim& s) { EXPECT_FALSE(s.motorFlag(3)); }},
        {"SetMotorOn by command", 2, 8, nullptr, [] { vxIO::SetMotorOn(5, true); return 0; }, {0xE7, 0x05},
         {0xE7, 0x05}, 0, [](ControllerSim& s) { EXPECT_TRUE(s.motorFlag(5)); }},
        {"SetMotorOn off by command", 2, 8, [](ControllerSim& s) { s.setRam(1259, 0x20); },
         [] { vxIO::SetMotorOn(5, false); return 0; }, {0xE8, 0x05}, {0xE8, 0x05}, 0,
         [](ControllerSim& s) { EXPECT_FALSE(s.motorFlag(5)); }},
        {"ReadMotorPos model 3", 3, 8, [](ControllerSim& s) { s.setRam(98, 77); },
         [] { return int(vxIO::ReadMotorPos(2)); }, {0xF7, 98, 0x00, 0x00}, {0xF7, 98, 0x00, 77}, 77, nullptr},
        {"WritePositionPair writes 800 + n and 768 + n", 3, 8, nullptr,
         [] { vxIO::WritePositionPair(4, 120); return 0; },
         {0xF8, 0x24, 0x03, 120, 0xF8, 0x04, 0x03, 120}, {0xF8, 0x24, 0x03, 120, 0xF8, 0x04, 0x03, 120}, 0,
         [](ControllerSim& s) {
             EXPECT_EQ(s.ram(804), 120);
             EXPECT_EQ(s.ram(772), 120);
         }},
    };
    return cases;
}

}  // namespace

TEST_F(LinkTest, EveryCommandPutsItsFrameOnTheWireAndReadsItsReply) {
    for (const CommandCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        modMain::ControllerID = int16_t(c.model);
        modMain::ControllerType = c.type;
        startSim(c.model == 0 ? 1 : c.model);
        if (c.prepare) c.prepare(sim());
        open();

        const int result = c.run();
        EXPECT_EQ(vxIO::CommError, 0);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(wire(), c.toController);
        EXPECT_EQ(sim().sent(), c.fromController);
        if (c.check) c.check(sim());

        vxIO::CloseComm();
        EXPECT_EQ(vxIO::CommError, 0);
        EXPECT_FALSE(main().Comm.PortOpen());
    }
}

// Each group reads with a command of its own and fills its outputs with its
// own motors' positions, first motor first.
TEST_F(LinkTest, EveryMotorGroupReadsItsOwnMotors) {
    const struct {
        int family;
        int index;
        uint8_t command;
        int firstMotor;
    } groups[] = {
        {8, 0, 0xD3, 0},  {8, 1, 0xD4, 8},  {8, 2, 0xD5, 16}, {8, 3, 0xD6, 24}, {6, 0, 0xD7, 0},
        {6, 1, 0xD8, 6},  {6, 2, 0xD9, 12}, {6, 3, 0xDA, 18}, {6, 4, 0xDB, 24},
    };
    for (int m = 0; m < 32; ++m) sim().setServoPosition(m, uint8_t(40 + m));
    open();
    for (const auto& g : groups) {
        SCOPED_TRACE(testing::Message() << "G" << g.family << char('A' + g.index));
        const vxIO::MotorGroup* group = vxIO::FindMotorGroup(g.family, g.index);
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->firstMotor, g.firstMotor);
        EXPECT_EQ(group->motors, g.family);
        sim().clearLogs();
        std::array<uint8_t, 8> out{};
        uint8_t result = 0;
        if (g.family == 8) {
            result = vxIO::ReadBlock8(*group, out);
        } else {
            std::array<uint8_t, 6> six{};
            result = vxIO::ReadBlock6(*group, six);
            std::copy(six.begin(), six.end(), out.begin());
        }
        EXPECT_EQ(result, 255);
        EXPECT_EQ(vxIO::CommError, 0);
        Bytes expectedWire{g.command};
        Bytes expectedReply{g.command};
        std::array<uint8_t, 8> expectedOut{};
        for (int i = 0; i < g.family; ++i) {
            expectedWire.push_back(0);
            expectedReply.push_back(uint8_t(40 + g.firstMotor + i));
            expectedOut[size_t(i)] = uint8_t(40 + g.firstMotor + i);
        }
        EXPECT_EQ(wire(), expectedWire);
        EXPECT_EQ(sim().sent(), expectedReply);
        EXPECT_EQ(out, expectedOut);
    }
    vxIO::CloseComm();
}

// The command comes from the link's own table: a caller's copy of a group
// with another byte in it reads with the group's command, and a group the
// table does not hold sends nothing and leaves the code as it was.
TEST_F(LinkTest, GroupReadsTakeTheirCommandFromTheTable) {
    open();
    vxIO::MotorGroup copy = *vxIO::FindMotorGroup(6, 1);
    copy.command = 0xFB;
    std::array<uint8_t, 6> six{};
    EXPECT_EQ(vxIO::ReadBlock6(copy, six), 255);
    EXPECT_EQ(wire(), (Bytes{0xD8, 0, 0, 0, 0, 0, 0}));

    const vxIO::MotorGroup strangers[] = {{6, 5, 30, 6, 0xDC}, {8, 4, 32, 8, 0xD7}, {6, -1, 0, 6, 0xD7}};
    for (const vxIO::MotorGroup& g : strangers) {
        SCOPED_TRACE(testing::Message() << "family " << g.family << " index " << g.index);
        EXPECT_EQ(vxIO::FindMotorGroup(g.family, g.index), nullptr);
        sim().clearLogs();
        vxIO::CommError = -4;
        if (g.family == 8) {
            std::array<uint8_t, 8> eight;
            eight.fill(9);
            EXPECT_EQ(vxIO::ReadBlock8(g, eight), 0);
            EXPECT_EQ(eight, (std::array<uint8_t, 8>{}));
        } else {
            six.fill(9);
            EXPECT_EQ(vxIO::ReadBlock6(g, six), 0);
            EXPECT_EQ(six, (std::array<uint8_t, 6>{}));
        }
        EXPECT_EQ(vxIO::CommError, -4);
        EXPECT_TRUE(wire().empty());
    }
    vxIO::CloseComm();
}

TEST_F(LinkTest, OneOpenCarriesManyCommands) {
    sim().setServoPosition(0, 100);
    open();
    vxIO::SendCommandEE();
    vxIO::MoveMotor(0, 140);
    ASSERT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(vxIO::ReadVariable(0), 140);
    vxIO::SendCommandEE();
    vxIO::SendCommandFE(2, 1);
    ASSERT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(wire(), (Bytes{0xEE, 0xE6, 0x00, 140, 0xD2, 0x00, 0x00, 0xEE, 0xFE, 0x01, 0x02}));
    vxIO::CloseComm();
}

TEST_F(LinkTest, RefusedArgumentsSendNothing) {
    open();
    std::array<uint8_t, 6> six;
    six.fill(9);
    std::array<uint8_t, 8> eight;
    eight.fill(9);

    // Groups of the other family and out-of-range servo numbers leave the
    // code alone.
    vxIO::CommError = -4;
    EXPECT_EQ(vxIO::ReadBlock6(*vxIO::FindMotorGroup(8, 0), six), 0);
    EXPECT_EQ(six, (std::array<uint8_t, 6>{}));
    EXPECT_EQ(vxIO::ReadBlock8(*vxIO::FindMotorGroup(6, 0), eight), 0);
    EXPECT_EQ(eight, (std::array<uint8_t, 8>{}));
    EXPECT_EQ(vxIO::ReadVariable(32), 0);
    EXPECT_EQ(vxIO::ReadVariable(-1), 0);
    EXPECT_EQ(vxIO::CommError, -4);

    // Numbers that cannot go out as one byte are a data failure.
    vxIO::MoveMotor(300, 100);
    EXPECT_EQ(vxIO::CommError, vxIO::kErrPort);
    vxIO::SendCommandFE(-1, 1);
    EXPECT_EQ(vxIO::CommError, vxIO::kErrPort);
    vxIO::SetMotorOn(256, true);
    EXPECT_EQ(vxIO::CommError, vxIO::kErrPort);
    EXPECT_FALSE(vxIO::GetMotorOn(-3));
    EXPECT_EQ(vxIO::CommError, vxIO::kErrPort);

    EXPECT_TRUE(wire().empty());
    vxIO::CloseComm();
}

TEST_F(LinkTest, AddressBytes) {
    struct Row {
        int32_t v;
        uint8_t lo, hi;
    };
    for (const Row& r : {Row{0, 0, 0}, Row{300, 0x2C, 0x01}, Row{65535, 0xFF, 0xFF}, Row{65536, 0, 0},
                         Row{-1, 0, 0}, Row{0x00AB, 0xAB, 0x00}}) {
        EXPECT_EQ(vxIO::LowByte(r.v), r.lo) << r.v;
        EXPECT_EQ(vxIO::HighByte(r.v), r.hi) << r.v;
    }
}

TEST_F(LinkTest, ParallelPortSelectedSerialCommandsDoNothing) {
    modMain::PortType = 0;
    vxIO::OpenComm();
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_FALSE(main().Comm.PortOpen());

    std::array<uint8_t, 8> eight;
    vxIO::RunProgram();
    vxIO::MoveMotor(1, 100);
    vxIO::SendCommandEE();
    vxIO::WriteEeprom(1, 2);
    EXPECT_EQ(vxIO::ReadMemory(5), 0);
    EXPECT_EQ(vxIO::ReadByteB3(5), 0);
    EXPECT_EQ(vxIO::ReadVariable(3), 0);
    EXPECT_FALSE(vxIO::GetMotorOn(1));
    // Nothing can arrive over a port that is not used: not a complete read.
    EXPECT_EQ(vxIO::ReadBlock8(*vxIO::FindMotorGroup(8, 0), eight), 0);
    EXPECT_EQ(vxIO::CommError, 0);
    vxIO::CloseComm();
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_TRUE(sim().received().empty());
}
