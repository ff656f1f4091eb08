// A minimal Qt program with the system-wide hot key, for tests/e2e/hot_key.sh: it registers
// Ctrl+Insert through X11HotKey and prints a line for every WM_HOTKEY it receives.
//
//   vpg_hot_key_probe [--release-after N] [--seconds S]
//       prints "registered: true|false", then per press
//       "WM_HOTKEY id=1 numlock=on|off capslock=on|off"; after the Nth press it unregisters
//       and prints "unregistered"; it quits after S seconds (default 60).
//   vpg_hot_key_probe --once
//       prints "registered: true|false" and exits 0 when registered, 1 when not.
#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <set>
#include <string>

#include "platform/qt/x11_hot_key.h"
#include "ui/hot_key.h"
#include "ui/message_loop.h"

namespace {

// Posted messages are dispatched from Qt's event loop.
class QueuedLoop final : public ui::IMessageLoop {
public:
    void post(const ui::Message& message) override {
        QMetaObject::invokeMethod(
            qApp,
            [this, message] {
                if (!forgotten_.count(message.target)) message.target->handleMessage(message);
            },
            Qt::QueuedConnection);
    }
    void processMessages() override { QCoreApplication::processEvents(); }
    void forget(const ui::MessageTarget* target) override { forgotten_.insert(target); }

private:
    std::set<const ui::MessageTarget*> forgotten_;
};

// The lock states as the X server has them now, to show which grab variant fired.
std::string LockStates() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) return "numlock=? capslock=?";
    xcb_connection_t* c = x11->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> reply(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr), &std::free);
    if (!reply) return "numlock=? capslock=?";
    return std::string("numlock=") + (reply->mask & XCB_MOD_MASK_2 ? "on" : "off") +
           " capslock=" + (reply->mask & XCB_MOD_MASK_LOCK ? "on" : "off");
}

class Window final : public ui::MessageTarget {
public:
    Window(ui::IHotKey& hotKey, int releaseAfter) : hotKey_(hotKey), releaseAfter_(releaseAfter) {}
    void handleMessage(const ui::Message& message) override {
        if (message.msg != ui::WM_HOTKEY) return;
        std::cout << "WM_HOTKEY id=" << message.wParam << ' ' << LockStates() << std::endl;
        if (++presses_ == releaseAfter_) {
            hotKey_.UnregisterHotKey(this, 1);
            std::cout << "unregistered" << std::endl;
        }
    }

private:
    ui::IHotKey& hotKey_;
    int releaseAfter_;
    int presses_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    bool once = false;
    int releaseAfter = 0, seconds = 60;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--once") == 0)
            once = true;
        else if (std::strcmp(argv[i], "--release-after") == 0 && i + 1 < argc)
            releaseAfter = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::atoi(argv[++i]);
        else {
            std::cerr << "usage: vpg_hot_key_probe [--once] [--release-after N] [--seconds S]\n";
            return 2;
        }
    }
    QueuedLoop loop;
    qtui::X11HotKey hotKey(loop);
    Window window(hotKey, releaseAfter);
    const bool registered = hotKey.RegisterHotKey(&window, 1, {false, true, false}, ui::VK_INSERT);
    std::cout << "registered: " << (registered ? "true" : "false") << std::endl;
    if (once) return registered ? 0 : 1;
    QTimer::singleShot(seconds * 1000, &application, &QCoreApplication::quit);
    return application.exec();
}
