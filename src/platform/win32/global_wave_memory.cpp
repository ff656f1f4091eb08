#include <windows.h>

#include "platform/win32/global_wave_memory.h"

namespace win32 {

namespace {

::HGLOBAL ToNative(audio::HGLOBAL handle) {
    return reinterpret_cast<::HGLOBAL>(handle);
}

}  // namespace

// The members carry the Windows names, so the Windows functions are called by their full name.

audio::HGLOBAL GlobalWaveMemory::GlobalAlloc(std::uint32_t flags, std::size_t bytes) {
    return reinterpret_cast<audio::HGLOBAL>(::GlobalAlloc(flags, bytes));
}

void* GlobalWaveMemory::GlobalLock(audio::HGLOBAL handle) {
    if (handle == 0) return nullptr;
    return ::GlobalLock(ToNative(handle));
}

bool GlobalWaveMemory::GlobalUnlock(audio::HGLOBAL handle) {
    if (handle == 0) return false;
    return ::GlobalUnlock(ToNative(handle)) != FALSE;
}

audio::HGLOBAL GlobalWaveMemory::GlobalFree(audio::HGLOBAL handle) {
    if (handle == 0) return 0;
    return reinterpret_cast<audio::HGLOBAL>(::GlobalFree(ToNative(handle)));
}

}  // namespace win32
