// Speed of the sample engine: frames per second for a constant tone and a sweep, and the
// share of a buffer's play time that its fill takes (it must stay far below 1 %).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "audio/output_settings.h"
#include "shell/generator_form.h"
#include "shell/startup.h"
#include "support/doubles/headless_platform.h"

namespace {

struct Generator {
    explicit Generator(int fsIndex, bool sweep, bool lock = false) {
        hp.registry.keys[vpg::ProgramKey()]["Welcome"] = persistence::RegistryValue::Integer(1);
        program.Startup();
        vpg::TfrmGenerator& g = *program.frmGenerator;
        program.frmSettings->FsList.setItemIndex(fsIndex);
        g.Parameters.SampleRate = std::stoi(program.frmSettings->FsList.Text());
        g.chkConstantLeft.setChecked(!sweep);
        g.chkSweepLeft.setChecked(sweep);
        g.fInitLeft.setText("100");
        g.fFinalLeft.setText("1000");
        g.Duration.setText("600");
        g.Loop.setChecked(true);
        g.chkFlashLock.setChecked(lock);
        g.fConstLeftChange(nullptr);
        g.txtPulseLengthExit(nullptr);
        engine::ResetForStart(g.Parameters, g.State);
        g.State.FillAcknowledged = true;
    }
    doubles::HeadlessPlatform hp;
    vpg::Program program{hp.platform, hp.timing};
};

void fill(benchmark::State& state, int fsIndex, bool sweep, std::int32_t bytes, bool lock = false) {
    Generator gen(fsIndex, sweep, lock);
    vpg::TfrmGenerator& g = *gen.program.frmGenerator;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(bytes));
    for (auto _ : state) {
        std::int32_t size = bytes;
        benchmark::DoNotOptimize(g.AudioOut1FillBuffer(buffer.data(), size));
        benchmark::ClobberMemory();
    }
    const double frames = static_cast<double>(bytes / 4);
    state.counters["frames/s"] = benchmark::Counter(
        frames * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    // The fill's time as a percentage of the time the filled buffers take to play.
    const double playSeconds =
        frames / g.Parameters.SampleRate * static_cast<double>(state.iterations());
    state.counters["fill_%_of_play"] = benchmark::Counter(
        playSeconds / 100.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FillConstant44100(benchmark::State& s) {
    fill(s, 3, false, 16384);
}
void BM_FillSweep44100(benchmark::State& s) {
    fill(s, 3, true, 16384);
}
// The largest buffer at the highest rate: 16134 frames, 168 ms of sound.
void BM_Fill64536At96000(benchmark::State& s) {
    fill(s, 5, false, 64536);
}
void BM_Fill64536At96000Sweep(benchmark::State& s) {
    fill(s, 5, true, 64536);
}

// The same with the flashes locked to the sine.
void BM_Fill64536At96000Locked(benchmark::State& s) {
    fill(s, 5, false, 64536, true);
}
void BM_Fill64536At96000SweepLocked(benchmark::State& s) {
    fill(s, 5, true, 64536, true);
}

BENCHMARK(BM_FillConstant44100);
BENCHMARK(BM_FillSweep44100);
BENCHMARK(BM_Fill64536At96000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill64536At96000Sweep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill64536At96000Locked)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill64536At96000SweepLocked)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
