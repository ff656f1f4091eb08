#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/portable/heap_wave_memory.h"

namespace doubles {

// The heap wave memory with a failure of the n-th next GlobalAlloc or GlobalLock to inject, so
// that every allocation failure of the wave output can be provoked. Every call is counted,
// the failed ones too.
class FaultyWaveMemory final : public portable::HeapWaveMemory {
public:
    audio::HGLOBAL GlobalAlloc(std::uint32_t flags, std::size_t bytes) override;
    void* GlobalLock(audio::HGLOBAL handle) override;

    // The n-th GlobalAlloc (GlobalLock) from now on fails; n = 1 is the next one. 0 cancels.
    void failAlloc(unsigned n) { allocFailIn_ = n; }
    void failLock(unsigned n) { lockFailIn_ = n; }

    std::size_t allocCalls() const { return allocCalls_; }

private:
    static bool due(unsigned& countdown);

    unsigned allocFailIn_ = 0;
    unsigned lockFailIn_ = 0;
    std::size_t allocCalls_ = 0;
};

}  // namespace doubles
