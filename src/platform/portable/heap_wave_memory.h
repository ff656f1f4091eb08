#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/wave_memory.h"

namespace headless {

// Buffer and header memory on the heap. A failure of the n-th next GlobalAlloc or GlobalLock can
// be injected, so that every allocation failure of the wave output can be provoked. Memory
// without GMEM_ZEROINIT is filled with a noise pattern, so code that relies on zeros shows up.
class HeapWaveMemory final : public audio::IWaveMemory {
public:
    static constexpr std::uint8_t kNoise = 0xA5;

    HeapWaveMemory() = default;
    HeapWaveMemory(const HeapWaveMemory&) = delete;
    HeapWaveMemory& operator=(const HeapWaveMemory&) = delete;
    ~HeapWaveMemory() override;

    audio::HGLOBAL GlobalAlloc(std::uint32_t flags, std::size_t bytes) override;
    void* GlobalLock(audio::HGLOBAL handle) override;
    bool GlobalUnlock(audio::HGLOBAL handle) override;
    audio::HGLOBAL GlobalFree(audio::HGLOBAL handle) override;

    // The n-th GlobalAlloc (GlobalLock) from now on fails; n = 1 is the next one. 0 cancels.
    void failAlloc(unsigned n) { allocFailIn_ = n; }
    void failLock(unsigned n) { lockFailIn_ = n; }

    // Blocks allocated and not yet freed, and how many of them are locked.
    std::size_t liveBlocks() const { return blocks_.size(); }
    std::size_t lockedBlocks() const;
    // Sizes of the live blocks, in allocation order.
    std::vector<std::size_t> liveSizes() const;
    std::size_t allocCalls() const { return allocCalls_; }
    // Frees that named no live block (a double free or a stranger's handle).
    std::size_t badFrees() const { return badFrees_; }

private:
    struct Block {
        std::uint8_t* data;
        std::size_t size;
        std::uint32_t flags;
        int locks;
    };
    Block* find(audio::HGLOBAL handle) const;
    static bool due(unsigned& countdown);

    std::vector<Block*> blocks_;
    unsigned allocFailIn_ = 0;
    unsigned lockFailIn_ = 0;
    std::size_t allocCalls_ = 0;
    std::size_t badFrees_ = 0;
};

}  // namespace headless
