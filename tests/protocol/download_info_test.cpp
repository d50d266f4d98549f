// Controller information: the identification exchange, the program header
// read back and decoded, and the firmware version check.
#include <QElapsedTimer>

#include "LinkFixture.h"

namespace {

// Puts a program header into the simulated controller's program area.
void StoreHeader(ControllerSim& sim, const std::string& name8, std::array<uint8_t, 8> rest) {
    for (int i = 0; i < 8; ++i) sim.setProgram(i, static_cast<uint8_t>(i < int(name8.size()) ? name8[i] : ' '));
    for (int i = 0; i < 8; ++i) sim.setProgram(8 + i, rest[static_cast<size_t>(i)]);
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

}  // namespace

TEST_F(DownloadTest, InfoReadsIdentificationChecksumAndHeader) {
    sim().setIdentification({2, 2, 7, 9, 128, 32});
    sim().setRam(1266, 0x0D);
    sim().setRam(1267, 0xC9);
    StoreHeader(sim(), "walk", {26, 12, 8, 8, 5, 30, 0x29, 0x01});
    open();
    vxIO::ControllerInfo info;
    vxIO::GetControllerInfo(info);
    ASSERT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(info.ControllerId, 2);
    EXPECT_EQ(info.FirmwareMajor, 2);
    EXPECT_EQ(info.FirmwareMinor, 7);
    EXPECT_EQ(info.Info3, 9);
    EXPECT_EQ(info.TotalVariables, 128);
    EXPECT_EQ(info.TotalStacks, 32);
    EXPECT_EQ(info.Checksum, 3529);
    EXPECT_EQ(info.ProgramName, QStringLiteral("walk    "));  // the blanks stay
    EXPECT_EQ(info.ProgramDate, QStringLiteral("2026/12/8"));
    EXPECT_EQ(info.ProgramTime, QStringLiteral("8:5:30"));
    EXPECT_EQ(info.ProgramSize, 0x0129);

    // 0xF0, a lone 0, five replies echoed back (the sixth is not), the two
    // memory reads of model 2, then the header byte by byte.
    Bytes expected = Cat({{0xF0, 0x00, 2, 2, 7, 9, 128}, {0xF7, 0xF2, 0x04, 0x00}, {0xF7, 0xF3, 0x04, 0x00}});
    for (uint8_t a = 0; a < 16; ++a) expected.insert(expected.end(), {0xF2, a, 0x00, 0x00});
    EXPECT_EQ(wire(), expected);
}

TEST_F(DownloadTest, InfoOfAControllerWithoutChecksumWordSkipsTheMemoryReads) {
    sim().setIdentification({1, 1, 5, 0, 64, 16});
    sim().setRam(1266, 0x55);
    StoreHeader(sim(), "ABCDEFGH", {99, 1, 2, 23, 59, 0, 17, 0});
    open();
    vxIO::ControllerInfo info;
    info.Checksum = 777;
    vxIO::GetControllerInfo(info);
    ASSERT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(info.Checksum, 0);
    EXPECT_EQ(info.ProgramName, QStringLiteral("ABCDEFGH"));
    EXPECT_EQ(info.ProgramDate, QStringLiteral("1999/1/2"));
    EXPECT_EQ(info.ProgramSize, 17);
    const Bytes w = wire();
    ASSERT_GE(w.size(), 8u);
    EXPECT_EQ(Bytes(w.begin() + 7, w.begin() + 8), Bytes{0xF2});  // straight to the header
}

TEST_F(DownloadTest, InfoWithoutValidAnswerIsError10AndReadsNoHeader) {
    sim().setIdentification({0, 2, 7, 0, 0, 0});
    open();
    vxIO::ControllerInfo info;
    info.ControllerId = 99;
    info.ProgramName = QStringLiteral("kept");
    vxIO::GetControllerInfo(info);
    EXPECT_EQ(vxIO::CommError, vxIO::kErrInfo);
    EXPECT_EQ(info.ControllerId, 99);
    EXPECT_EQ(info.ProgramName, QStringLiteral("kept"));
    EXPECT_EQ(wire(), (Bytes{0xF0, 0x00, 0, 2, 7, 0, 0}));

    std::array<uint8_t, 6> id{9, 9, 9, 9, 9, 9};
    vxIO::GetControllerId(id);
    EXPECT_EQ(vxIO::CommError, vxIO::kErrInfo);
    EXPECT_EQ(id, (std::array<uint8_t, 6>{9, 9, 9, 9, 9, 9}));

    sim().setIdentification({2, 2, 6, 1, 2, 3});
    vxIO::GetControllerId(id);
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(id, (std::array<uint8_t, 6>{2, 2, 6, 1, 2, 3}));
}

TEST_F(DownloadTest, InfoWithLongNameReadsTheRestFromEeprom) {
    sim().setIdentification({1, 2, 7, 0, 0, 0});
    StoreHeader(sim(), "\xFF" "ABCDEFG", {5, 3, 4, 10, 20, 30, 0, 2});
    const std::string rest = "HIJKLMNO";
    for (int i = 0; i < 8; ++i) sim().setEeprom(i, static_cast<uint8_t>(rest[static_cast<size_t>(i)]));
    open();
    vxIO::ControllerInfo info;
    vxIO::GetControllerInfo(info);
    ASSERT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(info.ProgramName, QStringLiteral("ABCDEFGHIJKLMNO"));
    EXPECT_EQ(info.ProgramDate, QStringLiteral("2005/3/4"));
    EXPECT_EQ(info.ProgramSize, 512);
    // The last exchanges: eight EEPROM reads, addresses 0 to 7.
    Bytes eeprom;
    for (uint8_t a = 0; a < 8; ++a) eeprom.insert(eeprom.end(), {0xB3, a, 0x00, 0x00});
    const Bytes w = wire();
    ASSERT_GE(w.size(), eeprom.size());
    EXPECT_EQ(Bytes(w.end() - static_cast<std::ptrdiff_t>(eeprom.size()), w.end()), eeprom);
}

TEST_F(DownloadTest, InfoKeepsWhatItReadWhenTheLinkFailsMidHeader) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    sim().setIdentification({1, 2, 7, 4, 5, 6});
    StoreHeader(sim(), "walk", {26, 12, 8, 8, 5, 30, 0x29, 0});
    open();
    // The identification takes 7 bytes; each header byte 4 more.  The lone 0
    // that asks for header byte 3 goes unanswered.
    sim().injectFault(ControllerSim::Fault::NoReply, 7 + 3 * 4 + 3);
    vxIO::ControllerInfo info;
    info.ProgramName = QStringLiteral("kept");
    vxIO::GetControllerInfo(info);
    EXPECT_EQ(vxIO::CommError, vxIO::kErrTimeOut);
    EXPECT_EQ(info.ControllerId, 1);
    EXPECT_EQ(info.TotalStacks, 6);
    EXPECT_EQ(info.ProgramName, QStringLiteral("kept"));
}

TEST_F(DownloadTest, InfoOnTheParallelPortLeavesEverythingAlone) {
    modMain::PortType = 0;
    vxIO::ControllerInfo info;
    info.ControllerId = 42;
    vxIO::GetControllerInfo(info);
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(info.ControllerId, 42);
    EXPECT_FALSE(sim().waitForReceived(1, 50));
}

TEST(ProgramHeaderText, NamesDecodeWithTheDoubleByteRule) {
    struct Case {
        const char* what;
        std::string bytes;
        bool longName;
        const char* codePage;
        QString expected;
    };
    const Case cases[] = {
        {"four letters keep their blanks", "GO      ", false, "CP949", QStringLiteral("GO      ")},
        {"Korean name", "\xC1\xA6\xB8\xF1\xBE\xF8\xC0\xBD", false, "CP949", QStringLiteral("제목없음")},
        {"lead byte in 8th place is dropped", "ABCDEFG\xC1", false, "CP949", QStringLiteral("ABCDEFG")},
        {"mixed", "A\xC1\xA6" "B\xB8\xF1  ", false, "CP949", QStringLiteral("A제B목  ")},
        {"single-byte code page", "Caf\xE9    ", false, "CP1252", QStringLiteral("Café    ")},
        {"long name", "ABCDEFG\xC1\xA6\xB8\xF1" "XYZ ", true, "CP949", QStringLiteral("ABCDEFG제목XYZ ")},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes(c.bytes.begin(), c.bytes.end());
        EXPECT_EQ(vxIO::DecodeProgramName(bytes, c.longName, c.codePage), c.expected) << c.what;
    }
    // A lead byte in the last place of a long name pairs with 0: one
    // character, whatever the code page makes of it.
    const std::string lastLead = "ABCDEFGHIJKLMN\xC1";
    const QString name =
        vxIO::DecodeProgramName(std::vector<uint8_t>(lastLead.begin(), lastLead.end()), true, "CP949");
    EXPECT_EQ(name.size(), 15);
    EXPECT_TRUE(name.startsWith(QStringLiteral("ABCDEFGHIJKLMN")));
}

TEST(ProgramHeaderText, DatesAndTimes) {
    struct Case {
        uint8_t y, mo, d;
        const char* date;
    };
    const Case dates[] = {{26, 12, 8, "2026/12/8"}, {99, 1, 2, "1999/1/2"}, {50, 6, 30, "2050/6/30"},
                          {51, 6, 30, "1951/6/30"}, {5, 1, 1, "2005/1/1"},  {0, 10, 10, "2000/10/10"}};
    for (const Case& c : dates) EXPECT_EQ(vxIO::ProgramDateText(c.y, c.mo, c.d), QLatin1String(c.date));
    EXPECT_EQ(vxIO::ProgramTimeText(8, 5, 30), QStringLiteral("8:5:30"));
    EXPECT_EQ(vxIO::ProgramTimeText(23, 59, 0), QStringLiteral("23:59:0"));
}

TEST_F(DownloadTest, FirmwareVersionReadsTheIdentificationAndTheWord) {
    bootup_modMain::FirmwareReadTimeOutMs = kTimeOutMs;  // the answer must count, however busy the machine
    sim().setIdentification({2, 2, 3, 0, 0, 0});
    sim().setRam(1266, 0x0D);
    sim().setRam(1267, 0xC9);
    bootup_modMain::FirmwareWord = 0;
    EXPECT_TRUE(bootup_modMain::ReadFirmwareVersion());
    EXPECT_EQ(bootup_modMain::FirmwareKind, 2);
    EXPECT_EQ(bootup_modMain::FirmwareMajor, 2);
    EXPECT_EQ(bootup_modMain::FirmwareMinor, 3);
    EXPECT_EQ(bootup_modMain::FirmwareWord, 3529);
    ExpectAtRest();

    sim().setIdentification({0, 2, 3, 0, 0, 0});
    EXPECT_FALSE(bootup_modMain::ReadFirmwareVersion());
    EXPECT_EQ(bootup_modMain::FirmwareKind, 0);
    EXPECT_EQ(bootup_modMain::FirmwareMajor, 0);
    ExpectAtRest();
}

TEST_F(DownloadTest, FirmwareVersionGivesUpAfterHalfASecondWithoutController) {
    EXPECT_EQ(bootup_modMain::FirmwareReadTimeOutMs, 500);
    main().TimeOut.setInterval(3000);
    sim().setSilent(true);
    // The reply time-out the read's wait runs with, seen from inside it.
    int waitedWith = 0;
    QTimer look;
    look.setInterval(1);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (main().TimeOut.isActive()) waitedWith = main().TimeOut.interval();
    });
    look.start();
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(bootup_modMain::ReadFirmwareVersion());
    look.stop();
    EXPECT_GE(t.elapsed(), 450);
    EXPECT_EQ(waitedWith, 500);
    EXPECT_EQ(main().TimeOut.interval(), 3000);  // put back
    EXPECT_FALSE(main().Comm.PortOpen());
    main().TimeOut.setInterval(kTimeOutMs);
}
