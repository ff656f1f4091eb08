#include "apps/vpg-render/renderer.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

#include "audio/output_settings.h"
#include "controls/numeric_entry.h"
#include "platform/headless/headless_message_loop.h"
#include "platform/headless/heap_wave_memory.h"
#include "platform/headless/manual_hot_key.h"
#include "platform/headless/memory_registry.h"
#include "platform/headless/recorded_shell.h"
#include "platform/headless/virtual_timing.h"
#include "platform/headless/wav_file_wave_out.h"
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

private:
    void say(std::string text) {
        for (char& c : text)
            if (c == '\r' || c == '\n') c = ' ';
        out_ << "vpg-render: " << text << '\n';
    }
    std::ostream& out_;
};

int indexOf(const ui::ComboBox& list, int value) {
    const auto& items = list.Items();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == std::to_string(value)) return static_cast<int>(i);
    return -1;
}

}  // namespace

int Render(const Options& o, std::ostream& messages) {
    // The file grows under a temporary name and takes its own only when complete.
    const std::string partial = o.output + ".part";
    if (std::FILE* probe = std::fopen(partial.c_str(), "wb")) {
        std::fclose(probe);
    } else {
        messages << "vpg-render: cannot write '" << o.output << "'\n";
        return 2;
    }

    headless::HeadlessMessageLoop loop;
    StreamDialogs dialogs(messages);
    headless::WavFileWaveOut wav(loop, partial);
    headless::HeapWaveMemory memory;
    headless::MemoryRegistry registry;
    headless::RecordedShell shell;
    headless::ManualHotKey hotKey(loop);
    headless::VirtualTiming timing(loop);
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

    if (o.seconds) {
        const double bytes = std::floor(*o.seconds * o.fs) * 4.0;
        wav.setPlayLimit(static_cast<std::uint64_t>(std::min(bytes, 4.0e9)));
    }

    g.btnONClick(nullptr);
    while (loop.pumpOne())
        if (wav.playLimitReached() && g.AudioOut1->IsWaveDeviceOpen()) g.AudioOut1->StopAtOnce();

    if (g.AudioOut1->IsWaveDeviceOpen()) {
        // Not expected: the stream drains and closes by itself, also after a failed write.
        g.AudioOut1->StopAtOnce();
        loop.pumpAll();
    }
    // A failed write ends the stream early: the file must not pass for the whole signal.
    const bool ok = g.AudioOut1->FilledBuffers > 0 && wav.fileError().empty();
    if (!wav.fileError().empty()) messages << "vpg-render: " << wav.fileError() << '\n';
    if (ok && std::rename(partial.c_str(), o.output.c_str()) != 0) {
        messages << "vpg-render: cannot write '" << o.output << "'\n";
        std::remove(partial.c_str());
        return 2;
    }
    if (!ok) {
        std::remove(partial.c_str());
        return 1;
    }
    return 0;
}

}  // namespace render
