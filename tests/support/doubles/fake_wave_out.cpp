#include "support/doubles/fake_wave_out.h"

#include <algorithm>

namespace doubles {

using namespace audio;

MMRESULT FakeWaveOut::Track::write(const char* data, std::uint32_t bytes) {
    blocks.push_back(Block{data, bytes});
    return MMSYSERR_NOERROR;
}

void FakeWaveOut::Track::drop() {
    blocks.clear();
    headPlayed = 0;
    samples = 0;
}

void FakeWaveOut::Track::close() {
    open = false;
    const WaveLink closing = *link;
    link.reset();
    closing.closed();
}

FakeWaveOut::FakeWaveOut(ui::IMessageLoop& loop, std::vector<std::string> deviceNames)
    : WaveDeviceCore(loop, kFirstHandle), names_(std::move(deviceNames)) {
    // Room up front, so that a test of the steady state sees no allocation of ours.
    tracks_.reserve(16);
    for (int i = 0; i < 4; ++i) {
        tracks_.push_back(std::make_unique<Track>());
        tracks_.back()->blocks.reserve(64);
    }
    faults_.reserve(16);
    calls_.reserve(4096);
}

FakeWaveOut::~FakeWaveOut() {
    EndAllDevices();
}

// ---------------------------------------------------------------------------------------------
// the family

MMRESULT FakeWaveOut::DeviceCaps(std::uint32_t deviceId, WAVEOUTCAPS& caps) {
    if (deviceId == WAVE_MAPPER) {
        if (names_.empty()) return MMSYSERR_NODRIVER;
        caps = WAVEOUTCAPS{};
        SetDeviceName(caps, kMapperName);
    } else {
        if (deviceId >= names_.size()) return MMSYSERR_BADDEVICEID;
        caps = WAVEOUTCAPS{};
        SetDeviceName(caps, names_[deviceId]);
    }
    caps.wChannels = 2;
    return MMSYSERR_NOERROR;
}

MMRESULT FakeWaveOut::OpenStream(std::uint32_t deviceId, const WAVEFORMATEX& format,
                                 const WaveLink& link, WaveStream*& stream) {
    if (deviceId == WAVE_MAPPER) {
        if (names_.empty()) return MMSYSERR_NODRIVER;
    } else if (deviceId >= names_.size()) {
        return MMSYSERR_BADDEVICEID;
    }
    if (format.wFormatTag != WAVE_FORMAT_PCM || format.nChannels == 0 ||
        format.nSamplesPerSec == 0 || format.nBlockAlign == 0 || format.wBitsPerSample < 8)
        return WAVERR_BADFORMAT;

    const auto reusable = std::find_if(tracks_.begin(), tracks_.end(), [this](const auto& t) {
        return t->ended && t.get() != current_;
    });
    if (reusable == tracks_.end()) {
        tracks_.push_back(std::make_unique<Track>());
        tracks_.back()->blocks.reserve(64);
    }
    Track& track = reusable != tracks_.end() ? **reusable : *tracks_.back();
    track.handle = link.handle();
    track.deviceId = deviceId;
    track.flags = link.flags();
    track.window = link.window();
    track.format = format;
    track.open = true;
    track.ended = false;
    track.paused = false;
    track.blocks.clear();
    track.headPlayed = 0;
    track.samples = 0;
    track.link = link;
    current_ = &track;
    stream = &track;
    return MMSYSERR_NOERROR;
}

void FakeWaveOut::EndStream(WaveStream* stream) {
    auto* track = static_cast<Track*>(stream);
    track->open = false;
    track->link.reset();
    track->ended = true;
}

MMRESULT FakeWaveOut::Screen(Call call) {
    for (Fault& fault : faults_)
        if (fault.call == call && fault.countdown > 0) --fault.countdown;
    const auto due = std::find_if(faults_.begin(), faults_.end(), [call](const Fault& f) {
        return f.call == call && f.countdown == 0;
    });
    if (due == faults_.end()) return MMSYSERR_NOERROR;
    const MMRESULT code = due->code;
    faults_.erase(due);
    // Two faults due on the same call: the other one takes the next call.
    for (Fault& fault : faults_)
        if (fault.call == call && fault.countdown == 0) fault.countdown = 1;
    return code;
}

void FakeWaveOut::Seen(Call call, HWAVEOUT handle, MMRESULT result, WAVEHDR* header,
                       std::uint32_t bytes) {
    if (record_) calls_.push_back(CallRecord{call, handle, header, bytes, result});
}

void FakeWaveOut::failNext(Call call, MMRESULT code, unsigned n) {
    if (n == 0) return;
    faults_.push_back(Fault{call, code, n});
}

std::size_t FakeWaveOut::count(Call call) const {
    return static_cast<std::size_t>(std::count_if(
        calls_.begin(), calls_.end(), [call](const CallRecord& r) { return r.call == call; }));
}

const FakeWaveOut::Track* FakeWaveOut::current() const {
    return current_;
}

FakeWaveOut::Track* FakeWaveOut::current() {
    return current_;
}

std::uint64_t FakeWaveOut::framesOf(const Track& track, const Track::Block& block) {
    return block.bytes / track.format.nBlockAlign;
}

// ---------------------------------------------------------------------------------------------
// the virtual clock

void FakeWaveOut::finishHead(Track& track) {
    const Track::Block block = track.blocks.front();
    track.blocks.erase(track.blocks.begin());
    track.headPlayed = 0;
    if (capture_) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(block.data);
        played_.insert(played_.end(), data, data + block.bytes);
        playedLengths_.push_back(block.bytes);
    }
    track.link->played();
}

std::uint64_t FakeWaveOut::advance(std::uint64_t frames) {
    Track* track = current();
    if (track == nullptr || !track->open) return 0;
    std::uint64_t played = 0;
    while (!track->blocks.empty() && !track->paused) {
        const std::uint64_t length = framesOf(*track, track->blocks.front());
        const std::uint64_t step = std::min(length - track->headPlayed, frames - played);
        track->headPlayed += step;
        track->samples += step;
        played += step;
        if (track->headPlayed < length) break;
        finishHead(*track);
    }
    return played;
}

bool FakeWaveOut::completeNext() {
    Track* track = current();
    if (track == nullptr || !track->open || track->paused || track->blocks.empty()) return false;
    track->samples += framesOf(*track, track->blocks.front()) - track->headPlayed;
    finishHead(*track);
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
    const Track* track = current();
    return track != nullptr && track->open;
}

bool FakeWaveOut::isPaused() const {
    const Track* track = current();
    return track != nullptr && track->paused;
}

std::size_t FakeWaveOut::pending() const {
    const Track* track = current();
    return track != nullptr ? pendingCount(track->handle) : 0;
}

HWAVEOUT FakeWaveOut::handle() const {
    const Track* track = current();
    return track != nullptr ? track->handle : 0;
}

std::uint64_t FakeWaveOut::samplesPlayed() const {
    const Track* track = current();
    return track != nullptr ? track->samples : 0;
}

const WAVEFORMATEX& FakeWaveOut::format() const {
    static const WAVEFORMATEX none{};
    const Track* track = current();
    return track != nullptr ? track->format : none;
}

std::uint32_t FakeWaveOut::openedDeviceId() const {
    const Track* track = current();
    return track != nullptr ? track->deviceId : 0;
}

std::uint32_t FakeWaveOut::openFlags() const {
    const Track* track = current();
    return track != nullptr ? track->flags : 0;
}

ui::MessageTarget* FakeWaveOut::callbackWindow() const {
    const Track* track = current();
    return track != nullptr ? track->window : nullptr;
}

}  // namespace doubles
