#pragma once

#include "audio/wave_memory.h"

namespace win32 {

// Buffer and header memory from the Windows global heap, as winmm's documentation asks for.
class GlobalWaveMemory final : public audio::IWaveMemory {
public:
    audio::HGLOBAL GlobalAlloc(std::uint32_t flags, std::size_t bytes) override;
    void* GlobalLock(audio::HGLOBAL handle) override;
    bool GlobalUnlock(audio::HGLOBAL handle) override;
    audio::HGLOBAL GlobalFree(audio::HGLOBAL handle) override;
};

}  // namespace win32
