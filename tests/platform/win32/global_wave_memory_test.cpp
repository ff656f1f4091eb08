// Buffer and header memory from the Windows global heap (the winmm tests play from it).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>

#include "platform/win32/global_wave_memory.h"

namespace {

TEST(GlobalWaveMemory, ZeroInitialisedMovableMemoryStaysLockedUntilUnlocked) {
    win32::GlobalWaveMemory memory;
    const audio::HGLOBAL handle =
        memory.GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, 4096);
    ASSERT_NE(handle, 0u);
    auto* bytes = static_cast<std::uint8_t*>(memory.GlobalLock(handle));
    ASSERT_NE(bytes, nullptr);
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(bytes[i], 0) << i;
    bytes[4095] = 0x5A;
    EXPECT_EQ(::GlobalSize(reinterpret_cast<HGLOBAL>(handle)), 4096u);
    // Locked twice: the first unlock leaves it locked, the second does not.
    EXPECT_EQ(memory.GlobalLock(handle), bytes);
    EXPECT_TRUE(memory.GlobalUnlock(handle));
    EXPECT_FALSE(memory.GlobalUnlock(handle));
    EXPECT_EQ(memory.GlobalFree(handle), 0u);
}

TEST(GlobalWaveMemory, FailuresAreReportedAsTheWindowsCallsReportThem) {
    win32::GlobalWaveMemory memory;
    EXPECT_EQ(memory.GlobalAlloc(GMEM_MOVEABLE, static_cast<std::size_t>(-1) / 2), 0u);
    EXPECT_EQ(memory.GlobalLock(0), nullptr);
    EXPECT_FALSE(memory.GlobalUnlock(0));
}

}  // namespace
