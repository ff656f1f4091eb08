// The wave memory on the heap that vpg and vpg-render play from.

#include "platform/portable/heap_wave_memory.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using audio::GMEM_MOVEABLE;
using audio::GMEM_SHARE;
using audio::GMEM_ZEROINIT;
using portable::HeapWaveMemory;

TEST(AudioHeapWaveMemory, ZeroInitGivesZerosAndOtherMemoryHoldsNoise) {
    HeapWaveMemory memory;
    const audio::HGLOBAL zeroed = memory.GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 64);
    const audio::HGLOBAL plain = memory.GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, 64);
    ASSERT_NE(zeroed, 0u);
    ASSERT_NE(plain, 0u);
    const auto* z = static_cast<const std::uint8_t*>(memory.GlobalLock(zeroed));
    const auto* p = static_cast<const std::uint8_t*>(memory.GlobalLock(plain));
    ASSERT_NE(z, nullptr);
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(z[i], 0);
        EXPECT_EQ(p[i], HeapWaveMemory::kNoise);
    }
}

TEST(AudioHeapWaveMemory, LocksAreCountedAndFreeReleases) {
    HeapWaveMemory memory;
    const audio::HGLOBAL h = memory.GlobalAlloc(GMEM_MOVEABLE, 16);
    void* first = memory.GlobalLock(h);
    EXPECT_EQ(memory.GlobalLock(h), first);  // a fixed address while it lives
    EXPECT_EQ(memory.lockedBlocks(), 1u);
    EXPECT_TRUE(memory.GlobalUnlock(h));
    EXPECT_FALSE(memory.GlobalUnlock(h));
    EXPECT_EQ(memory.lockedBlocks(), 0u);
    EXPECT_EQ(memory.GlobalFree(h), 0u);
    EXPECT_EQ(memory.liveBlocks(), 0u);
    EXPECT_EQ(memory.GlobalFree(h), h);  // a second free is refused and counted
    EXPECT_EQ(memory.badFrees(), 1u);
    EXPECT_EQ(memory.GlobalLock(h), nullptr);
}

}  // namespace
