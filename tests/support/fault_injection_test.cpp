// The fault switches of the test doubles: a switch that misfires would let a test of an error
// path pass without the error ever happening.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/doubles/faulty_registry.h"
#include "support/doubles/faulty_wave_memory.h"

namespace {

using audio::GMEM_MOVEABLE;
using doubles::FaultyRegistry;
using doubles::FaultyWaveMemory;
using persistence::RegistryValue;

TEST(FaultyWaveMemory, TheNthAllocationOrLockFailsOnce) {
    FaultyWaveMemory memory;
    memory.failAlloc(3);
    EXPECT_NE(memory.GlobalAlloc(GMEM_MOVEABLE, 8), 0u);
    EXPECT_NE(memory.GlobalAlloc(GMEM_MOVEABLE, 8), 0u);
    EXPECT_EQ(memory.GlobalAlloc(GMEM_MOVEABLE, 8), 0u);
    const audio::HGLOBAL h = memory.GlobalAlloc(GMEM_MOVEABLE, 8);
    EXPECT_NE(h, 0u);
    EXPECT_EQ(memory.liveBlocks(), 3u);
    EXPECT_EQ(memory.allocCalls(), 4u);  // the failed one too
    memory.failLock(2);
    EXPECT_NE(memory.GlobalLock(h), nullptr);
    EXPECT_EQ(memory.GlobalLock(h), nullptr);
    EXPECT_NE(memory.GlobalLock(h), nullptr);
    EXPECT_EQ(memory.lockedBlocks(), 1u);
    EXPECT_TRUE(memory.GlobalUnlock(h));   // two locks held: the failed one holds none
    EXPECT_FALSE(memory.GlobalUnlock(h));  // the last one
    memory.failAlloc(1);
    memory.failAlloc(0);  // cancelled
    EXPECT_NE(memory.GlobalAlloc(GMEM_MOVEABLE, 8), 0u);
}

TEST(FaultyWaveMemory, AStrangersHandleLeavesTheLockFailureForTheNextRealLock) {
    FaultyWaveMemory memory;
    const audio::HGLOBAL h = memory.GlobalAlloc(GMEM_MOVEABLE, 8);
    memory.failLock(1);
    EXPECT_EQ(memory.GlobalLock(h + 1), nullptr);
    EXPECT_EQ(memory.GlobalLock(h), nullptr);
    EXPECT_NE(memory.GlobalLock(h), nullptr);
}

// What each switch refuses, on a store that holds one key.
TEST(FaultyRegistry, EachSwitchRefusesItsOwnCallsOnly) {
    struct Case {
        const char* name;
        bool denyOpen;
        bool denyCreate;
        int writesBeforeRefusal;
        bool opensExisting;
        bool createsExisting;
        bool createsMissing;
        int writesAccepted;  // of three
    };
    const std::vector<Case> cases{
        {"none", false, false, -1, true, true, true, 3},
        {"open denied", true, false, -1, false, true, false, 3},
        {"create denied", false, true, -1, true, false, false, 3},
        {"no writes", false, false, 0, true, true, true, 0},
        {"two writes", false, false, 2, true, true, true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FaultyRegistry registry;
        registry.keys["\\Existing"]["A"] = RegistryValue::Integer(1);
        // The writes go through a key opened before the switches are set.
        const persistence::RegKey key = registry.OpenKey("\\Existing");
        ASSERT_NE(key, 0u);
        registry.denyOpen = c.denyOpen;
        registry.denyCreate = c.denyCreate;
        registry.writesBeforeRefusal = c.writesBeforeRefusal;

        EXPECT_EQ(registry.OpenKey("\\Existing") != 0, c.opensExisting);
        EXPECT_EQ(registry.CreateKey("\\Existing") != 0, c.createsExisting);
        EXPECT_EQ(registry.CreateKey("\\Missing") != 0, c.createsMissing);
        EXPECT_EQ(registry.keys.count("\\Missing"), c.createsMissing ? 1u : 0u);

        int accepted = 0;
        for (int i = 0; i < 3; ++i)
            accepted += registry.SetValue(key, "V" + std::to_string(i), RegistryValue::Integer(i));
        EXPECT_EQ(accepted, c.writesAccepted);
        EXPECT_EQ(registry.writes(), c.writesAccepted);
        EXPECT_EQ(registry.keys["\\Existing"].size(), 1u + c.writesAccepted);
    }
}

}  // namespace
