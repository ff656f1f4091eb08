#include "platform/headless/fake_wave_out.h"

#include <algorithm>

namespace headless {

using namespace audio;

FakeWaveOut::FakeWaveOut(ui::IMessageLoop& loop, std::vector<std::string> deviceNames)
    : loop_(loop), names_(std::move(deviceNames)) {
    // Room up front, so that a test of the steady state sees no allocation of ours.
    devices_.resize(4);
    for (Device& device : devices_) device.pending.reserve(64);
    faults_.reserve(16);
    calls_.reserve(4096);
}

// ---------------------------------------------------------------------------------------------
// bookkeeping

bool FakeWaveOut::injected(Call call, MMRESULT& code) {
    for (Fault& fault : faults_)
        if (fault.call == call && fault.countdown > 0) --fault.countdown;
    const auto due = std::find_if(faults_.begin(), faults_.end(), [call](const Fault& f) {
        return f.call == call && f.countdown == 0;
    });
    if (due == faults_.end()) return false;
    code = due->code;
    faults_.erase(due);
    // Two faults due on the same call: the other one takes the next call.
    for (Fault& fault : faults_)
        if (fault.call == call && fault.countdown == 0) fault.countdown = 1;
    return true;
}

void FakeWaveOut::failNext(Call call, MMRESULT code, unsigned n) {
    if (n == 0) return;
    faults_.push_back(Fault{call, code, n});
}

MMRESULT FakeWaveOut::record(Call call, HWAVEOUT handle, MMRESULT result, WAVEHDR* header,
                             std::uint32_t bytes) {
    if (record_) calls_.push_back(CallRecord{call, handle, header, bytes, result});
    return result;
}

std::size_t FakeWaveOut::count(Call call) const {
    return static_cast<std::size_t>(std::count_if(
        calls_.begin(), calls_.end(), [call](const CallRecord& r) { return r.call == call; }));
}

FakeWaveOut::Device* FakeWaveOut::find(HWAVEOUT handle) {
    if (handle == 0) return nullptr;
    for (Device& device : devices_)
        if (device.open && device.handle == handle) return &device;
    return nullptr;
}

const FakeWaveOut::Device* FakeWaveOut::current() const {
    return current_ < devices_.size() ? &devices_[current_] : nullptr;
}

FakeWaveOut::Device* FakeWaveOut::current() {
    return current_ < devices_.size() ? &devices_[current_] : nullptr;
}

void FakeWaveOut::post(const Device& device, std::uint32_t msg, WAVEHDR* header) {
    if ((device.flags & CALLBACK_TYPEMASK) != CALLBACK_WINDOW || device.window == nullptr) return;
    loop_.post(
        ui::Message{device.window, msg, device.handle, reinterpret_cast<std::intptr_t>(header)});
}

std::uint64_t FakeWaveOut::framesOf(const Device& device, const WAVEHDR& header) {
    return header.dwBufferLength / device.format.nBlockAlign;
}

// ---------------------------------------------------------------------------------------------
// IWaveOut

std::uint32_t FakeWaveOut::GetNumDevs() {
    const auto n = static_cast<std::uint32_t>(names_.size());
    record(Call::GetNumDevs, 0, MMSYSERR_NOERROR);
    return n;
}

MMRESULT FakeWaveOut::GetDevCaps(std::uint32_t deviceId, WAVEOUTCAPS* caps) {
    MMRESULT code = MMSYSERR_NOERROR;
    if (injected(Call::GetDevCaps, code)) return record(Call::GetDevCaps, 0, code);
    if (caps == nullptr) return record(Call::GetDevCaps, 0, MMSYSERR_INVALPARAM);
    if (deviceId == WAVE_MAPPER) {
        if (names_.empty()) return record(Call::GetDevCaps, 0, MMSYSERR_NODRIVER);
        *caps = WAVEOUTCAPS{};
        SetDeviceName(*caps, kMapperName);
    } else {
        if (deviceId >= names_.size()) return record(Call::GetDevCaps, 0, MMSYSERR_BADDEVICEID);
        *caps = WAVEOUTCAPS{};
        SetDeviceName(*caps, names_[deviceId]);
    }
    caps->wChannels = 2;
    return record(Call::GetDevCaps, 0, MMSYSERR_NOERROR);
}

MMRESULT FakeWaveOut::Open(HWAVEOUT* handle, std::uint32_t deviceId, const WAVEFORMATEX& format,
                           ui::MessageTarget* callbackWindow, std::uint32_t flags) {
    MMRESULT code = MMSYSERR_NOERROR;
    if (injected(Call::Open, code)) return record(Call::Open, 0, code);
    if (handle == nullptr) return record(Call::Open, 0, MMSYSERR_INVALPARAM);
    if (deviceId == WAVE_MAPPER) {
        if (names_.empty()) return record(Call::Open, 0, MMSYSERR_NODRIVER);
    } else if (deviceId >= names_.size()) {
        return record(Call::Open, 0, MMSYSERR_BADDEVICEID);
    }
    const std::uint32_t callbackType = flags & CALLBACK_TYPEMASK;
    if (callbackType != CALLBACK_WINDOW && callbackType != CALLBACK_NULL)
        return record(Call::Open, 0, MMSYSERR_INVALFLAG);
    if (callbackType == CALLBACK_WINDOW && callbackWindow == nullptr)
        return record(Call::Open, 0, MMSYSERR_INVALPARAM);
    if (format.wFormatTag != WAVE_FORMAT_PCM || format.nChannels == 0 ||
        format.nSamplesPerSec == 0 || format.nBlockAlign == 0 || format.wBitsPerSample < 8)
        return record(Call::Open, 0, WAVERR_BADFORMAT);

    auto slot =
        std::find_if(devices_.begin(), devices_.end(), [](const Device& d) { return !d.open; });
    if (slot == devices_.end()) {
        devices_.emplace_back();
        devices_.back().pending.reserve(64);
        slot = devices_.end() - 1;
    }
    Device& device = *slot;
    device.handle = nextHandle_++;
    device.open = true;
    device.deviceId = deviceId;
    device.format = format;
    device.window = callbackWindow;
    device.flags = flags;
    device.paused = false;
    device.pending.clear();
    device.headPlayed = 0;
    device.samples = 0;
    current_ = static_cast<std::size_t>(slot - devices_.begin());
    *handle = device.handle;
    post(device, MM_WOM_OPEN, nullptr);
    return record(Call::Open, device.handle, MMSYSERR_NOERROR);
}

MMRESULT FakeWaveOut::PrepareHeader(HWAVEOUT handle, WAVEHDR* header) {
    MMRESULT code = MMSYSERR_NOERROR;
    if (injected(Call::PrepareHeader, code))
        return record(Call::PrepareHeader, handle, code, header);
    if (find(handle) == nullptr)
        return record(Call::PrepareHeader, handle, MMSYSERR_INVALHANDLE, header);
    if (header == nullptr || header->lpData == nullptr)
        return record(Call::PrepareHeader, handle, MMSYSERR_INVALPARAM, header);
    header->dwFlags |= WHDR_PREPARED;
    return record(Call::PrepareHeader, handle, MMSYSERR_NOERROR, header);
}

MMRESULT FakeWaveOut::UnprepareHeader(HWAVEOUT handle, WAVEHDR* header) {
    MMRESULT code = MMSYSERR_NOERROR;
    if (injected(Call::UnprepareHeader, code))
        return record(Call::UnprepareHeader, handle, code, header);
    if (find(handle) == nullptr)
        return record(Call::UnprepareHeader, handle, MMSYSERR_INVALHANDLE, header);
    if (header == nullptr)
        return record(Call::UnprepareHeader, handle, MMSYSERR_INVALPARAM, header);
    if (header->dwFlags & WHDR_INQUEUE)
        return record(Call::UnprepareHeader, handle, WAVERR_STILLPLAYING, header);
    header->dwFlags &= ~WHDR_PREPARED;
    return record(Call::UnprepareHeader, handle, MMSYSERR_NOERROR, header);
}

MMRESULT FakeWaveOut::Write(HWAVEOUT handle, WAVEHDR* header) {
    const std::uint32_t bytes = header != nullptr ? header->dwBufferLength : 0;
    MMRESULT code = MMSYSERR_NOERROR;
    if (injected(Call::Write, code)) return record(Call::Write, handle, code, header, bytes);
    Device* device = find(handle);
    if (device == nullptr) return record(Call::Write, handle, MMSYSERR_INVALHANDLE, header, bytes);
    if (header == nullptr || header->lpData == nullptr)
        return record(Call::Write, handle, MMSYSERR_INVALPARAM, header, bytes);
    if (!(header->dwFlags & WHDR_PREPARED))
        return record(Call::Write, handle, WAVERR_UNPREPARED, header, bytes);
    if (header->dwFlags & WHDR_INQUEUE)
        return record(Call::Write, handle, WAVERR_STILLPLAYING, header, bytes);
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    device->pending.push_back(header);
    return record(Call::Write, handle, MMSYSERR_NOERROR, header, bytes);
}

MMRESULT FakeWaveOut::Reset(HWAVEOUT handle) {
    MMRESULT code = MMSYSERR_NOERROR;
    if (injected(Call::Reset, code)) return record(Call::Reset, handle, code);
    Device* device = find(handle);
    if (device == nullptr) return record(Call::Reset, handle, MMSYSERR_INVALHANDLE);
    for (WAVEHDR* header : device->pending) {
        header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
        post(*device, MM_WOM_DONE, header);
    }
    device->pending.clear();
    device->headPlayed = 0;
    device->samples = 0;
    return record(Call::Reset, handle, MMSYSERR_NOERROR);
}

MMRESULT FakeWaveOut::Pause(HWAVEOUT handle) {
    MMRESULT code = MMSYSERR_NOERROR;
    if (injected(Call::Pause, code)) return record(Call::Pause, handle, code);
    Device* device = find(handle);
    if (device == nullptr) return record(Call::Pause, handle, MMSYSERR_INVALHANDLE);
    device->paused = true;
    return record(Call::Pause, handle, MMSYSERR_NOERROR);
}

MMRESULT FakeWaveOut::Restart(HWAVEOUT handle) {
    MMRESULT code = MMSYSERR_NOERROR;
    if (injected(Call::Restart, code)) return record(Call::Restart, handle, code);
    Device* device = find(handle);
    if (device == nullptr) return record(Call::Restart, handle, MMSYSERR_INVALHANDLE);
    device->paused = false;
    return record(Call::Restart, handle, MMSYSERR_NOERROR);
}

MMRESULT FakeWaveOut::GetPosition(HWAVEOUT handle, MMTIME* time) {
    MMRESULT code = MMSYSERR_NOERROR;
    if (injected(Call::GetPosition, code)) return record(Call::GetPosition, handle, code);
    const Device* device = find(handle);
    if (device == nullptr) return record(Call::GetPosition, handle, MMSYSERR_INVALHANDLE);
    if (time == nullptr) return record(Call::GetPosition, handle, MMSYSERR_INVALPARAM);
    if (positionType_ != 0) time->wType = positionType_;
    switch (time->wType) {
        case TIME_SAMPLES:
            time->u.sample = static_cast<std::uint32_t>(device->samples);
            break;
        case TIME_MS:
            time->u.ms =
                static_cast<std::uint32_t>(device->samples * 1000 / device->format.nSamplesPerSec);
            break;
        default:
            // Like a driver, answer in a format it supports.
            time->wType = TIME_BYTES;
            time->u.cb = static_cast<std::uint32_t>(device->samples * device->format.nBlockAlign);
            break;
    }
    return record(Call::GetPosition, handle, MMSYSERR_NOERROR);
}

MMRESULT FakeWaveOut::Close(HWAVEOUT handle) {
    MMRESULT code = MMSYSERR_NOERROR;
    if (injected(Call::Close, code)) return record(Call::Close, handle, code);
    Device* device = find(handle);
    if (device == nullptr) return record(Call::Close, handle, MMSYSERR_INVALHANDLE);
    if (!device->pending.empty()) return record(Call::Close, handle, WAVERR_STILLPLAYING);
    device->open = false;
    post(*device, MM_WOM_CLOSE, nullptr);
    return record(Call::Close, handle, MMSYSERR_NOERROR);
}

MMRESULT FakeWaveOut::GetErrorText(MMRESULT code, char* buffer, std::uint32_t capacity) {
    MMRESULT fault = MMSYSERR_NOERROR;
    if (injected(Call::GetErrorText, fault)) return record(Call::GetErrorText, 0, fault);
    for (const auto& [known, text] : texts_) {
        if (known == code)
            return record(Call::GetErrorText, 0, CopyWaveText(text, buffer, capacity));
    }
    const char* text = StandardWaveErrorText(code);
    if (text == nullptr) return record(Call::GetErrorText, 0, MMSYSERR_BADERRNUM);
    return record(Call::GetErrorText, 0, CopyWaveText(text, buffer, capacity));
}

void FakeWaveOut::setErrorText(MMRESULT code, std::string text) {
    for (auto& entry : texts_) {
        if (entry.first == code) {
            entry.second = std::move(text);
            return;
        }
    }
    texts_.emplace_back(code, std::move(text));
}

// ---------------------------------------------------------------------------------------------
// the virtual clock

void FakeWaveOut::finishHead(Device& device) {
    WAVEHDR* header = device.pending.front();
    device.pending.erase(device.pending.begin());
    device.headPlayed = 0;
    if (capture_) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(header->lpData);
        played_.insert(played_.end(), data, data + header->dwBufferLength);
        playedLengths_.push_back(header->dwBufferLength);
    }
    header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    post(device, MM_WOM_DONE, header);
}

std::uint64_t FakeWaveOut::advance(std::uint64_t frames) {
    Device* device = current();
    if (device == nullptr || !device->open) return 0;
    std::uint64_t played = 0;
    while (!device->pending.empty() && !device->paused) {
        const std::uint64_t left = framesOf(*device, *device->pending.front()) - device->headPlayed;
        const std::uint64_t step = std::min(left, frames - played);
        device->headPlayed += step;
        device->samples += step;
        played += step;
        if (device->headPlayed < framesOf(*device, *device->pending.front())) break;
        finishHead(*device);
    }
    return played;
}

bool FakeWaveOut::completeNext() {
    Device* device = current();
    if (device == nullptr || !device->open || device->paused || device->pending.empty())
        return false;
    const std::uint64_t left = framesOf(*device, *device->pending.front()) - device->headPlayed;
    device->samples += left;
    finishHead(*device);
    return true;
}

std::size_t FakeWaveOut::completeAll() {
    std::size_t n = 0;
    while (completeNext()) ++n;
    return n;
}

// ---------------------------------------------------------------------------------------------
// observation

void FakeWaveOut::clearPlayed() {
    played_.clear();
    playedLengths_.clear();
}

bool FakeWaveOut::isOpen() const {
    const Device* device = current();
    return device != nullptr && device->open;
}

bool FakeWaveOut::isPaused() const {
    const Device* device = current();
    return device != nullptr && device->paused;
}

std::size_t FakeWaveOut::pending() const {
    const Device* device = current();
    return device != nullptr ? device->pending.size() : 0;
}

HWAVEOUT FakeWaveOut::handle() const {
    const Device* device = current();
    return device != nullptr ? device->handle : 0;
}

std::uint64_t FakeWaveOut::samplesPlayed() const {
    const Device* device = current();
    return device != nullptr ? device->samples : 0;
}

const WAVEFORMATEX& FakeWaveOut::format() const {
    static const WAVEFORMATEX none{};
    const Device* device = current();
    return device != nullptr ? device->format : none;
}

std::uint32_t FakeWaveOut::openedDeviceId() const {
    const Device* device = current();
    return device != nullptr ? device->deviceId : 0;
}

std::uint32_t FakeWaveOut::openFlags() const {
    const Device* device = current();
    return device != nullptr ? device->flags : 0;
}

ui::MessageTarget* FakeWaveOut::callbackWindow() const {
    const Device* device = current();
    return device != nullptr ? device->window : nullptr;
}

std::size_t FakeWaveOut::openCount() const {
    return static_cast<std::size_t>(
        std::count_if(devices_.begin(), devices_.end(), [](const Device& d) { return d.open; }));
}

}  // namespace headless
