// vpg.exe: the desktop program on Windows. The Windows platform (message loop, winmm, the
// registry, dialogs, shell and help, the hot key) wired into the program, a window for each of
// its forms, then the message loop until the main window has closed.
#include "platform/win32/windows_api.h"

#include <exception>
#include <string>

#include "platform/win32/global_wave_memory.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/utf.h"
#include "platform/win32/views.h"
#include "platform/win32/win32_dialogs.h"
#include "platform/win32/win32_hot_key.h"
#include "platform/win32/win32_message_loop.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_splash_timing.h"
#include "platform/win32/winmm_wave_out.h"
#include "shell/startup.h"

namespace {

// The user's decimal separator, for the numbers the fields show; a point where the locale's
// is not a single plain character.
char DecimalSeparator() {
    wchar_t text[8] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, text, 8) == 2 && text[0] > 0 &&
        text[0] < 0x80)
        return static_cast<char>(text[0]);
    return '.';
}

// The folder of vpg.exe, with its trailing backslash: the help file lies beside the program.
std::string ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return win32::WideToUtf8(path.substr(0, path.find_last_of(L"\\/") + 1));
}

int Run(HINSTANCE instance) {
    win32::Win32MessageLoop loop;
    win32::WinmmWaveOut waveOut(loop);
    win32::GlobalWaveMemory memory;
    win32::RegistryStore registry;

    // The windows exist once the program does; the platform pieces reach them through here.
    win32::Views* views = nullptr;
    const auto windowOf = [&views](const ui::Form* form) -> HWND {
        return views != nullptr ? views->windowOf(form) : nullptr;
    };
    win32::Win32Dialogs dialogs(
        [&views] { return views != nullptr ? views->application.Title() : std::string(); },
        [&views] { return views != nullptr ? views->application.PixelsPerInch : 96; });
    win32::Win32Shell shell(windowOf, [&views]() -> HWND {
        const HWND active = ::GetActiveWindow();
        return active != nullptr ? active : (views != nullptr ? views->mainWindow() : nullptr);
    });
    win32::Win32HotKey hotKey([&windowOf](ui::MessageTarget* target) {
        return windowOf(dynamic_cast<ui::Form*>(target));
    });
    vpg::Platform platform{loop,           dialogs, waveOut, memory,
                           registry,       shell,   hotKey,  DecimalSeparator(),
                           ProgramFolder()};
    win32::Win32SplashTiming timing(loop, windowOf);

    vpg::Program program(platform, timing);
    win32::Views windows(program.Application, instance);
    views = &windows;
    windows.measureScreen();
    program.Application.bringToFront = [&windows] {
        if (const HWND main = windows.mainWindow()) ::SetForegroundWindow(main);
    };
    program.formCreated = [&windows](ui::Form& form) { windows.formCreated(form); };
    program.formDestroyed = [&windows](ui::Form& form) { windows.formDestroyed(form); };

    // Other programs hear whether their message was acted on, or that the program is busy.
    windows.remoteMessage = [&program](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        switch (program.DeliverRemoteMessage(static_cast<std::uint32_t>(message),
                                             static_cast<std::uint32_t>(wParam),
                                             static_cast<std::intptr_t>(lParam))) {
            case vpg::RemoteOutcome::Acted:
                return vpg::kRemoteActed;
            case vpg::RemoteOutcome::Refused:
                return vpg::kRemoteRefused;
            case vpg::RemoteOutcome::Busy:
                break;
        }
        return vpg::kRemoteBusy;
    };

    program.Startup();
    program.ShowMainWindow();
    const int code = win32::Win32MessageLoop::Run();
    // The windows go first (just below); the forms they showed go after them with the program.
    program.formDestroyed = nullptr;
    views = nullptr;
    return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    try {
        return Run(instance);
    } catch (const std::exception& e) {
        ::MessageBoxW(nullptr, win32::Utf8ToWide(e.what()).c_str(), L"Vimbrel Pulse Generator",
                      MB_OK | MB_ICONERROR);
        return 1;
    }
}
