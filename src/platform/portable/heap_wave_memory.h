#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/wave_memory.h"

namespace portable {

// Buffer and header memory on the heap, for a device that needs no memory of the system's own.
// Memory without GMEM_ZEROINIT is filled with a noise pattern, so code that relies on zeros
// shows up. It keeps count of its blocks, so that a leak or a double free can be seen.
class HeapWaveMemory : public audio::IWaveMemory {
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

    // Blocks allocated and not yet freed, and how many of them are locked.
    std::size_t liveBlocks() const { return blocks_.size(); }
    std::size_t lockedBlocks() const;
    // Sizes of the live blocks, in allocation order.
    std::vector<std::size_t> liveSizes() const;
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

    std::vector<Block*> blocks_;
    std::size_t badFrees_ = 0;
};

}  // namespace portable
