#include "audio/wave_device_core.h"

#include <algorithm>

namespace audio {

// One open device: its callback, its stream and the buffers it holds, oldest first.
struct WaveLink::Device {
    HWAVEOUT handle = 0;
    ui::MessageTarget* window = nullptr;  // nullptr: nothing is posted
    std::uint32_t flags = 0;
    WAVEFORMATEX format{};
    WaveStream* stream = nullptr;
    // Guarded by the core's state mutex.
    std::vector<WAVEHDR*> pending;
    bool written = false;  // a block has been written since the open
    bool sized = false;    // the stream has been told the buffers' length
    bool failed = false;
    MMRESULT failure = MMSYSERR_NOERROR;
    std::string reason;
    bool finished = false;  // MM_WOM_CLOSE is posted

    // Ready for the next open; the queue keeps its room.
    void reset() {
        handle = 0;
        window = nullptr;
        flags = 0;
        format = WAVEFORMATEX{};
        stream = nullptr;
        pending.clear();
        written = sized = failed = finished = false;
        failure = MMSYSERR_NOERROR;
        reason.clear();
    }
};

void WaveLink::played() const {
    core_->played(*device_);
}

void WaveLink::failed(MMRESULT code, std::string reason) const {
    core_->failed(*device_, code, std::move(reason));
}

void WaveLink::closed() const {
    core_->closed(*device_);
}

HWAVEOUT WaveLink::handle() const {
    return device_->handle;
}

std::uint32_t WaveLink::flags() const {
    return device_->flags;
}

ui::MessageTarget* WaveLink::window() const {
    return device_->window;
}

WaveDeviceCore::WaveDeviceCore(ui::IMessageLoop& loop, HWAVEOUT firstHandle)
    : loop_(loop), nextHandle_(firstHandle) {
    // Room up front: neither an open nor the steady state allocates anything of ours.
    constexpr std::size_t kRoom = 8;
    records_.reserve(kRoom);
    open_.reserve(kRoom);
    closing_.reserve(kRoom);
    free_.reserve(kRoom);
    texts_.reserve(kRoom);
    for (std::size_t i = 0; i < 4; ++i) {
        records_.push_back(std::make_unique<Device>());
        records_.back()->pending.reserve(64);
        free_.push_back(records_.back().get());
    }
}

WaveDeviceCore::~WaveDeviceCore() {
    EndAllDevices();
}

// ---------------------------------------------------------------------------------------------
// bookkeeping

WaveDeviceCore::Device* WaveDeviceCore::find(HWAVEOUT handle) const {
    if (handle == 0) return nullptr;
    for (Device* device : open_)
        if (device->handle == handle) return device;
    return nullptr;
}

WaveDeviceCore::Device* WaveDeviceCore::takeClosing(bool finishedOnly) {
    std::lock_guard lock(state_);
    const auto it = std::find_if(closing_.begin(), closing_.end(), [finishedOnly](const Device* d) {
        return d->finished || !finishedOnly;
    });
    if (it == closing_.end()) return nullptr;
    Device* device = *it;
    closing_.erase(it);
    return device;
}

// Ends the stream of a device taken out of its list, without our mutex: a stream's thread may
// still be on its way out of WaveLink, and a stream that had not finished reports its close now.
void WaveDeviceCore::end(Device* device) {
    if (device->stream != nullptr) EndStream(device->stream);
    closed(*device);
    std::lock_guard lock(state_);
    device->stream = nullptr;
    free_.push_back(device);
}

void WaveDeviceCore::post(const Device& device, std::uint32_t msg, WAVEHDR* header) {
    if (device.window == nullptr) return;
    loop_.post(
        ui::Message{device.window, msg, device.handle, reinterpret_cast<std::intptr_t>(header)});
}

// With the state mutex held: every pending buffer comes back, in the order written.
void WaveDeviceCore::handBack(Device& device) {
    for (WAVEHDR* header : device.pending) {
        header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
        post(device, MM_WOM_DONE, header);
    }
    device.pending.clear();
}

void WaveDeviceCore::played(Device& device) {
    std::lock_guard lock(state_);
    if (device.pending.empty()) return;  // handed back already
    WAVEHDR* header = device.pending.front();
    device.pending.erase(device.pending.begin());
    header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    post(device, MM_WOM_DONE, header);
}

void WaveDeviceCore::failed(Device& device, MMRESULT code, std::string reason) {
    std::lock_guard lock(state_);
    if (device.failed) return;
    device.failed = true;
    device.failure = code;
    device.reason = std::move(reason);
    handBack(device);
}

void WaveDeviceCore::closed(Device& device) {
    std::lock_guard lock(state_);
    if (device.finished) return;
    device.finished = true;
    post(device, MM_WOM_CLOSE, nullptr);
}

// Ends the streams of closed devices that have finished.
void WaveDeviceCore::reap() {
    while (Device* device = takeClosing(true)) end(device);
}

void WaveDeviceCore::EndClosingDevices() {
    std::lock_guard calls(calls_);
    while (Device* device = takeClosing(false)) end(device);
}

void WaveDeviceCore::EndAllDevices() {
    std::lock_guard calls(calls_);
    EndClosingDevices();
    for (;;) {
        Device* device = nullptr;
        {
            std::lock_guard lock(state_);
            if (open_.empty()) break;
            device = open_.back();
            open_.pop_back();
            // An open device that ends posts nothing more.
            device->finished = true;
        }
        end(device);
    }
}

MMRESULT WaveDeviceCore::seen(WaveCall call, HWAVEOUT handle, MMRESULT result, WAVEHDR* header,
                              std::uint32_t bytes) {
    Seen(call, handle, result, header, bytes);
    return result;
}

void WaveDeviceCore::SetErrorText(MMRESULT code, std::string text) {
    for (auto& entry : texts_) {
        if (entry.first == code) {
            entry.second = std::move(text);
            return;
        }
    }
    texts_.emplace_back(code, std::move(text));
}

std::size_t WaveDeviceCore::openCount() const {
    std::lock_guard lock(state_);
    return open_.size();
}

bool WaveDeviceCore::isOpen(HWAVEOUT handle) const {
    std::lock_guard lock(state_);
    return find(handle) != nullptr;
}

std::size_t WaveDeviceCore::pendingCount(HWAVEOUT handle) const {
    std::lock_guard lock(state_);
    const Device* device = find(handle);
    return device != nullptr ? device->pending.size() : 0;
}

// ---------------------------------------------------------------------------------------------
// IWaveOut

std::uint32_t WaveDeviceCore::GetNumDevs() {
    const std::uint32_t n = DeviceCount();
    seen(WaveCall::GetNumDevs, 0, MMSYSERR_NOERROR);
    return n;
}

MMRESULT WaveDeviceCore::GetDevCaps(std::uint32_t deviceId, WAVEOUTCAPS* caps) {
    if (const MMRESULT refused = Screen(WaveCall::GetDevCaps))
        return seen(WaveCall::GetDevCaps, 0, refused);
    if (caps == nullptr) return seen(WaveCall::GetDevCaps, 0, MMSYSERR_INVALPARAM);
    return seen(WaveCall::GetDevCaps, 0, DeviceCaps(deviceId, *caps));
}

MMRESULT WaveDeviceCore::Open(HWAVEOUT* handle, std::uint32_t deviceId, const WAVEFORMATEX& format,
                              ui::MessageTarget* callbackWindow, std::uint32_t flags) {
    std::lock_guard calls(calls_);
    reap();
    if (const MMRESULT refused = Screen(WaveCall::Open)) return seen(WaveCall::Open, 0, refused);
    if (handle == nullptr) return seen(WaveCall::Open, 0, MMSYSERR_INVALPARAM);
    const std::uint32_t callbackType = flags & CALLBACK_TYPEMASK;
    // Function, thread and event callbacks would run outside the UI thread.
    if (callbackType != CALLBACK_WINDOW && callbackType != CALLBACK_NULL)
        return seen(WaveCall::Open, 0, MMSYSERR_INVALFLAG);
    if (callbackType == CALLBACK_WINDOW && callbackWindow == nullptr)
        return seen(WaveCall::Open, 0, MMSYSERR_INVALPARAM);

    Device* device = nullptr;
    {
        std::lock_guard lock(state_);
        if (free_.empty()) {
            records_.push_back(std::make_unique<Device>());
            free_.push_back(records_.back().get());
        }
        device = free_.back();
        free_.pop_back();
    }
    device->reset();
    device->pending.reserve(64);
    device->handle = nextHandle_;
    device->window = callbackType == CALLBACK_WINDOW ? callbackWindow : nullptr;
    device->format = format;
    device->flags = flags;
    const MMRESULT opened = OpenStream(deviceId, format, WaveLink(*this, *device), device->stream);
    if (opened != MMSYSERR_NOERROR || device->stream == nullptr) {
        std::lock_guard lock(state_);
        free_.push_back(device);
        return seen(WaveCall::Open, 0, opened != MMSYSERR_NOERROR ? opened : MMSYSERR_ERROR);
    }
    ++nextHandle_;
    *handle = device->handle;
    {
        std::lock_guard lock(state_);
        post(*device, MM_WOM_OPEN, nullptr);
        open_.push_back(device);
    }
    return seen(WaveCall::Open, *handle, MMSYSERR_NOERROR);
}

MMRESULT WaveDeviceCore::PrepareHeader(HWAVEOUT handle, WAVEHDR* header) {
    std::lock_guard calls(calls_);
    if (const MMRESULT refused = Screen(WaveCall::PrepareHeader))
        return seen(WaveCall::PrepareHeader, handle, refused, header);
    Device* device = find(handle);
    if (device == nullptr)
        return seen(WaveCall::PrepareHeader, handle, MMSYSERR_INVALHANDLE, header);
    if (header == nullptr || header->lpData == nullptr)
        return seen(WaveCall::PrepareHeader, handle, MMSYSERR_INVALPARAM, header);
    bool tell = false;
    {
        std::lock_guard lock(state_);
        header->dwFlags |= WHDR_PREPARED;
        // The first buffer of an open tells how long the ring's buffers are.
        tell = !device->sized && !device->written && !device->failed && header->dwBufferLength > 0;
        if (tell) device->sized = true;
    }
    MMRESULT result = tell ? device->stream->sizeBuffers(header->dwBufferLength) : MMSYSERR_NOERROR;
    if (result != MMSYSERR_NOERROR) {
        std::lock_guard lock(state_);
        if (device->failed && result == device->failure) SetErrorText(result, device->reason);
    }
    return seen(WaveCall::PrepareHeader, handle, result, header);
}

MMRESULT WaveDeviceCore::UnprepareHeader(HWAVEOUT handle, WAVEHDR* header) {
    std::lock_guard calls(calls_);
    if (const MMRESULT refused = Screen(WaveCall::UnprepareHeader))
        return seen(WaveCall::UnprepareHeader, handle, refused, header);
    if (find(handle) == nullptr)
        return seen(WaveCall::UnprepareHeader, handle, MMSYSERR_INVALHANDLE, header);
    if (header == nullptr) return seen(WaveCall::UnprepareHeader, handle, MMSYSERR_INVALPARAM);
    std::lock_guard lock(state_);
    if (header->dwFlags & WHDR_INQUEUE)
        return seen(WaveCall::UnprepareHeader, handle, WAVERR_STILLPLAYING, header);
    header->dwFlags &= ~WHDR_PREPARED;
    return seen(WaveCall::UnprepareHeader, handle, MMSYSERR_NOERROR, header);
}

MMRESULT WaveDeviceCore::Write(HWAVEOUT handle, WAVEHDR* header) {
    std::lock_guard calls(calls_);
    const std::uint32_t bytes = header != nullptr ? header->dwBufferLength : 0;
    if (const MMRESULT refused = Screen(WaveCall::Write))
        return seen(WaveCall::Write, handle, refused, header, bytes);
    Device* device = find(handle);
    if (device == nullptr)
        return seen(WaveCall::Write, handle, MMSYSERR_INVALHANDLE, header, bytes);
    if (header == nullptr || header->lpData == nullptr)
        return seen(WaveCall::Write, handle, MMSYSERR_INVALPARAM, header, bytes);
    {
        std::lock_guard lock(state_);
        if (!(header->dwFlags & WHDR_PREPARED))
            return seen(WaveCall::Write, handle, WAVERR_UNPREPARED, header, bytes);
        if (header->dwFlags & WHDR_INQUEUE)
            return seen(WaveCall::Write, handle, WAVERR_STILLPLAYING, header, bytes);
        if (device->failed) {
            SetErrorText(device->failure, device->reason);
            return seen(WaveCall::Write, handle, device->failure, header, bytes);
        }
        // Queued before the stream has it: the stream may report it played at once.
        header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
        device->pending.push_back(header);
        device->written = true;
    }
    const MMRESULT result = device->stream->write(header->lpData, bytes);
    if (result != MMSYSERR_NOERROR) {
        std::lock_guard lock(state_);
        const auto it = std::find(device->pending.begin(), device->pending.end(), header);
        // A device that failed meanwhile has handed the buffer back already: it was written.
        if (it == device->pending.end())
            return seen(WaveCall::Write, handle, MMSYSERR_NOERROR, header, bytes);
        device->pending.erase(it);
        header->dwFlags &= ~WHDR_INQUEUE;
        if (device->failed && result == device->failure) SetErrorText(result, device->reason);
    }
    return seen(WaveCall::Write, handle, result, header, bytes);
}

// Screens the call and runs `action` on the open device of `handle`.
template <class Action>
MMRESULT WaveDeviceCore::onDevice(WaveCall call, HWAVEOUT handle, Action action) {
    std::lock_guard calls(calls_);
    if (const MMRESULT refused = Screen(call)) return seen(call, handle, refused);
    Device* device = find(handle);
    if (device == nullptr) return seen(call, handle, MMSYSERR_INVALHANDLE);
    action(*device);
    return seen(call, handle, MMSYSERR_NOERROR);
}

MMRESULT WaveDeviceCore::Reset(HWAVEOUT handle) {
    return onDevice(WaveCall::Reset, handle, [this](Device& device) {
        device.stream->drop();
        std::lock_guard lock(state_);
        handBack(device);
    });
}

MMRESULT WaveDeviceCore::Pause(HWAVEOUT handle) {
    return onDevice(WaveCall::Pause, handle, [](Device& device) { device.stream->pause(); });
}

MMRESULT WaveDeviceCore::Restart(HWAVEOUT handle) {
    return onDevice(WaveCall::Restart, handle, [](Device& device) { device.stream->resume(); });
}

MMRESULT WaveDeviceCore::GetPosition(HWAVEOUT handle, MMTIME* time) {
    std::lock_guard calls(calls_);
    if (const MMRESULT refused = Screen(WaveCall::GetPosition))
        return seen(WaveCall::GetPosition, handle, refused);
    Device* device = find(handle);
    if (device == nullptr) return seen(WaveCall::GetPosition, handle, MMSYSERR_INVALHANDLE);
    if (time == nullptr) return seen(WaveCall::GetPosition, handle, MMSYSERR_INVALPARAM);
    const std::uint64_t frames = device->stream->position();
    const WAVEFORMATEX& format = device->format;
    time->wType = PositionType(time->wType);
    switch (time->wType) {
        case TIME_SAMPLES:
            time->u.sample = static_cast<std::uint32_t>(frames);
            break;
        case TIME_MS:
            time->u.ms = static_cast<std::uint32_t>(frames * 1000 / format.nSamplesPerSec);
            break;
        default:
            // Like a driver, answer in a format it supports.
            time->wType = TIME_BYTES;
            time->u.cb = static_cast<std::uint32_t>(frames * format.nBlockAlign);
            break;
    }
    return seen(WaveCall::GetPosition, handle, MMSYSERR_NOERROR);
}

MMRESULT WaveDeviceCore::Close(HWAVEOUT handle) {
    std::lock_guard calls(calls_);
    if (const MMRESULT refused = Screen(WaveCall::Close))
        return seen(WaveCall::Close, handle, refused);
    Device* device = nullptr;
    {
        std::lock_guard lock(state_);
        const auto it = std::find_if(open_.begin(), open_.end(),
                                     [handle](const Device* d) { return d->handle == handle; });
        if (handle == 0 || it == open_.end())
            return seen(WaveCall::Close, handle, MMSYSERR_INVALHANDLE);
        if (!(*it)->pending.empty()) return seen(WaveCall::Close, handle, WAVERR_STILLPLAYING);
        // The handle is gone at once; the stream finishes and reports its close.
        device = *it;
        closing_.push_back(device);
        open_.erase(it);
    }
    device->stream->close();
    reap();
    return seen(WaveCall::Close, handle, MMSYSERR_NOERROR);
}

MMRESULT WaveDeviceCore::GetErrorText(MMRESULT code, char* buffer, std::uint32_t capacity) {
    if (const MMRESULT refused = Screen(WaveCall::GetErrorText))
        return seen(WaveCall::GetErrorText, 0, refused);
    for (const auto& [known, text] : texts_)
        if (known == code)
            return seen(WaveCall::GetErrorText, 0, CopyWaveText(text, buffer, capacity));
    std::string words;
    if (SystemErrorText(code, words))
        return seen(WaveCall::GetErrorText, 0, CopyWaveText(words, buffer, capacity));
    const char* text = StandardWaveErrorText(code);
    if (text == nullptr) return seen(WaveCall::GetErrorText, 0, MMSYSERR_BADERRNUM);
    return seen(WaveCall::GetErrorText, 0, CopyWaveText(text, buffer, capacity));
}

}  // namespace audio
