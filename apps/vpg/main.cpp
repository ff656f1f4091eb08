// vpg: the generator on the Linux desktop, with Qt 6 windows over the program's forms.
#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QScreen>
#include <QStandardPaths>
#include <cmath>
#include <memory>
#include <string>

#include "platform/headless/heap_wave_memory.h"
#include "platform/headless/manual_hot_key.h"
#include "platform/headless/wav_file_wave_out.h"
#include "platform/posix/file_registry.h"
#include "platform/qt/conversions.h"
#include "platform/qt/picture.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_message_loop.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_splash_timing.h"
#include "platform/qt/qt_views.h"
#include "shell/generator_form.h"
#include "shell/startup.h"

namespace {

// --- The platform pieces, one function each, so that a device can be exchanged here alone.

// The sound device. Until the ALSA device is in, ON plays into a WAV file in the user's cache
// folder, capped so that a looping signal cannot fill the disk.
std::unique_ptr<audio::IWaveOut> MakeWaveOut(ui::IMessageLoop& loop) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                           "/vimbrel-pulse-generator";
    QDir().mkpath(folder);
    auto device =
        std::make_unique<headless::WavFileWaveOut>(loop, (folder + "/output.wav").toStdString());
    device->setDataLimit(std::uint64_t{64} << 20);
    return device;
}

// The system-wide hot key (Ctrl+Insert). Until the X11 grab is in, none is registered with
// the desktop; the menu shortcut still works while the main window has the keyboard.
std::unique_ptr<ui::IHotKey> MakeHotKey(ui::IMessageLoop& loop) {
    return std::make_unique<headless::ManualHotKey>(loop);
}

// Other programs' messages (vpg-send). Returns what keeps the server running; nothing yet.
std::shared_ptr<void> StartRemoteControl(vpg::Program& /*program*/, ui::IMessageLoop& /*loop*/) {
    return nullptr;
}

// The settings file under the user's configuration folder.
std::unique_ptr<persistence::IRegistry> MakeRegistry() {
    return std::make_unique<posix::FileRegistry>(posix::DefaultSettingsPath());
}

// The words that name this system, where the program's own name the Windows ones.
void UseLinuxWording(vpg::Platform& platform) {
    platform.defaultDeviceName = "System Default";
    platform.volumeControlCaption = "&Volume Control";
    platform.volumeControlProgram = "pavucontrol";
}

std::unique_ptr<qtui::QtShell> MakeShell(const QString& programFolder) {
    auto shell = std::make_unique<qtui::QtShell>(qtui::QtShell::DefaultHelpFolders(programFolder));
    // Without PulseAudio's mixer, the desktop's own.
    shell->alternatives["pavucontrol"] = {
        {"gnome-control-center", "sound"}, {"mate-volume-control"}, {"xfce4-mixer"}, {"kmix"}};
    return shell;
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
    headless::HeapWaveMemory memory;
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
    QApplication::setFont(qtui::FontOf(designed.font, designed.font, program.Application));
    dialogs.setApplication(program.Application);
    qtui::QtViews views(program.Application);
    views.attach(program);
    timing.setViews(views);

    program.Startup();
    const std::shared_ptr<void> remoteControl = StartRemoteControl(program, loop);
    program.ShowMainWindow();
    return program.Running() ? QApplication::exec() : 0;
}
