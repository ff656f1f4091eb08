// The fake device keeps the platform's rules that the wave output relies on.

#include "support/doubles/fake_wave_out.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/portable/headless_message_loop.h"
#include "support/wave_format.h"

namespace {

using namespace audio;
using doubles::FakeWaveOut;
using Call = FakeWaveOut::Call;

struct Recorder : ui::MessageTarget {
    virtual ~Recorder() = default;
    void handleMessage(const ui::Message& message) override { got.push_back(message); }
    std::vector<ui::Message> got;
};

WAVEFORMATEX stereo16(std::uint32_t rate = 44100) {
    return testing_support::PcmFormat(2, 16, rate);
}

struct FakeWaveOutFixture : ::testing::Test {
    portable::HeadlessMessageLoop loop;
    FakeWaveOut device{loop, {"Speakers", "Headphones"}};
    Recorder window;
    HWAVEOUT handle = 0;
    std::vector<char> memory = std::vector<char>(4 * 400);
    WAVEHDR headers[4] = {};

    void open() {
        ASSERT_EQ(device.Open(&handle, 0, stereo16(), &window, CALLBACK_WINDOW), MMSYSERR_NOERROR);
        for (int i = 0; i < 4; ++i) {
            headers[i].lpData = &memory[i * 400];
            headers[i].dwBufferLength = 400;  // 100 frames
            ASSERT_EQ(device.PrepareHeader(handle, &headers[i]), MMSYSERR_NOERROR);
        }
    }
    std::vector<std::uint32_t> dispatched() {
        loop.pumpAll();
        std::vector<std::uint32_t> msgs;
        for (const auto& m : window.got) msgs.push_back(m.msg);
        window.got.clear();
        return msgs;
    }
};

using FakeWaveOutDevices = FakeWaveOutFixture;

TEST_F(FakeWaveOutDevices, NamesAreCutToThirtyOneCharactersOnACharacterBoundary) {
    struct Case {
        std::string name, stored;
    };
    const std::string umlauts31 = [] {
        std::string s;
        for (int i = 0; i < 31; ++i) s += "ä";
        return s;
    }();
    const std::string notes15 = [] {
        std::string s;
        for (int i = 0; i < 15; ++i) s += "\xF0\x9F\x8E\xB5";  // U+1F3B5: two UTF-16 units
        return s;
    }();
    for (const Case& c :
         {Case{std::string(40, 'x'), std::string(31, 'x')},
          Case{"Lautsprecher (Realtek(R) Audio)", "Lautsprecher (Realtek(R) Audio)"},
          Case{umlauts31 + "ää", umlauts31}, Case{notes15 + "\xF0\x9F\x8E\xB5", notes15},
          Case{"", ""}}) {
        device.setDeviceNames({c.name});
        WAVEOUTCAPS caps;
        ASSERT_EQ(device.GetDevCaps(0, &caps), MMSYSERR_NOERROR);
        EXPECT_EQ(std::string(caps.szPname), c.stored);
    }
}

TEST_F(FakeWaveOutDevices, ListsItsDevicesAndTheMapper) {
    EXPECT_EQ(device.GetNumDevs(), 2u);
    WAVEOUTCAPS caps;
    ASSERT_EQ(device.GetDevCaps(1, &caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "Headphones");
    ASSERT_EQ(device.GetDevCaps(WAVE_MAPPER, &caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, FakeWaveOut::kMapperName);
    EXPECT_EQ(device.GetDevCaps(2, &caps), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(device.GetDevCaps(0, nullptr), MMSYSERR_INVALPARAM);
    device.setDeviceNames({});
    EXPECT_EQ(device.GetNumDevs(), 0u);
    EXPECT_EQ(device.Open(&handle, WAVE_MAPPER, stereo16(), &window, CALLBACK_WINDOW),
              MMSYSERR_NODRIVER);
}

TEST_F(FakeWaveOutDevices, OpenRefusesWhatThePlatformRefuses) {
    struct Case {
        const char* what;
        std::uint32_t id;
        WAVEFORMATEX format;
        bool window;
        std::uint32_t flags;
        MMRESULT expected;
    };
    WAVEFORMATEX badTag = stereo16();
    badTag.wFormatTag = 3;
    WAVEFORMATEX noChannels = stereo16();
    noChannels.nChannels = 0;
    for (const Case& c :
         {Case{"device id", 2, stereo16(), true, CALLBACK_WINDOW, MMSYSERR_BADDEVICEID},
          Case{"format tag", 0, badTag, true, CALLBACK_WINDOW, WAVERR_BADFORMAT},
          Case{"channels", 0, noChannels, true, CALLBACK_WINDOW, WAVERR_BADFORMAT},
          Case{"rate", 0, stereo16(0), true, CALLBACK_WINDOW, WAVERR_BADFORMAT},
          Case{"no window", 0, stereo16(), false, CALLBACK_WINDOW, MMSYSERR_INVALPARAM},
          Case{"callback kind", 0, stereo16(), true, 0x00030000, MMSYSERR_INVALFLAG}}) {
        HWAVEOUT h = 0;
        EXPECT_EQ(device.Open(&h, c.id, c.format, c.window ? &window : nullptr, c.flags),
                  c.expected)
            << c.what;
        EXPECT_EQ(h, 0u) << c.what;
    }
    EXPECT_EQ(device.openCount(), 0u);
    EXPECT_EQ(loop.pending(), 0u);
}

using FakeWaveOutProtocol = FakeWaveOutFixture;

TEST_F(FakeWaveOutProtocol, NotificationsArriveThroughTheLoopInOrderAfterTheCall) {
    open();
    EXPECT_TRUE(window.got.empty());  // posted, not delivered inside Open
    EXPECT_EQ(device.Write(handle, &headers[0]), MMSYSERR_NOERROR);
    EXPECT_EQ(device.Write(handle, &headers[1]), MMSYSERR_NOERROR);
    EXPECT_TRUE(device.completeNext());
    EXPECT_TRUE(device.completeNext());
    EXPECT_EQ(device.Close(handle), MMSYSERR_NOERROR);
    EXPECT_TRUE(window.got.empty());
    loop.pumpAll();
    ASSERT_EQ(window.got.size(), 4u);
    const std::uint32_t order[] = {MM_WOM_OPEN, MM_WOM_DONE, MM_WOM_DONE, MM_WOM_CLOSE};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(window.got[i].msg, order[i]);
        EXPECT_EQ(window.got[i].wParam, handle);
    }
    EXPECT_EQ(window.got[1].lParam, reinterpret_cast<std::intptr_t>(&headers[0]));
    EXPECT_EQ(window.got[2].lParam, reinterpret_cast<std::intptr_t>(&headers[1]));
}

TEST_F(FakeWaveOutProtocol, HeaderRulesAndACloseRefusedWhileBuffersArePending) {
    open();
    WAVEHDR loose{};
    loose.lpData = memory.data();
    loose.dwBufferLength = 4;
    EXPECT_EQ(device.Write(handle, &loose), WAVERR_UNPREPARED);
    ASSERT_EQ(device.Write(handle, &headers[0]), MMSYSERR_NOERROR);
    EXPECT_EQ(headers[0].dwFlags, WHDR_PREPARED | WHDR_INQUEUE);
    EXPECT_EQ(device.Write(handle, &headers[0]), WAVERR_STILLPLAYING);
    EXPECT_EQ(device.UnprepareHeader(handle, &headers[0]), WAVERR_STILLPLAYING);
    EXPECT_EQ(device.Close(handle), WAVERR_STILLPLAYING);
    EXPECT_TRUE(device.isOpen());
    ASSERT_TRUE(device.completeNext());
    EXPECT_EQ(headers[0].dwFlags, WHDR_PREPARED | WHDR_DONE);
    EXPECT_EQ(device.UnprepareHeader(handle, &headers[0]), MMSYSERR_NOERROR);
    EXPECT_EQ(device.UnprepareHeader(handle, &headers[0]), MMSYSERR_NOERROR);  // no effect
    EXPECT_EQ(headers[0].dwFlags, WHDR_DONE);
    EXPECT_EQ(device.Close(handle), MMSYSERR_NOERROR);
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(device.Write(handle, &headers[1]), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(device.Close(handle), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(dispatched(), (std::vector<std::uint32_t>{MM_WOM_OPEN, MM_WOM_DONE, MM_WOM_CLOSE}));
}

TEST_F(FakeWaveOutProtocol, ResetHandsBackEveryPendingBufferInOrder) {
    open();
    for (auto& h : headers) ASSERT_EQ(device.Write(handle, &h), MMSYSERR_NOERROR);
    device.advance(150);  // one and a half buffers
    loop.pumpAll();
    window.got.clear();
    ASSERT_EQ(device.Reset(handle), MMSYSERR_NOERROR);
    EXPECT_EQ(device.pending(), 0u);
    EXPECT_EQ(device.samplesPlayed(), 0u);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(headers[i].dwFlags, WHDR_PREPARED | WHDR_DONE);
    loop.pumpAll();
    ASSERT_EQ(window.got.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(window.got[i].lParam, reinterpret_cast<std::intptr_t>(&headers[i + 1]));
    EXPECT_EQ(device.Close(handle), MMSYSERR_NOERROR);
}

TEST_F(FakeWaveOutProtocol, TheClockPlaysFramesOnlyWhileNotPaused) {
    open();
    device.setCapture(true);
    for (int i = 0; i < 400 * 2; ++i) memory[i] = static_cast<char>(i);
    ASSERT_EQ(device.Write(handle, &headers[0]), MMSYSERR_NOERROR);
    ASSERT_EQ(device.Write(handle, &headers[1]), MMSYSERR_NOERROR);
    EXPECT_EQ(device.advance(60), 60u);
    EXPECT_EQ(device.pending(), 2u);
    MMTIME t;
    t.wType = TIME_SAMPLES;
    ASSERT_EQ(device.GetPosition(handle, &t), MMSYSERR_NOERROR);
    EXPECT_EQ(t.u.sample, 60u);
    EXPECT_EQ(device.Pause(handle), MMSYSERR_NOERROR);
    EXPECT_EQ(device.advance(1000), 0u);
    EXPECT_FALSE(device.completeNext());
    EXPECT_EQ(device.Restart(handle), MMSYSERR_NOERROR);
    EXPECT_EQ(device.advance(1000), 140u);  // the rest of both buffers, then nothing is queued
    EXPECT_EQ(device.pending(), 0u);
    t.wType = TIME_BYTES;
    ASSERT_EQ(device.GetPosition(handle, &t), MMSYSERR_NOERROR);
    EXPECT_EQ(t.u.cb, 800u);
    t.wType = TIME_MS;
    ASSERT_EQ(device.GetPosition(handle, &t), MMSYSERR_NOERROR);
    EXPECT_EQ(t.u.ms, 200u * 1000 / 44100);
    t.wType = 0x40;  // a format it does not know: it answers in bytes
    ASSERT_EQ(device.GetPosition(handle, &t), MMSYSERR_NOERROR);
    EXPECT_EQ(t.wType, TIME_BYTES);
    ASSERT_EQ(device.played().size(), 800u);
    EXPECT_EQ(std::memcmp(device.played().data(), memory.data(), 800), 0);
    EXPECT_EQ(device.playedLengths(), (std::vector<std::uint32_t>{400, 400}));
}

TEST_F(FakeWaveOutProtocol, AnInjectedFaultHitsTheNthCallOfItsKindAndDoesNothingElse) {
    open();
    device.failNext(Call::Write, MMSYSERR_NOMEM, 2);
    EXPECT_EQ(device.Write(handle, &headers[0]), MMSYSERR_NOERROR);
    EXPECT_EQ(device.Write(handle, &headers[1]), MMSYSERR_NOMEM);
    EXPECT_EQ(headers[1].dwFlags, WHDR_PREPARED);
    EXPECT_EQ(device.Write(handle, &headers[1]), MMSYSERR_NOERROR);
    EXPECT_EQ(device.pending(), 2u);
    device.failNext(Call::Close, MMSYSERR_ERROR);
    device.completeAll();
    EXPECT_EQ(device.Close(handle), MMSYSERR_ERROR);
    EXPECT_TRUE(device.isOpen());
    EXPECT_EQ(device.Close(handle), MMSYSERR_NOERROR);
    std::vector<MMRESULT> writes;
    for (const auto& r : device.calls())
        if (r.call == Call::Write) writes.push_back(r.result);
    EXPECT_EQ(writes, (std::vector<MMRESULT>{MMSYSERR_NOERROR, MMSYSERR_NOMEM, MMSYSERR_NOERROR}));
}

TEST_F(FakeWaveOutProtocol, ErrorTextsFitTheCallersBuffer) {
    char text[MAXERRORLENGTH];
    ASSERT_EQ(device.GetErrorText(WAVERR_STILLPLAYING, text, MAXERRORLENGTH), MMSYSERR_NOERROR);
    EXPECT_STREQ(text, StandardWaveErrorText(WAVERR_STILLPLAYING));
    EXPECT_EQ(device.GetErrorText(999, text, MAXERRORLENGTH), MMSYSERR_BADERRNUM);
    EXPECT_EQ(device.GetErrorText(WAVERR_STILLPLAYING, text, 0), MMSYSERR_INVALPARAM);
    device.setErrorText(500, "Größe");  // G r ö(2) ß(2) e
    char small[5];
    ASSERT_EQ(device.GetErrorText(500, small, sizeof small), MMSYSERR_NOERROR);
    EXPECT_STREQ(small, "Gr\xC3\xB6");  // never half of the ß
    char smaller[4];
    ASSERT_EQ(device.GetErrorText(500, smaller, sizeof smaller), MMSYSERR_NOERROR);
    EXPECT_STREQ(smaller, "Gr");
}

TEST_F(FakeWaveOutProtocol, SeveralDevicesKeepTheirOwnHandles) {
    open();
    const HWAVEOUT first = handle;
    Recorder other;
    HWAVEOUT second = 0;
    ASSERT_EQ(device.Open(&second, 1, stereo16(), &other, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    EXPECT_NE(first, second);
    EXPECT_EQ(device.openCount(), 2u);
    EXPECT_EQ(device.Close(first), MMSYSERR_NOERROR);
    EXPECT_EQ(device.Close(second), MMSYSERR_NOERROR);
    loop.pumpAll();
    ASSERT_EQ(other.got.size(), 2u);
    EXPECT_EQ(other.got[1].wParam, second);
    EXPECT_EQ(window.got.back().wParam, first);
    // A later open gets a handle never used before.
    HWAVEOUT third = 0;
    ASSERT_EQ(device.Open(&third, 0, stereo16(), &window, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
}

}  // namespace
