// The controller map's rows: what every model states holds together, the
// "'$DEVICE" words find their rows, and a Con_ID outside the table compiles
// as the models with two-byte addresses do.
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

}  // namespace
