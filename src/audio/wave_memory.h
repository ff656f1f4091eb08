#pragma once

// The allocation seam for buffer and header memory: GlobalAlloc and friends on Windows, the heap
// elsewhere. It exists so that the component's four allocation failures can be provoked.

#include <cstddef>
#include <cstdint>

namespace audio {

using HGLOBAL = std::uintptr_t;  // 0 is "no memory"

#ifndef GMEM_MOVEABLE
constexpr std::uint32_t GMEM_MOVEABLE = 0x0002;
#endif
#ifndef GMEM_ZEROINIT
constexpr std::uint32_t GMEM_ZEROINIT = 0x0040;
#endif
#ifndef GMEM_SHARE
constexpr std::uint32_t GMEM_SHARE = 0x2000;
#endif

class IWaveMemory {
public:
    virtual ~IWaveMemory() = default;
    // A handle, or 0 when the memory could not be had.
    virtual HGLOBAL GlobalAlloc(std::uint32_t flags, std::size_t bytes) = 0;
    // The block's address, or nullptr on failure.
    virtual void* GlobalLock(HGLOBAL handle) = 0;
    // True while the block is still locked after this call.
    virtual bool GlobalUnlock(HGLOBAL handle) = 0;
    // 0 on success, the handle itself on failure.
    virtual HGLOBAL GlobalFree(HGLOBAL handle) = 0;
};

}  // namespace audio
