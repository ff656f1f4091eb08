#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/output_settings.h"
#include "shell/frequency_display.h"
#include "shell/generator_form.h"
#include "shell/help_about.h"
#include "shell/startup.h"
#include "support/doubles/headless_platform.h"

namespace testing_support {

// One stereo frame as it reached the device.
struct Frame {
    std::int16_t left, right;
    friend bool operator==(const Frame&, const Frame&) = default;
};

// The output settings stored before a start at 44100 Hz, as list positions of the output
// settings window (2 and 2: four buffers of 16384 bytes).
struct OutputAt44100 {
    int bufferSizePosition = 2;
    int buffersPosition = 2;
    std::vector<std::string> devices = {};  // empty: the fake device's own list
};

// The whole program on the headless platform, started in one line.
struct HeadlessProgram {
    explicit HeadlessProgram(char decimalSeparator = '.', bool suppressWelcome = true)
        : hp(decimalSeparator) {
        if (suppressWelcome)
            hp.registry.keys[vpg::ProgramKey()]["Welcome"] = persistence::RegistryValue::Integer(1);
        hp.waveOut.setCapture(true);
    }

    // Start-up as the program does it, then the main window is shown and activated.
    HeadlessProgram& start() {
        program.Startup();
        program.ShowMainWindow();
        return *this;
    }

    // Start-up with the output settings stored as 44100 Hz (list position 3) and `output`.
    HeadlessProgram& startAt44100(const OutputAt44100& output = {}) {
        auto& key = hp.registry.keys[vpg::ProgramKey()];
        key["Fs"] = persistence::RegistryValue::Integer(3);
        key["Buffers"] = persistence::RegistryValue::Integer(output.buffersPosition);
        key["BufferSize"] = persistence::RegistryValue::Integer(output.bufferSizePosition);
        if (!output.devices.empty()) hp.waveOut.setDeviceNames(output.devices);
        return start();
    }

    vpg::TfrmGenerator& gen() { return *program.frmGenerator; }

    // The user leaves the field it is in by moving to a control without an exit rule.
    void tabAway() { gen().btnPause.userFocused(); }
    // Types into a field and leaves it, so that its exit rule runs.
    void typeAndLeave(ui::Edit& field, const std::string& text) {
        field.userTyped(text);
        tabAway();
    }
    // Lets the device play until the output has closed.
    void playOut() {
        pump();
        while (hp.waveOut.completeNext()) pump();
    }
    vpg::TfrmSettings& settings() { return *program.frmSettings; }
    audio::TAudioOut& out() { return *program.frmGenerator->AudioOut1; }

    // Lets the device play `buffers` buffers, dispatching each notification.
    void play(int buffers = 1) {
        for (int i = 0; i < buffers && hp.waveOut.completeNext(); ++i) hp.loop.pumpAll();
    }
    void pump() { hp.loop.pumpAll(); }

    // Everything the device has played so far, as frames.
    std::vector<Frame> played() const {
        const std::vector<std::uint8_t>& bytes = hp.waveOut.played();
        std::vector<Frame> frames(bytes.size() / 4);
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const std::uint8_t* b = &bytes[i * 4];
            frames[i].left = static_cast<std::int16_t>(b[0] | (b[1] << 8));
            frames[i].right = static_cast<std::int16_t>(b[2] | (b[3] << 8));
        }
        return frames;
    }

    // Presses ON and lets the device play until at least `n` frames have played (or the
    // output has closed); returns the first n.
    std::vector<Frame> render(std::size_t n) {
        gen().btnONClick(nullptr);
        pump();
        while (hp.waveOut.played().size() / 4 < n && hp.waveOut.completeNext()) pump();
        std::vector<Frame> frames = played();
        if (frames.size() > n) frames.resize(n);
        return frames;
    }

    doubles::HeadlessPlatform hp;
    vpg::Program program{hp.platform, hp.timing};
};

// The program started at 44100 Hz, with what start-up said forgotten, so that a test sees only
// the dialogs its own steps raise.
struct At44100 : HeadlessProgram {
    explicit At44100(const OutputAt44100& output = {}) {
        startAt44100(output);
        hp.dialogs.calls.clear();
    }
    vpg::TfrmFrequencyDisplay& display() { return *program.frmFrequencyDisplay; }
};

// The momentary frequency of the sine over `count` frames from `from`, measured from its
// upward zero crossings.
inline double MeasuredHz(const std::vector<Frame>& f, std::size_t from, std::size_t count,
                         double sampleRate) {
    std::vector<double> t;
    for (std::size_t i = from + 1; i < from + count && i < f.size(); ++i) {
        const int a = f[i - 1].left, b = f[i].left;
        if (a < 0 && b >= 0) t.push_back(static_cast<double>(i - 1) + -a / double(b - a));
    }
    if (t.size() < 2) return 0;
    return static_cast<double>(t.size() - 1) * sampleRate / (t.back() - t.front());
}

}  // namespace testing_support
