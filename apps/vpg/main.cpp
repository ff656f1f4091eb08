// vpg: the generator on the Linux desktop, with Qt 6 windows over the program's forms.
#include <QApplication>
#include <QLocale>
#include <QScreen>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/alsa/alsa_wave_out.h"
#include "platform/alsa/pcm_rules.h"
#include "platform/portable/heap_wave_memory.h"
#include "platform/posix/file_registry.h"
#include "platform/posix/remote_control.h"
#include "platform/posix/termination_signals.h"
#include "platform/qt/conversions.h"
#include "platform/qt/picture.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_fd_watcher.h"
#include "platform/qt/qt_message_loop.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_splash_timing.h"
#include "platform/qt/qt_views.h"
#include "platform/qt/x11_hot_key.h"
#include "shell/generator_form.h"
#include "shell/startup.h"

namespace {

// --- The platform pieces, one function each, so that a device can be exchanged here alone.

// The sound card, through ALSA: the system's default output and the playback devices ALSA
// lists. A device thread feeds the card; the notifications come back through the UI loop.
std::unique_ptr<audio::IWaveOut> MakeWaveOut(ui::IMessageLoop& loop) {
    return std::make_unique<alsa::AlsaWaveOut>(loop);
}

// The system-wide hot key (Ctrl+Insert), grabbed on the X11 root window. Off X11, or while
// another program holds the combination, the registration fails without a word.
std::unique_ptr<ui::IHotKey> MakeHotKey(ui::IMessageLoop& loop) {
    return std::make_unique<qtui::X11HotKey>(loop);
}

// Other programs' messages (vpg-send) over this user's local socket, handled by the main
// window's window procedure on the UI thread. Without the socket the program still runs.
// It listens before the first box of the start-up, so that a sender hears "busy" rather than
// "not running" while the program comes up.
struct RemoteControl {
    qtui::QtFdWatcher watcher;
    std::unique_ptr<posix::RemoteControlServer> server;
};
std::unique_ptr<RemoteControl> StartRemoteControl(vpg::Program& program) {
    auto remote = std::make_unique<RemoteControl>();
    remote->server = std::make_unique<posix::RemoteControlServer>(
        remote->watcher, [&program](std::uint32_t message, std::uint32_t wParam,
                                    std::intptr_t lParam, std::string& reason) {
            return program.DeliverRemoteMessage(message, wParam, lParam, &reason);
        });
    if (!remote->server->listen())
        std::fprintf(stderr, "vpg: no remote control: %s\n", remote->server->error().c_str());
    return remote;
}

// The session ends without File, Exit: a signal (logout, shutdown, a service manager, Ctrl+C)
// or the X server going away, after which Qt calls exit(). Either way the settings are saved
// and the socket file removed, as Exit does. Before start-up has finished nothing has been
// loaded, so there is nothing to save and the signal takes its default course.
struct Ending {
    vpg::Program* program = nullptr;
    std::unique_ptr<RemoteControl>* remote = nullptr;
};
Ending gEnding;

void EndSession() {
    if (!gEnding.program) return;
    vpg::Program& program = *std::exchange(gEnding.program, nullptr);
    if (!program.EndSession()) std::fprintf(stderr, "vpg: the settings could not be saved\n");
    if (gEnding.remote) gEnding.remote->reset();
}

void EndOnSignal(int signal) {
    if (gEnding.program && !gEnding.program->StartedUp()) {
        gEnding.program = nullptr;
        if (gEnding.remote) gEnding.remote->reset();
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    EndSession();
    // Leaves the main loop and any box's loop inside it.
    QCoreApplication::exit(0);
}

// The settings file under the user's configuration folder.
std::unique_ptr<persistence::IRegistry> MakeRegistry() {
    return std::make_unique<posix::FileRegistry>(posix::DefaultSettingsPath());
}

// The mixers the volume control tries, in order: PulseAudio's, then the desktops' own.
const std::vector<QStringList> kMixers = {{"pavucontrol"},
                                          {"gnome-control-center", "sound"},
                                          {"mate-volume-control"},
                                          {"xfce4-mixer"},
                                          {"kmix"}};

// The words that name this system, where the program's own name the Windows ones.
void UseLinuxWording(vpg::Platform& platform) {
    platform.defaultDeviceName = "System Default";
    platform.volumeControlCaption = "&Volume Control";
    platform.volumeControlPrograms = {kMixers.front().front().toStdString()};
    std::string names;
    for (const QStringList& mixer : kMixers)
        names += (names.empty() ? "" : ", ") + mixer.front().toStdString();
    platform.volumeControlMissing = "The volume control could not be opened: none of " + names +
                                    " started. Install one of them (pavucontrol, for example).";
}

std::unique_ptr<qtui::QtShell> MakeShell(const QString& programFolder) {
    auto shell = std::make_unique<qtui::QtShell>(qtui::QtShell::DefaultHelpFolders(programFolder));
    // Without PulseAudio's mixer, the desktop's own.
    shell->alternatives[kMixers.front().front()] = {kMixers.begin() + 1, kMixers.end()};
    return shell;
}

// At the end: how often the sound card ran dry, when it did (or always, with
// VPG_REPORT_UNDERRUNS=1), so that a user who heard gaps, and the benchmark, can see it.
void ReportUnderruns(const audio::IWaveOut& waveOut) {
    const auto* alsaOut = dynamic_cast<const alsa::AlsaWaveOut*>(&waveOut);
    if (alsaOut == nullptr) return;
    const char* always = std::getenv("VPG_REPORT_UNDERRUNS");
    const std::string report = alsa::UnderrunReport(
        alsaOut->underruns(), always != nullptr && std::string_view(always) == "1");
    if (!report.empty()) std::fprintf(stderr, "%s\n", report.c_str());
}

char LocaleDecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point == "," ? ',' : '.';
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("vimbrel-pulse-generator");
    QApplication::setDesktopFileName("vimbrel-pulse-generator");
    QApplication::setWindowIcon(QIcon(qtui::ProgramIcon(64)));
    // The program ends when its main window's close has gone through, not when a window hides.
    QApplication::setQuitOnLastWindowClosed(false);

    const QString programFolder = QCoreApplication::applicationDirPath() + "/";
    qtui::QtMessageLoop loop;
    portable::HeapWaveMemory memory;
    const std::unique_ptr<audio::IWaveOut> waveOut = MakeWaveOut(loop);
    const std::unique_ptr<ui::IHotKey> hotKey = MakeHotKey(loop);
    const std::unique_ptr<persistence::IRegistry> registry = MakeRegistry();
    const std::unique_ptr<qtui::QtShell> shell = MakeShell(programFolder);

    qtui::QtDialogs dialogs;
    qtui::QtSplashTiming timing(loop);
    vpg::Platform platform{loop,
                           dialogs,
                           *waveOut,
                           memory,
                           *registry,
                           *shell,
                           *hotKey,
                           LocaleDecimalSeparator(),
                           programFolder.toStdString()};
    UseLinuxWording(platform);

    vpg::Program program(platform, timing);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        program.Application.PixelsPerInch =
            static_cast<int>(std::lround(screen->logicalDotsPerInch()));
    // Message boxes and menus in the windows' design font at the screen's resolution.
    const ui::Form designed("design");
    QApplication::setFont(qtui::ToQFont(designed.font, program.Application));
    dialogs.setApplication(program.Application);
    qtui::QtViews views(program.Application);
    views.attach(program);
    timing.setViews(views);

    std::unique_ptr<RemoteControl> remoteControl = StartRemoteControl(program);
    gEnding = {&program, &remoteControl};
    std::atexit(EndSession);
    qtui::QtFdWatcher signalWatcher;
    const posix::TerminationSignals endings(signalWatcher, EndOnSignal);
    program.Startup();
    program.ShowMainWindow();
    if (!remoteControl->server->listening())
        program.TellRemoteControlOff(remoteControl->server->error());
    const int status = program.Running() ? QApplication::exec() : 0;
    gEnding = {};
    ReportUnderruns(*waveOut);
    return status;
}
