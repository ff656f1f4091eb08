#include "support/doubles/faulty_wave_memory.h"

namespace doubles {

bool FaultyWaveMemory::due(unsigned& countdown) {
    if (countdown == 0) return false;
    return --countdown == 0;
}

audio::HGLOBAL FaultyWaveMemory::GlobalAlloc(std::uint32_t flags, std::size_t bytes) {
    ++allocCalls_;
    if (due(allocFailIn_)) return 0;
    return portable::HeapWaveMemory::GlobalAlloc(flags, bytes);
}

void* FaultyWaveMemory::GlobalLock(audio::HGLOBAL handle) {
    // A handle that names no block fails on its own and leaves the countdown alone.
    void* data = portable::HeapWaveMemory::GlobalLock(handle);
    if (data == nullptr || !due(lockFailIn_)) return data;
    portable::HeapWaveMemory::GlobalUnlock(handle);
    return nullptr;
}

}  // namespace doubles
