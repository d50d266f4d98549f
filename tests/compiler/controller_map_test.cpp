// The controller map's rows: what every model states holds together (and
// the build's rules refuse each broken row they are there for), the
// "'$DEVICE" words find their rows, a Con_ID outside the table compiles as
// the models with two-byte addresses do, and the motors a row's servos
// bound.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "ControllerMap.h"

namespace map = qvv2::controller;

namespace {

TEST(ControllerMap, EveryModelRowHoldsTogether) {
    std::set<std::string> words;
    for (int id = 1; id <= map::kModelCount; ++id) {
        SCOPED_TRACE("model " + std::to_string(id));
        const map::ModelFacts& m = *map::FindModel(id);
        EXPECT_GE(m.servos, 1);
        EXPECT_LE(m.servos, map::kServoSlots);
        // The direct run drives no servo the model does not have.
        if (m.highestServo != map::kNoLimit) {
            EXPECT_LT(m.highestServo, m.servos);
        }
        EXPECT_NE(m.openCloseOutputs[0], m.openCloseOutputs[1]);
        EXPECT_GT(m.openCloseDelay, 0);
        EXPECT_LE(m.openCloseDelay, 65535);
        EXPECT_EQ(m.readMemory == map::LINK_READ_MEMORY_2, m.twoByteAddress);
        if (m.deviceWord) {
            EXPECT_TRUE(words.insert(m.deviceWord).second) << m.deviceWord << " names two models";
            EXPECT_EQ(map::ModelOfDeviceWord(m.deviceWord), id);
            // The type it is set up with is one the program knows.
            EXPECT_GE(m.deviceType, 0);
            EXPECT_LT(m.deviceType, static_cast<int>(sizeof map::kTypes / sizeof map::kTypes[0]));
        }
    }
    EXPECT_EQ(map::FindModel(0), nullptr);
    EXPECT_EQ(map::FindModel(map::kNoSuchModel), nullptr);
}

TEST(ControllerMap, TheStartModelIsTheOneVx32SetsUp) {
    EXPECT_EQ(map::ModelOfDeviceWord("VX32"), map::kSetUpModel);
    EXPECT_EQ(map::FindModel(map::kSetUpModel)->deviceType, map::kSetUpType);
    // The pipeline hands the word over upper-cased and trimmed; anything
    // else names no model.
    for (const char* word : {"", "vx32", "VX3", "VX32 ", "VX21", "VX11"}) {
        SCOPED_TRACE(word);
        EXPECT_EQ(map::ModelOfDeviceWord(word), 0);
    }
}

TEST(ControllerMap, AConIdOutsideTheTableCompilesAsTheTwoByteModels) {
    for (const int id : {0, -1, map::kNoSuchModel, 255}) {
        SCOPED_TRACE(id);
        const map::ModelFacts& m = map::CompiledModel(id);
        EXPECT_TRUE(m.twoByteAddress);
        EXPECT_EQ(m.rawMotorLimit, map::kNone);
        EXPECT_EQ(map::HighestMotor(m), map::kNoLimit);
        EXPECT_EQ(m.stepReply, map::StepReply::None);
        EXPECT_TRUE(m.smartMotorOperand);
        EXPECT_FALSE(m.rawSpeed);
        EXPECT_FALSE(m.fastServoSingle);
        EXPECT_FALSE(m.servoTargets);
        EXPECT_EQ(m.openCloseOutputs[0], map::kSmallOpenCloseOutputs[0]);
        EXPECT_EQ(m.openCloseOutputs[1], map::kSmallOpenCloseOutputs[1]);
        EXPECT_EQ(m.openCloseDelay, map::CompiledModel(2).openCloseDelay);
    }
    // The link works with such a number as with model 1.
    EXPECT_EQ(&map::LinkModel(map::kNoSuchModel), map::FindModel(1));
}

// Each rule the build checks every row against, shown refusing a row that a
// maintainer could write: one field of a sound row changed, or left out.
TEST(ControllerMap, EachRowRuleRefusesTheRowsItIsThereFor) {
    using Rule = bool (*)(const map::ModelFacts&);
    const map::ModelFacts sound = map::kModels[1];
    // Model 2's row with every field but the servos and the program counter
    // stated, to which a case adds the rest.
    const map::ModelFacts partial = map::ModelFacts{}
                                        .ReadMemory(map::LINK_READ_MEMORY_2)
                                        .WriteMemory(map::LINK_WRITE_MEMORY_2)
                                        .TwoByteAddress(true)
                                        .PositionMemory(sound.positionMemory)
                                        .MotorFlagMemory(sound.motorFlagMemory)
                                        .MotorFlagMemory2(sound.motorFlagMemory2)
                                        .ServoTargets(true)
                                        .HighestOutput(31)
                                        .HighestServo(31)
                                        .EqualisedBlocks(false)
                                        .GroupCommands(true)
                                        .ProgramCounterHigh(sound.programCounterHigh)
                                        .VariableMemory(sound.variableMemory)
                                        .VariableOffset(sound.variableOffset)
                                        .Step(map::StepReply::Serial)
                                        .RawMotorLimit(map::kNone)
                                        .SmartMotorOperand(true)
                                        .RawSpeed(false)
                                        .FastServoSingle(false)
                                        .OpenCloseOutputs(10, 11)
                                        .OpenCloseDelay(1000)
                                        .DeviceWord("VX32")
                                        .DeviceType(8);
    const struct {
        const char* what;
        map::ModelFacts row;
        Rule rule;
    } cases[] = {
        {"the servos left out", partial.ProgramCounterLow(3326), map::StatesEveryField},
        {"the program counter's low byte left out", partial.Servos(32), map::StatesEveryField},
        {"no servos", sound.Servos(0), map::ServosFitTheSlots},
        {"more servos than slots", sound.Servos(map::kServoSlots + 1), map::ServosFitTheSlots},
        {"16 servos, the direct run to servo 31", sound.Servos(16), map::DirectRunWithinServos},
        {"16 servos, the direct run to servo 16", sound.Servos(16).HighestServo(16), map::DirectRunWithinServos},
        {"6 servos, raw motors to 6", map::kModels[0].Servos(6), map::RawMotorsWithinServos},
        {"two-byte addresses, one-byte commands", sound.TwoByteAddress(false), map::MemoryCommandsFitTheAddresses},
        {"one-byte read, two-byte write", sound.ReadMemory(map::LINK_READ_MEMORY_1).TwoByteAddress(false),
         map::MemoryCommandsFitTheAddresses},
        {"a step reply without a program counter",
         sound.ProgramCounterLow(map::kNone).ProgramCounterHigh(map::kNone).VariableMemory(map::kNone),
         map::DebugCellsTogether},
        {"a program counter without a step reply", sound.Step(map::StepReply::None), map::DebugCellsTogether},
        {"a program counter's low byte alone", sound.ProgramCounterHigh(map::kNone), map::DebugCellsTogether},
        {"no variable memory", sound.VariableMemory(map::kNone), map::DebugCellsTogether},
        {"OPEN and CLOSE on one output", sound.OpenCloseOutputs(10, 10), map::OpenCloseFits},
        {"no OPEN and CLOSE delay", sound.OpenCloseDelay(0), map::OpenCloseFits},
        {"an OPEN and CLOSE delay past a word", sound.OpenCloseDelay(65536), map::OpenCloseFits},
    };
    ASSERT_TRUE(map::ModelRowHoldsTogether(sound));
    ASSERT_TRUE(map::ModelRowHoldsTogether(partial.ProgramCounterLow(3326).Servos(32)));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(c.rule(c.row));
        EXPECT_FALSE(map::ModelRowHoldsTogether(c.row));
    }
    // The sound rows of the table and the one outside it keep every rule.
    for (const map::ModelFacts& m : map::kModels) EXPECT_TRUE(map::ModelRowHoldsTogether(m));
    EXPECT_TRUE(map::ModelRowHoldsTogether(map::kOtherCompiledModel));
    // A row with fewer servos that keeps the rules: the direct run and the
    // raw motors within them.
    EXPECT_TRUE(map::ModelRowHoldsTogether(sound.Servos(16).HighestServo(15)));
    EXPECT_TRUE(map::ModelRowHoldsTogether(map::kModels[0].Servos(7)));
}

TEST(ControllerMap, TheServosOfARowBoundItsMotorNumbers) {
    const struct {
        int servos;
        int32_t highest;
    } cases[] = {{map::kServoSlots, map::kNoLimit}, {31, 30}, {16, 15}, {1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.servos);
        EXPECT_EQ(map::HighestMotor(map::kModels[1].Servos(c.servos)), c.highest);
    }
}

}  // namespace
