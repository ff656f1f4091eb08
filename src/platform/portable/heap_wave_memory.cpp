#include "platform/portable/heap_wave_memory.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace portable {

HeapWaveMemory::~HeapWaveMemory() {
    for (Block* block : blocks_) {
        ::operator delete(block->data, std::nothrow);
        delete block;
    }
}

audio::HGLOBAL HeapWaveMemory::GlobalAlloc(std::uint32_t flags, std::size_t bytes) {
    // Through operator new, so that allocation counters in tests see this memory too.
    auto* data = static_cast<std::uint8_t*>(::operator new(bytes ? bytes : 1, std::nothrow));
    if (data == nullptr) return 0;
    std::memset(data, (flags & audio::GMEM_ZEROINIT) ? 0 : kNoise, bytes);
    auto* block = new (std::nothrow) Block{data, bytes, flags, 0};
    if (block == nullptr) {
        ::operator delete(data, std::nothrow);
        return 0;
    }
    blocks_.push_back(block);
    return reinterpret_cast<audio::HGLOBAL>(block);
}

HeapWaveMemory::Block* HeapWaveMemory::find(audio::HGLOBAL handle) const {
    for (Block* block : blocks_) {
        if (reinterpret_cast<audio::HGLOBAL>(block) == handle) return block;
    }
    return nullptr;
}

void* HeapWaveMemory::GlobalLock(audio::HGLOBAL handle) {
    Block* block = find(handle);
    if (block == nullptr) return nullptr;
    ++block->locks;
    return block->data;
}

bool HeapWaveMemory::GlobalUnlock(audio::HGLOBAL handle) {
    Block* block = find(handle);
    if (block == nullptr || block->locks == 0) return false;
    return --block->locks > 0;
}

audio::HGLOBAL HeapWaveMemory::GlobalFree(audio::HGLOBAL handle) {
    Block* block = find(handle);
    if (block == nullptr) {
        ++badFrees_;
        return handle;
    }
    blocks_.erase(std::find(blocks_.begin(), blocks_.end(), block));
    ::operator delete(block->data, std::nothrow);
    delete block;
    return 0;
}

std::size_t HeapWaveMemory::lockedBlocks() const {
    return static_cast<std::size_t>(
        std::count_if(blocks_.begin(), blocks_.end(), [](const Block* b) { return b->locks > 0; }));
}

std::vector<std::size_t> HeapWaveMemory::liveSizes() const {
    std::vector<std::size_t> sizes;
    for (const Block* block : blocks_) sizes.push_back(block->size);
    return sizes;
}

}  // namespace portable
