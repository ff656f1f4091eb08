// The winmm device under Wine: device list and error texts, notifications routed by device
// handle, and the wave output component playing through it for real, down to the bytes that
// reach the sound system (ALSA's file plugin, when scripts/test-windows.sh runs the tests).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "audio/audio_io.h"
#include "platform/win32/global_wave_memory.h"
#include "platform/win32/utf.h"
#include "platform/win32/win32_message_loop.h"
#include "platform/win32/winmm_wave_out.h"
#include "support/wave_format.h"
#include "win32_test_support.h"

namespace {

using win32_testing::PumpUntil;
using win32_testing::RecordingTarget;

// 93 ms per buffer at 44100 Hz: a ring of four keeps the sound system fed even when the machine is
// busy, so a gap in the capture shows a real dropout.
constexpr std::uint32_t kBufferBytes = 16384;

audio::WAVEFORMATEX Stereo16(std::uint32_t rate) {
    return testing_support::PcmFormat(2, 16, rate);
}

std::string WinmmText(MMRESULT code) {
    wchar_t text[MAXERRORLENGTH] = {};
    if (::waveOutGetErrorTextW(code, text, MAXERRORLENGTH) != MMSYSERR_NOERROR) return {};
    return win32::WideToUtf8(text);
}

// One buffer of the test's own, with its header.
struct Buffer {
    explicit Buffer(std::uint8_t fill) : data(kBufferBytes, fill) {
        std::memset(&header, 0, sizeof header);
        header.lpData = reinterpret_cast<char*>(data.data());
        header.dwBufferLength = kBufferBytes;
    }
    std::vector<std::uint8_t> data;
    audio::WAVEHDR header;
};

class WinmmDeviceTest : public ::testing::Test {
protected:
    // A test that stops early must not leave a device playing from buffers that are gone.
    void TearDown() override {
        for (audio::HWAVEOUT handle : opened_) {
            device.Reset(handle);
            for (Buffer& b : buffers_) device.UnprepareHeader(handle, &b.header);
            device.Close(handle);  // answers MMSYSERR_INVALHANDLE once closed
        }
        PumpUntil(
            loop, [&] { return device.openDevices() == 0; }, 2000);
    }

    // Opens the default device for `target`; the handle, or 0 after a failed assertion.
    audio::HWAVEOUT open(RecordingTarget& target) {
        audio::HWAVEOUT handle = 0;
        EXPECT_EQ(device.Open(&handle, WAVE_MAPPER, Stereo16(44100), &target,
                              CALLBACK_WINDOW | WAVE_ALLOWSYNC),
                  MMSYSERR_NOERROR);
        if (handle != 0) opened_.push_back(handle);
        return handle;
    }
    // A buffer that lives as long as the test's devices.
    Buffer& buffer(std::uint8_t fill) { return buffers_.emplace_back(fill); }
    void write(audio::HWAVEOUT handle, Buffer& buffer) {
        ASSERT_EQ(device.PrepareHeader(handle, &buffer.header), MMSYSERR_NOERROR);
        ASSERT_EQ(device.Write(handle, &buffer.header), MMSYSERR_NOERROR);
    }

    win32::Win32MessageLoop loop;
    win32::WinmmWaveOut device{loop};

private:
    std::deque<Buffer> buffers_;
    std::vector<audio::HWAVEOUT> opened_;
};

// --- Devices and texts ------------------------------------------------------------------------

TEST_F(WinmmDeviceTest, ListsWinmmsDevicesWithTheirNamesInUtf8) {
    const std::uint32_t count = device.GetNumDevs();
    EXPECT_EQ(count, ::waveOutGetNumDevs());
    ASSERT_GE(count, 1u) << "Wine's ALSA driver offers at least its default device";
    std::vector<std::uint32_t> ids;
    for (std::uint32_t id = 0; id < count; ++id) ids.push_back(id);
    ids.push_back(WAVE_MAPPER);
    for (std::uint32_t id : ids) {
        WAVEOUTCAPSW native{};
        ASSERT_EQ(::waveOutGetDevCapsW(id, &native, sizeof native), MMSYSERR_NOERROR);
        audio::WAVEOUTCAPS caps;
        ASSERT_EQ(device.GetDevCaps(id, &caps), MMSYSERR_NOERROR) << id;
        EXPECT_STRNE(caps.szPname, "") << id;
        EXPECT_EQ(std::string(caps.szPname), win32::WideToUtf8(native.szPname)) << id;
        EXPECT_EQ(caps.wChannels, native.wChannels) << id;
        EXPECT_EQ(caps.dwFormats, native.dwFormats) << id;
    }
}

TEST_F(WinmmDeviceTest, AnUnknownDeviceIsRefusedAndLeavesTheCapsAlone) {
    audio::WAVEOUTCAPS caps;
    std::strcpy(caps.szPname, "untouched");
    EXPECT_EQ(device.GetDevCaps(device.GetNumDevs(), &caps), MMSYSERR_BADDEVICEID);
    EXPECT_STREQ(caps.szPname, "untouched");
    EXPECT_EQ(device.GetDevCaps(0, nullptr), MMSYSERR_INVALPARAM);
}

TEST_F(WinmmDeviceTest, ErrorTextsAreWinmmsOwnInUtf8AndCutOnRequest) {
    for (MMRESULT code :
         {MMSYSERR_BADDEVICEID, MMSYSERR_INVALHANDLE, WAVERR_STILLPLAYING, WAVERR_BADFORMAT}) {
        char text[MAXERRORLENGTH];
        ASSERT_EQ(device.GetErrorText(code, text, MAXERRORLENGTH), MMSYSERR_NOERROR) << code;
        EXPECT_STRNE(text, "") << code;
        EXPECT_EQ(std::string(text), WinmmText(code)) << code;
    }
    char small[12];
    ASSERT_EQ(device.GetErrorText(WAVERR_STILLPLAYING, small, sizeof small), MMSYSERR_NOERROR);
    EXPECT_EQ(std::string(small), WinmmText(WAVERR_STILLPLAYING).substr(0, 11));
    char text[MAXERRORLENGTH];
    EXPECT_EQ(device.GetErrorText(0x7F7F, text, MAXERRORLENGTH), MMSYSERR_BADERRNUM);
    EXPECT_EQ(device.GetErrorText(WAVERR_STILLPLAYING, nullptr, 10), MMSYSERR_INVALPARAM);
}

TEST_F(WinmmDeviceTest, OnlyWindowNotificationsOnTheUiThreadAreOffered) {
    RecordingTarget target;
    audio::HWAVEOUT handle = 0;
    const audio::WAVEFORMATEX format = Stereo16(44100);
    EXPECT_EQ(device.Open(&handle, WAVE_MAPPER, format, &target, CALLBACK_FUNCTION),
              MMSYSERR_INVALFLAG);
    EXPECT_EQ(device.Open(&handle, WAVE_MAPPER, format, nullptr, CALLBACK_WINDOW),
              MMSYSERR_INVALPARAM);
    EXPECT_EQ(device.Open(&handle, device.GetNumDevs() + 5, format, &target, CALLBACK_WINDOW),
              MMSYSERR_BADDEVICEID);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(device.openDevices(), 0u);
}

// --- Notifications ----------------------------------------------------------------------------

TEST_F(WinmmDeviceTest, EachTargetGetsTheNotificationsOfItsOwnDeviceInOrder) {
    RecordingTarget first;
    RecordingTarget second;
    const audio::HWAVEOUT a = open(first);
    const audio::HWAVEOUT b = open(second);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    ASSERT_NE(a, b);
    Buffer& a1 = buffer(1);
    Buffer& a2 = buffer(2);
    Buffer& b1 = buffer(3);
    Buffer& b2 = buffer(4);
    write(a, a1);
    write(b, b1);
    write(a, a2);
    write(b, b2);
    ASSERT_TRUE(PumpUntil(
        loop, [&] { return first.count(MM_WOM_DONE) == 2 && second.count(MM_WOM_DONE) == 2; }));
    for (Buffer* buffer : {&a1, &a2}) device.UnprepareHeader(a, &buffer->header);
    for (Buffer* buffer : {&b1, &b2}) device.UnprepareHeader(b, &buffer->header);
    EXPECT_EQ(device.Close(a), MMSYSERR_NOERROR);
    EXPECT_EQ(device.Close(b), MMSYSERR_NOERROR);
    ASSERT_TRUE(PumpUntil(
        loop, [&] { return first.count(MM_WOM_CLOSE) == 1 && second.count(MM_WOM_CLOSE) == 1; }));

    const std::vector<std::uint32_t> expected = {MM_WOM_OPEN, MM_WOM_DONE, MM_WOM_DONE,
                                                 MM_WOM_CLOSE};
    EXPECT_EQ(first.kinds(), expected);
    EXPECT_EQ(second.kinds(), expected);
    for (const ui::Message& m : first.messages) {
        EXPECT_EQ(m.target, &first);
        EXPECT_EQ(m.wParam, a);
    }
    for (const ui::Message& m : second.messages) {
        EXPECT_EQ(m.target, &second);
        EXPECT_EQ(m.wParam, b);
    }
    EXPECT_EQ(first.messages[1].lParam, reinterpret_cast<std::intptr_t>(&a1.header));
    EXPECT_EQ(first.messages[2].lParam, reinterpret_cast<std::intptr_t>(&a2.header));
    EXPECT_EQ(second.messages[1].lParam, reinterpret_cast<std::intptr_t>(&b1.header));
    EXPECT_EQ(second.messages[2].lParam, reinterpret_cast<std::intptr_t>(&b2.header));
    EXPECT_EQ(device.openDevices(), 0u);
}

TEST_F(WinmmDeviceTest, NotificationsOfAHandleNoLongerKnownAreDropped) {
    RecordingTarget target;
    const audio::HWAVEOUT handle = open(target);
    ASSERT_NE(handle, 0u);
    ASSERT_EQ(device.Close(handle), MMSYSERR_NOERROR);
    ASSERT_TRUE(PumpUntil(loop, [&] { return target.count(MM_WOM_CLOSE) == 1; }));
    // Late or stray ones: of the closed device, and of a handle never opened here.
    ::PostMessageW(device.window(), MM_WOM_DONE, handle, 0);
    ::PostMessageW(device.window(), MM_WOM_CLOSE, handle, 0);
    ::PostMessageW(device.window(), MM_WOM_OPEN, 0x7777, 0);
    MSG msg;
    while (::PeekMessageW(&msg, device.window(), 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    loop.processMessages();
    EXPECT_EQ(target.kinds(), (std::vector<std::uint32_t>{MM_WOM_OPEN, MM_WOM_CLOSE}));
    EXPECT_EQ(loop.pending(), 0u);
}

// Winmm may hand out a closed device's handle value again; the older open's close still goes to
// its own target, everything after it to the new one.
TEST_F(WinmmDeviceTest, AReusedHandleValueReachesTheNewTargetOnlyAfterTheOldClose) {
    RecordingTarget older;
    RecordingTarget newer;
    const audio::HWAVEOUT first = open(older);
    ASSERT_EQ(device.Close(first), MMSYSERR_NOERROR);
    const audio::HWAVEOUT second = open(newer);
    ASSERT_NE(second, 0u);
    RecordProperty("handle_reused", first == second ? "yes" : "no");
    ASSERT_TRUE(PumpUntil(
        loop, [&] { return older.count(MM_WOM_CLOSE) == 1 && newer.count(MM_WOM_OPEN) == 1; }));
    ASSERT_EQ(device.Close(second), MMSYSERR_NOERROR);
    ASSERT_TRUE(PumpUntil(loop, [&] { return newer.count(MM_WOM_CLOSE) == 1; }));
    EXPECT_EQ(older.kinds(), (std::vector<std::uint32_t>{MM_WOM_OPEN, MM_WOM_CLOSE}));
    EXPECT_EQ(newer.kinds(), (std::vector<std::uint32_t>{MM_WOM_OPEN, MM_WOM_CLOSE}));
}

// Winmm has posted a device's last notifications when its close returns; they are in the UI
// loop by then, so a target that goes away before the next pump can forget them.
TEST_F(WinmmDeviceTest, AClosedDevicesLastNotificationsCanBeForgottenAtOnce) {
    RecordingTarget target;
    const audio::HWAVEOUT handle = open(target);
    Buffer& only = buffer(9);
    write(handle, only);
    ASSERT_EQ(device.Reset(handle), MMSYSERR_NOERROR);
    device.UnprepareHeader(handle, &only.header);
    ASSERT_EQ(device.Close(handle), MMSYSERR_NOERROR);
    EXPECT_EQ(loop.pending(), 3u);  // OPEN, DONE, CLOSE
    loop.forget(&target);
    ASSERT_TRUE(PumpUntil(loop, [&] { return loop.pending() == 0; }));
    EXPECT_TRUE(target.messages.empty());
    EXPECT_EQ(device.openDevices(), 0u);
}

TEST_F(WinmmDeviceTest, TheDevicesAnswerToACloseWithBuffersQueued) {
    RecordingTarget target;
    const audio::HWAVEOUT handle = open(target);
    Buffer& one = buffer(1);
    Buffer& two = buffer(2);
    write(handle, one);
    write(handle, two);
    // Refused while buffers are queued, as Windows does (Wine's winmm itself would close and
    // drop them); every buffer comes back with the Reset.
    EXPECT_EQ(device.Close(handle), WAVERR_STILLPLAYING);
    EXPECT_EQ(target.count(MM_WOM_CLOSE), 0u);
    device.Reset(handle);
    device.UnprepareHeader(handle, &one.header);
    device.UnprepareHeader(handle, &two.header);
    EXPECT_EQ(device.Close(handle), MMSYSERR_NOERROR);
    ASSERT_TRUE(PumpUntil(loop, [&] { return target.count(MM_WOM_CLOSE) == 1; }));
    EXPECT_EQ(target.count(MM_WOM_DONE), 2u);
}

TEST_F(WinmmDeviceTest, ThePositionCountsThePlayedSamples) {
    RecordingTarget target;
    const audio::HWAVEOUT handle = open(target);
    Buffer& one = buffer(1);
    Buffer& two = buffer(2);
    write(handle, one);
    write(handle, two);
    ASSERT_TRUE(PumpUntil(loop, [&] { return target.count(MM_WOM_DONE) == 2; }));
    audio::MMTIME time;
    time.wType = TIME_SAMPLES;
    ASSERT_EQ(device.GetPosition(handle, &time), MMSYSERR_NOERROR);
    EXPECT_EQ(time.wType, static_cast<std::uint32_t>(TIME_SAMPLES));
    EXPECT_EQ(time.u.sample, 2 * kBufferBytes / 4);
    time.wType = TIME_BYTES;
    ASSERT_EQ(device.GetPosition(handle, &time), MMSYSERR_NOERROR);
    EXPECT_EQ(time.wType, static_cast<std::uint32_t>(TIME_BYTES));
    EXPECT_EQ(time.u.cb, 2 * kBufferBytes);
    device.UnprepareHeader(handle, &one.header);
    device.UnprepareHeader(handle, &two.header);
    device.Close(handle);
    EXPECT_TRUE(PumpUntil(loop, [&] { return target.count(MM_WOM_CLOSE) == 1; }));
}

// --- The wave output component on winmm ---------------------------------------------------------

// Passes everything on to the real loop and keeps a copy of what the device posted.
class RecordingLoop final : public ui::IMessageLoop {
public:
    explicit RecordingLoop(ui::IMessageLoop& inner) : inner_(inner) {}
    void post(const ui::Message& message) override {
        posted.push_back(message);
        inner_.post(message);
    }
    void processMessages() override { inner_.processMessages(); }
    void forget(const ui::MessageTarget* target) override { inner_.forget(target); }

    std::size_t count(std::uint32_t msg) const {
        std::size_t n = 0;
        for (const ui::Message& m : posted) n += m.msg == msg;
        return n;
    }

    std::vector<ui::Message> posted;

private:
    ui::IMessageLoop& inner_;
};

// What reached the sound system, as ALSA's file plugin wrote it; empty when the tests run
// without the capture (then the capture checks are skipped).
std::wstring CapturePath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"VPG_CAPTURE_FILE", path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(path, n) : std::wstring();
}

std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path) {
    std::vector<std::uint8_t> bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    std::uint8_t chunk[65536];
    DWORD got = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    ::CloseHandle(file);
    return bytes;
}

// The capture once it holds at least `bytes` bytes of sound (the sound system may write it after
// the device has reported the buffers played), or what it holds when waiting gives up. The
// silence that Wine's driver plays when the stream runs dry at its end is cut off: the fills
// never write a zero byte, so every zero is the driver's.
std::vector<std::uint8_t> Capture(ui::IMessageLoop& loop, std::size_t bytes) {
    std::vector<std::uint8_t> captured;
    PumpUntil(
        loop,
        [&] {
            captured = ReadFileBytes(CapturePath());
            while (!captured.empty() && captured.back() == 0) captured.pop_back();
            return captured.size() >= bytes;
        },
        5000);
    return captured;
}

class WinmmPlaybackTest : public ::testing::Test {
protected:
    WinmmPlaybackTest() {
        out.setStereo(true);
        out.setFrameRate(44100);
        out.setNumBuffers(4);
        out.setBufferSize(kBufferBytes);
        out.setOnStart([this](ui::Object*) { events.push_back("start"); });
        out.setOnStop([this](ui::Object*) { events.push_back("stop"); });
        out.setOnFillBuffer([this](std::uint8_t* buffer, std::int32_t& size) {
            if (fillsLeft == 0) return false;
            --fillsLeft;
            // Never silence, and never the same buffer twice: a lost, repeated or reordered
            // buffer shows in the capture.
            for (std::int32_t i = 0; i < size; ++i) {
                buffer[i] = static_cast<std::uint8_t>(counter % 251 + 1);
                ++counter;
            }
            written.insert(written.end(), buffer, buffer + size);
            return true;
        });
    }
    ~WinmmPlaybackTest() override {
        out.StopAtOnce();
        PumpUntil(loop, [&] { return !out.IsWaveDeviceOpen() && device.openDevices() == 0; });
    }

    bool stopped() const { return !events.empty() && events.back() == "stop"; }
    std::vector<std::intptr_t> doneHeaders() const {
        std::vector<std::intptr_t> headers;
        for (const ui::Message& m : recorder.posted)
            if (m.msg == MM_WOM_DONE) headers.push_back(m.lParam);
        return headers;
    }

    win32::Win32MessageLoop loop;
    RecordingLoop recorder{loop};
    win32::WinmmWaveOut device{recorder};
    win32::GlobalWaveMemory memory;
    audio::TAudioOut out{{device, memory, recorder}};
    audio::TAudioOut* AudioOut1 = &out;

    int fillsLeft = 1000000;
    std::uint64_t counter = 0;
    std::vector<std::uint8_t> written;
    std::vector<std::string> events;
};

TEST_F(WinmmPlaybackTest, PlaysEveryFilledBufferInOrderThenClosesByItself) {
    fillsLeft = 20;
    ASSERT_TRUE(out.Start(AudioOut1)) << out.ErrorMessage;
    EXPECT_TRUE(events.empty());  // nothing is dispatched inside Start
    ASSERT_TRUE(PumpUntil(loop, [&] { return stopped(); }));

    EXPECT_EQ(events, (std::vector<std::string>{"start", "stop"}));
    EXPECT_EQ(out.FilledBuffers, 20);
    EXPECT_EQ(out.ProcessedBuffers, 20);
    EXPECT_EQ(out.QueuedBuffers, 0);
    EXPECT_FALSE(out.Active);
    EXPECT_FALSE(out.IsWaveDeviceOpen());
    EXPECT_EQ(device.openDevices(), 0u);

    // OPEN, one DONE per written buffer, CLOSE; the ring's four headers come back in turn.
    ASSERT_EQ(recorder.posted.size(), 22u);
    EXPECT_EQ(recorder.posted.front().msg, static_cast<std::uint32_t>(MM_WOM_OPEN));
    EXPECT_EQ(recorder.posted.back().msg, static_cast<std::uint32_t>(MM_WOM_CLOSE));
    EXPECT_EQ(recorder.count(MM_WOM_DONE), 20u);
    const std::vector<std::intptr_t> headers = doneHeaders();
    ASSERT_EQ(headers.size(), 20u);
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t j = i + 1; j < 4; ++j) EXPECT_NE(headers[i], headers[j]);
    for (std::size_t i = 4; i < headers.size(); ++i) EXPECT_EQ(headers[i], headers[i % 4]) << i;
    for (const ui::Message& m : recorder.posted) EXPECT_EQ(m.wParam, out.WaveHandle);

    if (CapturePath().empty()) GTEST_SKIP() << "no capture: run scripts/test-windows.sh";
    ASSERT_EQ(written.size(), 20u * kBufferBytes);
    // Exactly the filled bytes, in order, with no gap, repeat or loss.
    const std::vector<std::uint8_t> captured = Capture(loop, written.size());
    EXPECT_EQ(captured.size(), written.size());
    EXPECT_TRUE(captured == written) << "the sound system did not get the filled bytes";
}

TEST_F(WinmmPlaybackTest, StopAtOnceHandsBackEveryQueuedBufferThenCloses) {
    ASSERT_TRUE(out.Start(AudioOut1)) << out.ErrorMessage;
    ASSERT_TRUE(PumpUntil(loop, [&] { return out.ProcessedBuffers >= 6; }));
    out.StopAtOnce();
    EXPECT_FALSE(out.IsWaveDeviceOpen());
    ASSERT_TRUE(PumpUntil(loop, [&] { return stopped(); }));

    EXPECT_EQ(events, (std::vector<std::string>{"start", "stop"}));
    // Every buffer written came back, each with its MM_WOM_DONE, before the close.
    EXPECT_EQ(static_cast<std::int64_t>(recorder.count(MM_WOM_DONE)), out.FilledBuffers);
    EXPECT_EQ(out.ProcessedBuffers, out.FilledBuffers);
    EXPECT_EQ(out.QueuedBuffers, 0);
    EXPECT_EQ(recorder.posted.back().msg, static_cast<std::uint32_t>(MM_WOM_CLOSE));
    EXPECT_EQ(recorder.count(MM_WOM_CLOSE), 1u);
    EXPECT_FALSE(out.Active);

    if (CapturePath().empty()) GTEST_SKIP() << "no capture: run scripts/test-windows.sh";
    // What played before the stop, in order; the rest was dropped.
    const std::vector<std::uint8_t> captured = Capture(loop, 6 * kBufferBytes);
    ASSERT_GE(captured.size(), 6u * kBufferBytes);
    ASSERT_LE(captured.size(), written.size());
    const auto mismatch = std::mismatch(captured.begin(), captured.end(), written.begin());
    EXPECT_TRUE(mismatch.first == captured.end())
        << "the capture differs from the filled bytes at " << (mismatch.first - captured.begin())
        << " of " << captured.size() << " (" << written.size() << " filled)";
}

TEST_F(WinmmPlaybackTest, ASecondStartAfterTheEndPlaysAgain) {
    fillsLeft = 6;
    ASSERT_TRUE(out.Start(AudioOut1)) << out.ErrorMessage;
    ASSERT_TRUE(PumpUntil(loop, [&] { return stopped(); }));
    fillsLeft = 5;
    ASSERT_TRUE(out.Start(AudioOut1)) << out.ErrorMessage;
    ASSERT_TRUE(PumpUntil(loop, [&] { return events.size() == 4 && stopped(); }));
    EXPECT_EQ(events, (std::vector<std::string>{"start", "stop", "start", "stop"}));
    EXPECT_EQ(out.ProcessedBuffers, 5);
    EXPECT_EQ(recorder.count(MM_WOM_DONE), 11u);
}

// The first fill has data, the other three are written as silence: the first completion finds
// nothing queued and closes the device while three buffers are still in it.
TEST_F(WinmmPlaybackTest, AStreamThatEndsWithBuffersStillQueuedStopsOnceAndCanStartAgain) {
    fillsLeft = 1;
    ASSERT_TRUE(out.Start(AudioOut1)) << out.ErrorMessage;
    ASSERT_TRUE(PumpUntil(loop, [&] { return stopped(); }));
    EXPECT_EQ(events, (std::vector<std::string>{"start", "stop"}));
    EXPECT_FALSE(out.IsWaveDeviceOpen());
    EXPECT_EQ(recorder.count(MM_WOM_CLOSE), 1u);
    // The close waits until the three silent buffers are back too.
    EXPECT_EQ(recorder.count(MM_WOM_DONE), 4u);

    fillsLeft = 8;
    ASSERT_TRUE(out.Start(AudioOut1)) << out.ErrorMessage;
    ASSERT_TRUE(PumpUntil(loop, [&] { return events.size() == 4 && stopped(); }));
    EXPECT_EQ(out.ProcessedBuffers, 8);
}

TEST_F(WinmmPlaybackTest, AStartOnADeviceThatDoesNotExistFailsWithWinmmsText) {
    out.setWaveDevice(0xFFFFFFFEu);  // no device chosen in the list
    EXPECT_FALSE(out.Start(AudioOut1));
    EXPECT_EQ(out.ErrorMessage, WinmmText(MMSYSERR_BADDEVICEID));
    EXPECT_FALSE(out.IsWaveDeviceOpen());
    loop.processMessages();
    EXPECT_TRUE(events.empty());
}

}  // namespace
