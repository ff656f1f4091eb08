// No heap allocation between Start and OnStop: the stream refills buffers in place. Every
// operator new of this test program is counted while the counter is armed; each one forwards to
// the allocator it replaces (AddressSanitizer's in the sanitised build, the C++ library's
// otherwise), so deletes stay untouched and the sanitiser keeps checking new against delete.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <new>

#include "audio/audio_io.h"
#include "platform/portable/headless_message_loop.h"
#include "platform/portable/heap_wave_memory.h"
#include "support/doubles/fake_wave_out.h"

namespace {

std::atomic<bool> gArmed{false};
std::atomic<std::size_t> gAllocations{0};

// The mangled names below are those of a 64-bit size_t ("m").
static_assert(sizeof(std::size_t) == sizeof(unsigned long));

// The next definition of an operator new after ours, found once by its mangled name.
template <typename Fn>
Fn next(Fn& cache, const char* symbol) {
    if (cache == nullptr) cache = reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, symbol));
    if (gArmed.load(std::memory_order_relaxed))
        gAllocations.fetch_add(1, std::memory_order_relaxed);
    return cache;
}

using New = void* (*)(std::size_t);
using NewNothrow = void* (*)(std::size_t, const std::nothrow_t&);
using NewAligned = void* (*)(std::size_t, std::align_val_t);
using NewAlignedNothrow = void* (*)(std::size_t, std::align_val_t, const std::nothrow_t&);
New gNew, gNewArray;
NewNothrow gNewNothrow, gNewArrayNothrow;
NewAligned gNewAligned, gNewArrayAligned;
NewAlignedNothrow gNewAlignedNothrow, gNewArrayAlignedNothrow;

// Counts the allocations made while it lives.
class AllocationCounter {
public:
    AllocationCounter() {
        gAllocations = 0;
        gArmed = true;
    }
    ~AllocationCounter() { gArmed = false; }
    std::size_t count() const { return gAllocations.load(); }
};

}  // namespace

void* operator new(std::size_t n) {
    return next(gNew, "_Znwm")(n);
}
void* operator new[](std::size_t n) {
    return next(gNewArray, "_Znam")(n);
}
void* operator new(std::size_t n, const std::nothrow_t& t) noexcept {
    return next(gNewNothrow, "_ZnwmRKSt9nothrow_t")(n, t);
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept {
    return next(gNewArrayNothrow, "_ZnamRKSt9nothrow_t")(n, t);
}
void* operator new(std::size_t n, std::align_val_t a) {
    return next(gNewAligned, "_ZnwmSt11align_val_t")(n, a);
}
void* operator new[](std::size_t n, std::align_val_t a) {
    return next(gNewArrayAligned, "_ZnamSt11align_val_t")(n, a);
}
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t& t) noexcept {
    return next(gNewAlignedNothrow, "_ZnwmSt11align_val_tRKSt9nothrow_t")(n, a, t);
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t& t) noexcept {
    return next(gNewArrayAlignedNothrow, "_ZnamSt11align_val_tRKSt9nothrow_t")(n, a, t);
}

namespace {

TEST(AudioAllocationCounter, SeesAnAllocation) {
    // Without this the test below could pass with a counter that counts nothing.
    std::size_t counted_allocations = 0;
    {
        AllocationCounter counter;
        auto* volatile p = new std::uint64_t(42);
        counted_allocations = counter.count();
        delete p;
    }
    EXPECT_EQ(counted_allocations, 1u);
}

TEST(AudioAllocation, NoneBetweenStartAndOnStop) {
    portable::HeadlessMessageLoop loop;
    doubles::FakeWaveOut device{loop};
    portable::HeapWaveMemory memory;
    audio::TAudioOut out(audio::AudioPlatform{device, memory, loop});
    audio::TAudioOut* AudioOut1 = &out;

    int fills = 0;
    int limit = 0;
    int starts = 0;
    int stops = 0;
    out.setStereo(true);
    out.setFrameRate(44100);
    out.setNumBuffers(4);
    out.setBufferSize(4096);
    out.setOnFillBuffer([&](std::uint8_t* buffer, std::int32_t& size) {
        for (std::int32_t i = 0; i < size; ++i) buffer[i] = static_cast<std::uint8_t>(fills + i);
        return ++fills <= limit;
    });
    out.setOnStart([&](ui::Object*) { ++starts; });
    out.setOnStop([&](ui::Object*) { ++stops; });

    // Two runs: the first on a fresh component, the second on the window the first gave back.
    for (int run = 1; run <= 2; ++run) {
        fills = 0;
        limit = 200;
        bool started = false;
        std::size_t allocations = 0;
        {
            AllocationCounter counter;
            started = out.Start(AudioOut1);
            loop.pumpAll();
            out.setPaused(true);
            out.setPaused(false);
            static_cast<void>(out.ElapsedTime());
            while (device.completeNext()) loop.pumpAll();
            allocations = counter.count();
        }
        ASSERT_TRUE(started) << out.ErrorMessage;
        EXPECT_EQ(stops, run);
        EXPECT_EQ(starts, run);
        EXPECT_EQ(out.ProcessedBuffers, 200);
        EXPECT_EQ(device.count(doubles::FakeWaveOut::Call::Write), 200u * run);
        EXPECT_EQ(allocations, 0u) << "run " << run;
    }
    EXPECT_EQ(out.CallBackWindowCount(), 1u);
}

}  // namespace
