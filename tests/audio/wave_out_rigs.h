#pragma once

// One rig per wave-out device for the contract that every device keeps: the device, the loop
// its notifications come through, the memory of the ring, and the few things that only a test
// of that device knows how to do (let it play, make it fail, read what it played).
//
// A rig has:
//   static constexpr const char* kName;
//   audio::IWaveOut& device();  ui::IMessageLoop& loop();  audio::IWaveMemory& memory();
//   bool runUntil(done)      dispatches, and lets the device play, until done() holds
//   void settle()            dispatches for a while what still comes (for checks that nothing does)
//   void failAfter(bufferBytes, deviceId&)
//                            the device `deviceId` fails by itself once about kFailAfterBytes
//                            have played (not winmm: nothing makes it fail by itself)
//   bool played(bytes&)      what reached the output since the last look (of the last run, for
//                            a device that writes a file), when the rig can see it

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "audio/wave_memory.h"
#include "audio/wave_out.h"
#include "platform/portable/headless_message_loop.h"
#include "platform/portable/heap_wave_memory.h"
#include "platform/portable/wav_file_wave_out.h"
#include "support/doubles/fake_wave_out.h"

#ifdef VPG_TEST_ALSA
#include <csignal>

#include "platform/alsa/alsa_wave_out.h"
#include "support/threaded_message_loop.h"
#endif

#ifdef _WIN32
#include "platform/win32/global_wave_memory.h"
#include "platform/win32/win32_message_loop.h"
#include "platform/win32/win32_test_support.h"
#include "platform/win32/winmm_wave_out.h"
#endif

namespace wave_rigs {

// The wave-out names unqualified: on Windows they are winmm's macros.
using namespace audio;

using Done = std::function<bool()>;

// Where a failing device gives up: a few buffers into the stream.
constexpr std::uint64_t kFailAfterBytes = 40000;

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
}

inline std::filesystem::path FreshFolder(const char* rig) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(rig) + "_" + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    const auto dir = std::filesystem::path(::testing::TempDir()) / ("vpg_contract_" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// The loop and the memory of a rig; the rig adds its device.
template <class Loop, class Memory>
class RigBase {
public:
    ui::IMessageLoop& loop() { return loop_; }
    IWaveMemory& memory() { return memory_; }

protected:
    Loop loop_;
    Memory memory_;
};

// The fake: nothing plays until the rig moves its clock, one buffer at a time.
class FakeRig : public RigBase<portable::HeadlessMessageLoop, portable::HeapWaveMemory> {
public:
    static constexpr const char* kName = "fake";
    FakeRig() { fake_.setCapture(true); }

    audio::IWaveOut& device() { return fake_; }

    bool runUntil(const Done& done) {
        for (;;) {
            loop_.pumpAll();
            if (done()) return true;
            if (!fake_.completeNext()) {
                loop_.pumpAll();
                return done();
            }
        }
    }
    void settle() {
        runUntil([] { return false; });
    }
    void failAfter(std::uint32_t bufferBytes, std::uint32_t& deviceId) {
        // The write that would carry the sound past the limit is refused as a lost device's is.
        const auto n = static_cast<unsigned>(kFailAfterBytes / bufferBytes) + 1;
        fake_.failNext(doubles::FakeWaveOut::Call::Write, MMSYSERR_NODRIVER, n);
        deviceId = WAVE_MAPPER;
    }
    bool played(std::vector<std::uint8_t>& bytes) {
        bytes = fake_.played();
        fake_.clearPlayed();
        return true;
    }

private:
    doubles::FakeWaveOut fake_{loop_};
};

// The WAV file: every buffer is in the file and back at once.
class WavFileRig : public RigBase<portable::HeadlessMessageLoop, portable::HeapWaveMemory> {
public:
    static constexpr const char* kName = "wav_file";

    audio::IWaveOut& device() { return wav_; }

    ~WavFileRig() {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    bool runUntil(const Done& done) {
        while (loop_.pumpOne())
            if (done()) return true;
        return done();
    }
    void settle() { loop_.pumpAll(); }
    void failAfter(std::uint32_t, std::uint32_t& deviceId) {
        // A full disk: the write past the limit fails as the device reports it.
        wav_.setDataLimit(kFailAfterBytes);
        deviceId = WAVE_MAPPER;
    }
    bool played(std::vector<std::uint8_t>& bytes) {
        if (wav_.isOpen()) return false;
        bytes = ReadBytes(file_);
        if (bytes.size() < portable::WavFileWaveOut::kHeaderBytes) return false;
        bytes.erase(bytes.begin(), bytes.begin() + portable::WavFileWaveOut::kHeaderBytes);
        return true;
    }

private:
    std::filesystem::path folder_ = FreshFolder(kName);
    std::filesystem::path file_ = folder_ / "out.wav";
    portable::WavFileWaveOut wav_{loop_, file_.string()};
};

#ifdef VPG_TEST_ALSA
// ALSA against its file plugin over the null PCM: real threads, real timing, the bytes the PCM
// took in a file. The failing PCM writes into a pipe that closes after the given bytes, so ALSA
// reports an I/O error from then on, as a sound server does that has gone.
class AlsaRig : public RigBase<testing_support::ThreadedMessageLoop, portable::HeapWaveMemory> {
public:
    static constexpr const char* kName = "alsa";

    AlsaRig() { previousPipe_ = std::signal(SIGPIPE, SIG_IGN); }
    ~AlsaRig() {
        alsa_.reset();
        std::signal(SIGPIPE, previousPipe_);
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    audio::IWaveOut& device() { return *alsa_; }

    bool runUntil(const Done& done) { return loop_.pumpUntil(done); }
    void settle() { loop_.pumpFor(std::chrono::milliseconds(200)); }
    void failAfter(std::uint32_t, std::uint32_t& deviceId) {
        deviceId = kFailing;
        failing_ = true;
    }
    bool played(std::vector<std::uint8_t>& bytes) {
        if (failing_) return false;
        bytes = ReadBytes(capture_);
        return true;
    }

private:
    static constexpr std::uint32_t kFailing = 1;

    alsa::AlsaOptions options() const {
        alsa::AlsaOptions o;
        o.devices = {{"vpg_contract", "Contract PCM"}, {"vpg_contract_fails", "Failing PCM"}};
        o.defaultPcm = "vpg_contract";
        o.config = "pcm.vpg_contract { type file slave.pcm null file \"" + capture_.string() +
                   "\" format raw }\n"
                   "pcm.vpg_contract_fails { type file slave.pcm null file \"|head -c " +
                   std::to_string(kFailAfterBytes) + " >/dev/null\" format raw }\n";
        return o;
    }

    std::filesystem::path folder_ = FreshFolder(kName);
    std::filesystem::path capture_ = folder_ / "capture.raw";
    bool failing_ = false;
    std::unique_ptr<alsa::AlsaWaveOut> alsa_ =
        std::make_unique<alsa::AlsaWaveOut>(loop_, options());
    void (*previousPipe_)(int) = SIG_DFL;
};
#endif

#ifdef _WIN32
// Winmm under Wine: the sound goes through Wine's ALSA driver; what it played is not seen here
// and the device cannot be made to fail by itself.
class WinmmRig : public RigBase<win32::Win32MessageLoop, win32::GlobalWaveMemory> {
public:
    static constexpr const char* kName = "winmm";

    audio::IWaveOut& device() { return winmm_; }

    bool runUntil(const Done& done) { return win32_testing::PumpUntil(loop_, done); }
    void settle() {
        win32_testing::PumpUntil(
            loop_, [] { return false; }, 200);
    }
    bool played(std::vector<std::uint8_t>&) { return false; }

private:
    win32::WinmmWaveOut winmm_{loop_};
};
#endif

}  // namespace wave_rigs
