// The debug window: opening stops the program and lists the source and the
// variables read from the controller; a step moves the program-counter mark
// along the line table; run, memory clear and close; link faults (a failed
// stop, step or read shows nothing; the memory clear's transfer shows its
// own error box once); the parallel port's step on the first model.
#include "debugscreen_support.h"

TEST(DebugScreenRules, CounterLineAndAddresses) {
    // Line table 17, 17, 20, 25 for lines 1 to 4.
    const std::vector<int32_t> table = {0, 17, 17, 20, 25};
    const struct {
        int32_t pc, line;
    } cases[] = {{22, 3}, {16, 1}, {17, 2}, {20, 3}, {25, 4}, {400, 4}, {0, 1}};
    for (const auto& c : cases) EXPECT_EQ(frmDebugScreen::LineOfCounter(table, 4, c.pc), c.line) << c.pc;
    // A table shorter than its line count is not read past its end.
    EXPECT_EQ(frmDebugScreen::LineOfCounter({0, 17}, 9, 30), 1);
    EXPECT_EQ(frmDebugScreen::LineOfCounter({}, 3, 30), 1);

    EXPECT_EQ(frmDebugScreen::VariableAddress(2, 64), 320);
    EXPECT_EQ(frmDebugScreen::VariableAddress(1, 64), 48);
    EXPECT_EQ(frmDebugScreen::VariableAddress(3, 64), -1);
    EXPECT_EQ(frmDebugScreen::PcLowAddress(2), 3326);
    EXPECT_EQ(frmDebugScreen::PcHighAddress(1), 39);
    EXPECT_EQ(frmDebugScreen::VariableAreaStart(3), -1);
}

TEST_F(DebugScreenTest, OpeningStopsTheProgramAndShowsSourceVariablesAndCounter) {
    ASSERT_EQ(basic_.TotalVars, 2);
    ASSERT_EQ(basic_.TotalLines, 6);
    ASSERT_LT(LinePos(4), LinePos(5));
    const int a = VarPos(1) + 256, n = VarPos(2) + 256;
    sim().setRam(a, 7);
    sim().setRam(n, 0x2C);  // 300, low byte first
    sim().setRam(n + 1, 0x01);
    SetCounter(LinePos(5));
    sim().clearLogs();

    frmDebugScreen w(&main());
    ASSERT_TRUE(w.IsLoaded());
    EXPECT_TRUE(boxes_->Calls().empty());
    EXPECT_EQ(sim().stopCount(), 1);
    EXPECT_EQ(sim().runState(), ControllerSim::RunState::Stopped);
    EXPECT_TRUE(main().Comm.PortOpen());  // open from load to unload

    EXPECT_EQ(w.windowTitle(), QStringLiteral("Debug Window"));
    EXPECT_EQ(w.btnSingleRun->text(), QStringLiteral("Single Run"));
    EXPECT_EQ(w.Label1->text(), QStringLiteral("Variables Table"));

    ASSERT_EQ(w.Grid_Prog->rowCount(), 6);
    EXPECT_EQ(w.Grid_Prog->horizontalHeaderItem(0)->text(), QStringLiteral("Line"));
    EXPECT_EQ(w.Grid_Prog->horizontalHeaderItem(1)->text(), QStringLiteral("Program"));
    EXPECT_EQ(Text(w.Grid_Prog, 0, 0), QStringLiteral("1"));
    EXPECT_EQ(Text(w.Grid_Prog, 5, 0), QStringLiteral("6"));
    EXPECT_EQ(Text(w.Grid_Prog, 0, 1), QStringLiteral("DIM A AS BYTE"));
    EXPECT_EQ(Text(w.Grid_Prog, 3, 1), QStringLiteral("    A = A + 1"));  // tab as four blanks
    EXPECT_EQ(Text(w.Grid_Prog, 5, 1), QStringLiteral("GOTO LOOP1"));

    ASSERT_EQ(w.Grid_Var->rowCount(), 2);
    const QStringList header = {"Name", "Type", "Dec", "Hex"};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(w.Grid_Var->horizontalHeaderItem(c)->text(), header[c]);
    EXPECT_EQ(Text(w.Grid_Var, 0, 0), QStringLiteral("A"));
    EXPECT_EQ(Text(w.Grid_Var, 0, 1), QStringLiteral("Byte"));
    EXPECT_EQ(Text(w.Grid_Var, 0, 2), QStringLiteral("7"));
    EXPECT_EQ(Text(w.Grid_Var, 1, 0), QStringLiteral("N"));
    EXPECT_EQ(Text(w.Grid_Var, 1, 1), QStringLiteral("Integer"));
    EXPECT_EQ(Text(w.Grid_Var, 1, 2), QStringLiteral("300"));  // both bytes read
    EXPECT_EQ(Text(w.Grid_Var, 1, 3), QStringLiteral("12C"));

    EXPECT_EQ(w.ProgramCounter, LinePos(5));
    EXPECT_EQ(w.lbl_PC_DEC->text(), QString::number(LinePos(5)));
    EXPECT_EQ(w.CurrentLine, 5);
    EXPECT_TRUE(IsCurrent(w, 5));
    for (int line : {1, 2, 3, 4, 6}) EXPECT_TRUE(IsPlain(w, line)) << line;
    EXPECT_EQ(w.Grid_Prog->currentRow(), 4);

    Screenshot(w, "frmDebugScreen_en.png");
}

TEST_F(DebugScreenTest, CounterIsShownInDecimalAndHex) {
    SetCounter(564);  // bytes 0x34, 0x02
    frmDebugScreen w(&main());
    EXPECT_EQ(w.lbl_PC_DEC->text(), QStringLiteral("564"));
    EXPECT_EQ(w.lbl_PC_HEX->text(), QStringLiteral("234"));
    EXPECT_EQ(w.CurrentLine, 6);  // beyond the last line's position
}

TEST_F(DebugScreenTest, StepMovesTheMarkAlongTheLineTable) {
    SetCounter(LinePos(4));
    frmDebugScreen w(&main());
    ASSERT_EQ(w.CurrentLine, 4);

    // The controller executes the line: the counter and A change.
    SetCounter(LinePos(5));
    sim().setRam(VarPos(1) + 256, 1);
    w.btnSingleRun->trigger();
    EXPECT_EQ(sim().stepCount(), 1);
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(w.CurrentLine, 5);
    EXPECT_TRUE(IsCurrent(w, 5));
    EXPECT_TRUE(IsPlain(w, 4));
    EXPECT_EQ(Text(w.Grid_Var, 0, 2), QStringLiteral("1"));

    SetCounter(LinePos(6));
    w.btnSingleRun->trigger();
    EXPECT_EQ(w.CurrentLine, 6);
    EXPECT_TRUE(IsCurrent(w, 6));
    EXPECT_TRUE(IsPlain(w, 5));
    EXPECT_TRUE(boxes_->Calls().empty());
}

// The program grid keeps the current line as its top row, at opening as
// after each step; near the end it scrolls as far as it goes, the current
// row on its last page.
TEST_F(DebugScreenTest, TheCurrentLineIsTheGridsTopRow) {
    Compile(Program(80));  // 84 lines, far more than the grid shows
    ASSERT_EQ(basic_.TotalLines, 84);
    SetCounter(LinePos(8));
    frmDebugScreen w(&main());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTableWidget& grid = *w.Grid_Prog;
    const auto topRow = [&] { return grid.rowAt(0) + 1; };
    const auto bottomRow = [&] { return grid.rowAt(grid.viewport()->height() - 1) + 1; };
    ASSERT_EQ(w.CurrentLine, 8);
    EXPECT_EQ(topRow(), 8);
    ASSERT_LT(bottomRow(), 60) << "the grid must show fewer lines than the test scrolls over";
    Screenshot(w, "frmDebugScreen_line8.png");

    const struct {
        int line;
        bool lastPage;
    } steps[] = {{40, false}, {12, false}, {84, true}, {3, false}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.line);
        SetCounter(LinePos(step.line));
        w.btnSingleRun->trigger();
        ASSERT_EQ(w.CurrentLine, step.line);
        if (step.lastPage) {
            EXPECT_EQ(bottomRow(), 84);
            EXPECT_LE(topRow(), step.line);
        } else {
            EXPECT_EQ(topRow(), step.line);
        }
        EXPECT_EQ(grid.currentRow(), step.line - 1);
    }
}

TEST_F(DebugScreenTest, StepReplyOtherThanReadyLeavesTheImageUnread) {
    SetCounter(LinePos(4));
    frmDebugScreen w(&main());
    sim().setStepReply(0x55);
    SetCounter(LinePos(6));
    sim().setRam(VarPos(1) + 256, 9);
    w.btnSingleRun->trigger();
    EXPECT_EQ(sim().stepCount(), 1);
    EXPECT_EQ(w.CurrentLine, 4);
    EXPECT_TRUE(IsCurrent(w, 4));
    EXPECT_EQ(Text(w.Grid_Var, 0, 2), QStringLiteral("0"));
}

TEST_F(DebugScreenTest, FailedStopClosesTheWindowSilently) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    sim().setSilent(true);
    frmDebugScreen::ShowModal(&main());  // returns at once: nothing to show
    EXPECT_TRUE(boxes_->Calls().empty());
    EXPECT_FALSE(main().Comm.PortOpen());
}

TEST_F(DebugScreenTest, FailedStepOrReadShowsNoBoxAndKeepsTheOldValues) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    sim().setRam(VarPos(1) + 256, 5);
    SetCounter(LinePos(4));
    frmDebugScreen w(&main());
    ASSERT_EQ(Text(w.Grid_Var, 0, 2), QStringLiteral("5"));

    sim().setRam(VarPos(1) + 256, 6);
    SetCounter(LinePos(6));
    // The reply to the step never comes.
    sim().setSilent(true);
    w.btnSingleRun->trigger();
    EXPECT_EQ(vxIO::CommError, vxIO::kErrTimeOut);
    EXPECT_TRUE(boxes_->Calls().empty());
    EXPECT_EQ(w.CurrentLine, 4);
    EXPECT_EQ(Text(w.Grid_Var, 0, 2), QStringLiteral("5"));

    // A read broken after the counter: the new counter shows, the variables
    // keep their older bytes.
    sim().setSilent(false);
    sim().waitIdle(1000);
    vxIO::FlushInput();
    // Step and its request (2 bytes), two counter reads (4 bytes each), then
    // the first variable byte's request goes unanswered.
    sim().injectFault(ControllerSim::Fault::NoReply, 2 + 4 + 4 + 3);
    w.btnSingleRun->trigger();
    EXPECT_NE(vxIO::CommError, 0);
    EXPECT_TRUE(boxes_->Calls().empty());
    EXPECT_EQ(w.CurrentLine, 6);
    EXPECT_EQ(Text(w.Grid_Var, 0, 2), QStringLiteral("5"));
}

TEST_F(DebugScreenTest, RunResumesTheProgramAndCloses) {
    frmDebugScreen w(&main());
    w.show();
    w.btnRun->trigger();
    EXPECT_EQ(sim().runCount(), 1);
    EXPECT_EQ(sim().runState(), ControllerSim::RunState::Running);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(DebugScreenTest, ClearMemoryFaultShowsItsErrorOnceAndCloses) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    frmDebugScreen w(&main());
    w.show();
    // Refused: nothing sent, the window stays.
    boxes_->Answer(platform::vbCancel);
    w.btnClearMem->trigger();
    EXPECT_EQ(boxes_->Calls().size(), 1u);
    EXPECT_TRUE(w.isVisible());

    // Confirmed, but the controller no longer answers.
    sim().setSilent(true);
    boxes_->Answer(platform::vbOK).Answer(platform::vbOK);
    w.btnClearMem->trigger();
    ASSERT_EQ(boxes_->Calls().size(), 3u);
    EXPECT_TRUE(Box(2).startsWith(QStringLiteral("Error Code : -4"))) << Box(2).toStdString();
    EXPECT_FALSE(w.isVisible());  // the program is gone from the controller
    EXPECT_FALSE(modMain::Downloaded);
}

TEST_F(DebugScreenTest, TheDebugCommandOpensTheWindowModally) {
    // The command looks at the main window's own compiler control.
    qvv2::QUARVELv2& mainBasic = main().basic;
    mainBasic.Filename = u"walk.bas";
    std::u16string text = kSource;
    mainBasic.Compile(text);
    ASSERT_EQ(mainBasic.Bas_Error, 0);
    modMain::SetBasic(&mainBasic);
    QString title;
    int stops = -1;
    // Polls until the window is up (its load runs the event loop already).
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* w = qobject_cast<frmDebugScreen*>(QApplication::activeModalWidget())) {
            poll.stop();
            title = w->windowTitle();
            stops = sim().stopCount();
            w->btnClose->trigger();
        }
    });
    poll.start(10);
    // Never hangs the suite; it goes with the test, so it cannot close a
    // later test's window.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* w = QApplication::activeModalWidget()) w->close();
    });
    guard.start(5000);
    main().mnuDebug->trigger();
    EXPECT_EQ(title, QStringLiteral("Debug Window"));
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(main().Comm.PortOpen());  // closed on unload
    EXPECT_EQ(sim().runState(), ControllerSim::RunState::Stopped);
}

TEST_F(DebugScreenTest, NeverSmallerThanTheMainWindow) {
    frmDebugScreen w(&main());
    w.show();
    w.resize(100, 80);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.width(), main().width());
    EXPECT_EQ(w.height(), main().height());
}

TEST_F(DebugScreenTest, WithoutACompiledProgramTheGridsStayEmpty) {
    basic_.Bas_Error = 5;
    frmDebugScreen w(&main());
    EXPECT_TRUE(w.IsLoaded());
    EXPECT_EQ(w.Grid_Prog->item(0, 0), nullptr);
    EXPECT_EQ(w.Grid_Var->item(0, 0), nullptr);
}

TEST_F(DebugScreenTest, ParallelStepOnTheFirstModelEndsInTheLibraryError) {
    main().Comm.setPortOpen(false);
    modMain::PortType = 0;
    modMain::ControllerID = 1;
    platform::SetPortIoError(platform::kPortIoUnavailable);
    frmDebugScreen w(&main());  // the stop is a serial command: nothing fails
    ASSERT_TRUE(w.IsLoaded());
    const int before = w.CurrentLine;
    w.btnSingleRun->trigger();
    EXPECT_LT(vxIO::CommError, 0);
    EXPECT_TRUE(boxes_->Calls().empty());
    EXPECT_EQ(w.CurrentLine, before);
    modMain::PortType = 1;
    modMain::ControllerID = 2;
}

TEST_F(DebugScreenTest, KoreanCaptions) {
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    SetCounter(LinePos(4));
    frmDebugScreen w(&main());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("디버그 화면"));
    EXPECT_EQ(w.btnSingleRun->text(), QStringLiteral("한 단계 실행"));
    EXPECT_EQ(w.Grid_Var->horizontalHeaderItem(0)->text(), QStringLiteral("변수명"));
    EXPECT_EQ(Text(w.Grid_Var, 1, 1), QStringLiteral("정수"));
    EXPECT_EQ(w.Label2->text(), QStringLiteral("10진"));
    EXPECT_EQ(w.Label4->text(), QStringLiteral("16진"));
    Screenshot(w, "frmDebugScreen_ko.png");
}
