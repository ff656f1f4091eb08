#pragma once

#include <functional>
#include <memory>
#include <string>

#include "shell/platform.h"
#include "shell/remote_message.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/label.h"

namespace vpg {

class TfrmGenerator;
class TfrmAbout;
class TfrmSettings;
class TfrmFrequencyDisplay;

// Sleeping, processing pending messages and window opacity, for the splash's fades.
class ISplashTiming {
public:
    virtual ~ISplashTiming() = default;
    virtual void Sleep(int milliseconds) = 0;
    virtual void ProcessMessages() = 0;
    virtual void SetOpacity(ui::Form& window, int alpha) = 0;
    virtual void Repaint(ui::Form& window) = 0;
};

// The borderless start-up picture; a click on it ends the wait early.
class TfrmStartSplash : public ui::Form {
public:
    explicit TfrmStartSplash(const ui::Application& app);
    ui::Image imgSplash{"imgSplash", "splash"};
    void imgSplashClick(ui::Object*) { Tag = 1; }
};

// The whole program: the splash, the four windows in their order of creation, and the run.
class Program {
public:
    Program(Platform& platform, ISplashTiming& timing);
    ~Program();

    // Splash, creation of the windows (each loads its part of the state), fade-out.
    void Startup();
    // Shows and activates the main window, as the message loop does first. Start-up has
    // finished then.
    void ShowMainWindow();
    bool Running() const { return !Application.Terminated; }
    bool StartedUp() const { return startedUp_; }

    // Where other programs' messages reach the main window. Before start-up has finished,
    // and while one of the program's boxes is open, nothing is run: the sender hears "busy"
    // and may try again, instead of a command acting half-set-up or inside the box.
    // A refusal says why in `reason` (when given).
    RemoteOutcome DeliverRemoteMessage(std::uint32_t message, std::uint32_t wParam,
                                       std::intptr_t lParam, std::string* reason = nullptr);

    // Ends the program as File, Exit does, for a signal or a display that went away: the
    // output stops and the settings are saved, without asking anything. False when they could
    // not be saved. Before start-up has finished nothing has been loaded, so nothing is saved.
    bool EndSession();

    // Says once, in a box over the main window, that other programs cannot reach this one.
    void TellRemoteControlOff(const std::string& reason);

    // A front-end makes its view of each window as soon as the window exists (before it loads
    // or shows anything) and drops it just before the window goes away.
    std::function<void(ui::Form&)> formCreated;
    std::function<void(ui::Form&)> formDestroyed;

    ui::Application Application;
    std::unique_ptr<TfrmGenerator> frmGenerator;
    std::unique_ptr<TfrmAbout> frmAbout;
    std::unique_ptr<TfrmSettings> frmSettings;
    std::unique_ptr<TfrmFrequencyDisplay> frmFrequencyDisplay;
    // Present only during start-up.
    std::unique_ptr<TfrmStartSplash> splash;

private:
    void fade(int from, int step);
    void created(ui::Form& form) {
        if (formCreated) formCreated(form);
    }
    template <typename T>
    void destroy(std::unique_ptr<T>& form) {
        if (form && formDestroyed) formDestroyed(*form);
        form.reset();
    }

    static Platform withDialogs(const Platform& platform, ui::IDialogs& dialogs);

    // Every box of the program goes through dialogs_, so that it is known when one is open.
    ui::CountedDialogs dialogs_;
    Platform platform_;
    ISplashTiming& timing_;
    bool startedUp_ = false;
};

}  // namespace vpg
