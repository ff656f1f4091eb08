#include "apps/vpg-render/renderer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "apps/vpg-render/output_file.h"
#include "audio/output_settings.h"
#include "controls/numeric_entry.h"
#include "platform/portable/headless_message_loop.h"
#include "platform/portable/heap_wave_memory.h"
#include "platform/portable/idle_hot_key.h"
#include "platform/portable/instant_splash_timing.h"
#include "platform/portable/memory_registry.h"
#include "platform/portable/silent_shell.h"
#include "platform/portable/wav_file_wave_out.h"
#include "shell/generator_form.h"
#include "shell/startup.h"

namespace render {

namespace {

// Every message box becomes a line on the error stream; questions are answered No.
class StreamDialogs final : public ui::IDialogs {
public:
    explicit StreamDialogs(std::ostream& out) : out_(out) {}
    void ShowMessage(const std::string& text) override { say(text); }
    int MessageDlg(const std::string& text, ui::MsgDlgType, unsigned) override {
        say(text);
        return ui::mrNo;
    }
    int ShowNoticeDialog(const ui::NoticeDialogRequest& request, bool& checked) override {
        say(request.text);
        checked = false;
        return (request.buttons & ui::mbNo) ? ui::mrNo : ui::mrOk;
    }

    // Whether a line said so already.
    bool said(const std::string& text) const {
        return std::any_of(said_.begin(), said_.end(),
                           [&](const std::string& line) { return line.find(text) != line.npos; });
    }

private:
    void say(std::string text) {
        for (char& c : text)
            if (c == '\r' || c == '\n') c = ' ';
        out_ << "vpg-render: " << text << '\n';
        said_.push_back(std::move(text));
    }
    std::ostream& out_;
    std::vector<std::string> said_;
};

int indexOf(const ui::ComboBox& list, int value) {
    const auto& items = list.Items();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == std::to_string(value)) return static_cast<int>(i);
    return -1;
}

constexpr double kMostWavData = portable::WavFileWaveOut::kMaxDataBytes;

constexpr double frameBytesOf(double frames) {
    return frames * 4;
}

std::string numberText(double value) {
    std::ostringstream s;
    s << value;
    return s.str();
}

// Seconds shown rounded down, so that the number said always fits.
std::string secondsText(double seconds) {
    std::ostringstream s;
    s.setf(std::ios::fixed);
    s.precision(1);
    s << std::floor(seconds * 10) / 10;
    return s.str();
}

}  // namespace

RenderLength LengthOf(const Options& o, std::int32_t totalSamples) {
    const double frameBytes = 4;
    RenderLength length;
    if (!o.loop) {
        // The signal's own frames: the silence that fills its last buffer is not signal.
        length.bytes = static_cast<double>(totalSamples) * frameBytes;
        length.mostSeconds = std::floor(kMostWavData / frameBytes) / o.fs;
    }
    if (o.seconds) {
        const double capped = std::floor(*o.seconds * o.fs) * frameBytes;
        if (o.loop || capped < length.bytes) {
            length.bytes = capped;
            length.bySeconds = true;
            length.mostSeconds = std::floor(kMostWavData / frameBytes) / o.fs;
        }
    }
    return length;
}

int Render(const Options& o, std::ostream& messages) {
    // What lies at the output path is judged, and the temporary made, before anything else.
    std::string error;
    const auto output = OutputFile::Create(o.output, error);
    if (!output) {
        messages << "vpg-render: cannot write '" << o.output << "': " << error << '\n';
        return 2;
    }
    std::FILE* stream = output->OpenStream();
    if (stream == nullptr) {
        messages << "vpg-render: cannot write '" << o.output << "': " << std::strerror(errno)
                 << '\n';
        return 1;
    }

    portable::HeadlessMessageLoop loop;
    StreamDialogs dialogs(messages);
    portable::WavFileWaveOut wav(loop);
    wav.setFile(stream, o.output);
    portable::HeapWaveMemory memory;
    portable::MemoryRegistry registry;
    portable::SilentShell shell;
    portable::IdleHotKey hotKey;
    portable::InstantSplashTiming timing(loop);
    registry.keys[vpg::ProgramKey()]["Welcome"] = persistence::RegistryValue::Integer(1);
    vpg::Platform platform{loop, dialogs, wav, memory, registry, shell, hotKey, '.', "./"};
    vpg::Program program(platform, timing);
    program.Startup();
    vpg::TfrmGenerator& g = *program.frmGenerator;
    vpg::TfrmSettings& s = *program.frmSettings;

    s.FsList.userSelected(indexOf(s.FsList, o.fs));
    s.BufferSize.userSelected(indexOf(s.BufferSize, o.bufferSize));
    s.Buffers.userSelected(indexOf(s.Buffers, o.buffers));

    g.chkSweepLeft.setChecked(o.sweep);
    g.chkConstantLeft.setChecked(!o.sweep);
    g.LogarithmicLeft.setChecked(o.logarithmic);
    g.Loop.setChecked(o.loop);
    g.BidirectionalLeft.setChecked(o.bidirectional);
    g.chkFlashLock.setChecked(o.lock);

    // Each value is typed into its field and the field is left, as a person would do.
    const auto enter = [&](const char* option, ui::Edit& field, const std::string& value,
                           void (vpg::TfrmGenerator::*exitRule)(ui::Object*)) {
        field.setText(value);
        (g.*exitRule)(nullptr);
        if (field.Text() != value)
            messages << "vpg-render: " << option << " '" << value << "' became " << field.Text()
                     << '\n';
    };
    enter("--final-freq", g.fFinalLeft, o.finalFreq, &vpg::TfrmGenerator::fFinalLeftExit);
    enter("--freq", g.fInitLeft, o.freq, &vpg::TfrmGenerator::fInitLeftExit);
    enter("--duration", g.Duration, o.duration, &vpg::TfrmGenerator::DurationExit);
    enter("--phase", g.PhaseEdit, o.phase, &vpg::TfrmGenerator::PhaseEditExit);
    enter("--pulse-length", g.txtPulseLength, o.pulseLength,
          &vpg::TfrmGenerator::txtPulseLengthExit);
    enter("--left-db", g.AmplitudeLeft, o.leftDb, &vpg::TfrmGenerator::AmplitudeLeftExit);
    enter("--right-db", g.AmplitudeRight, o.rightDb, &vpg::TfrmGenerator::AmplitudeRightExit);

    int position = o.deltaPosition.value_or(0);
    if (o.delta) {
        const auto hz = controls::TryIntlStrToFloat(*o.delta, '.');
        position = hz ? controls::RoundToInt32(*hz * 50.0) : 0;
    }
    g.FreqSliderRight.setPosition(position);
    g.FreqSliderRightChange(nullptr);
    if (o.delta && g.lblFdelta.Caption() != *o.delta)
        messages << "vpg-render: --delta '" << *o.delta << "' became " << g.lblFdelta.Caption()
                 << '\n';

    // The file's length is known now: one that no WAV file can hold is refused before it is
    // rendered.
    g.fConstLeftChange(nullptr);
    const RenderLength length = LengthOf(o, g.Parameters.TotalSamples);
    if (!(length.bytes <= kMostWavData)) {
        messages << "vpg-render: "
                 << (length.bySeconds ? "--seconds " + numberText(*o.seconds)
                                      : "--duration " + g.Duration.Text())
                 << " is more than a WAV file holds (4 GiB of sample data): at " << o.fs
                 << " Hz at most " << secondsText(length.mostSeconds) << " seconds fit\n";
        return 2;
    }
    if (!(length.bytes >= frameBytesOf(1))) {
        messages << "vpg-render: --seconds " << numberText(o.seconds.value_or(0))
                 << " gives no frame at " << o.fs << " Hz: nothing to write\n";
        return 2;
    }
    wav.setPlayLimit(static_cast<std::uint64_t>(length.bytes));

    g.btnONClick(nullptr);
    while (loop.pumpOne())
        if (wav.playLimitReached() && g.AudioOut1->IsWaveDeviceOpen()) g.AudioOut1->StopAtOnce();

    if (g.AudioOut1->IsWaveDeviceOpen()) {
        // Not expected: the stream drains and closes by itself, also after a failed write.
        g.AudioOut1->StopAtOnce();
        loop.pumpAll();
    }
    // A failed write ends the stream early: the file must not pass for the whole signal.
    if (!wav.fileError().empty() || g.AudioOut1->FilledBuffers == 0) {
        // Said once: the window may have shown the device's error already.
        if (!wav.fileError().empty() && !dialogs.said(wav.fileError()))
            messages << "vpg-render: " << wav.fileError() << '\n';
        return 1;
    }
    switch (output->Put(error)) {
        case OutputFile::Commit::Done:
            return 0;
        case OutputFile::Commit::NotOnDisk:
            messages << "vpg-render: cannot write '" << o.output << "': " << error << '\n';
            return 1;
        case OutputFile::Commit::NotInPlace:
            break;
    }
    messages << "vpg-render: cannot write '" << o.output << "': " << error << '\n';
    return 2;
}

}  // namespace render
