#include "platform/qt/x11_hot_key.h"

#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>

namespace qtui {

namespace {

// The lock states are modifiers to X11: a grab without them misses every press made while
// NumLock (Mod2 on every common layout) or CapsLock is on.
constexpr std::array<std::uint16_t, 4> kLockVariants = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                                        XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr std::uint16_t kChordMask = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

// The X11 key symbol of a virtual-key code; 0 for a key we have no use for.
std::uint32_t keySymbolOf(std::uint16_t key) {
    if (key == ui::VK_INSERT) return 0xff63;                     // XK_Insert
    if (key == ui::VK_DELETE) return 0xffff;                     // XK_Delete
    if (key >= 0x70 && key <= 0x87) return 0xffbe + key - 0x70;  // XK_F1..XK_F24
    if (key >= '0' && key <= '9') return key;
    if (key >= 'A' && key <= 'Z') return key - 'A' + 'a';  // keysyms of letters are lower case
    return 0;
}

std::uint16_t modifierMaskOf(ui::ShiftState shift) {
    return static_cast<std::uint16_t>((shift.shift ? XCB_MOD_MASK_SHIFT : 0) |
                                      (shift.ctrl ? XCB_MOD_MASK_CONTROL : 0) |
                                      (shift.alt ? XCB_MOD_MASK_1 : 0));
}

std::vector<std::uint8_t> keycodesOf(xcb_connection_t* connection, std::uint32_t symbol) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const auto cookie =
        xcb_get_keyboard_mapping(connection, setup->min_keycode, static_cast<std::uint8_t>(count));
    const std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> reply(
        xcb_get_keyboard_mapping_reply(connection, cookie, nullptr), &std::free);
    std::vector<std::uint8_t> keycodes;
    if (!reply) return keycodes;
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(reply.get());
    const int perKey = reply->keysyms_per_keycode;
    for (int i = 0; i < count; ++i)
        if (std::find(symbols + i * perKey, symbols + (i + 1) * perKey, symbol) !=
            symbols + (i + 1) * perKey)
            keycodes.push_back(static_cast<std::uint8_t>(setup->min_keycode + i));
    return keycodes;
}

}  // namespace

X11HotKey::X11HotKey(ui::IMessageLoop& loop) : loop_(loop) {
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const auto* x11 =
        application ? application->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return;
    connection_ = x11->connection();
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection_)); it.rem;
         xcb_screen_next(&it))
        roots_.push_back(it.data->root);
    application->installNativeEventFilter(this);
}

X11HotKey::~X11HotKey() {
    if (!connection_) return;
    for (const Grab& grab : grabs_) ungrab(grab);
    xcb_flush(connection_);
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11HotKey::RegisterHotKey(ui::MessageTarget* window, int id, ui::ShiftState modifiers,
                               std::uint16_t key) {
    if (!connection_) return false;
    for (const Grab& grab : grabs_)
        if (grab.window == window && grab.id == id) return false;
    const std::uint32_t symbol = keySymbolOf(key);
    Grab grab{window, id, modifierMaskOf(modifiers),
              symbol ? keycodesOf(connection_, symbol) : std::vector<std::uint8_t>{}};
    if (grab.keycodes.empty()) return false;

    std::vector<xcb_void_cookie_t> cookies;
    for (const std::uint32_t root : roots_)
        for (const std::uint8_t keycode : grab.keycodes)
            for (const std::uint16_t lock : kLockVariants)
                cookies.push_back(xcb_grab_key_checked(connection_, /*owner_events=*/0, root,
                                                       grab.modifiers | lock, keycode,
                                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    bool granted = true;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
            granted = false;  // BadAccess: another client holds this combination
            std::free(error);
        }
    }
    if (!granted) {
        // Releases only what this connection got; another client's grab is not ours to drop.
        ungrab(grab);
        xcb_flush(connection_);
        return false;
    }
    grabs_.push_back(std::move(grab));
    return true;
}

void X11HotKey::UnregisterHotKey(ui::MessageTarget* window, int id) {
    const auto it = std::find_if(grabs_.begin(), grabs_.end(), [&](const Grab& grab) {
        return grab.window == window && grab.id == id;
    });
    if (it == grabs_.end()) return;
    ungrab(*it);
    xcb_flush(connection_);
    grabs_.erase(it);
}

void X11HotKey::ungrab(const Grab& grab) {
    for (const std::uint32_t root : roots_)
        for (const std::uint8_t keycode : grab.keycodes)
            for (const std::uint16_t lock : kLockVariants)
                xcb_ungrab_key(connection_, keycode, root, grab.modifiers | lock);
}

bool X11HotKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS) return false;
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    if (std::find(roots_.begin(), roots_.end(), press->event) == roots_.end()) return false;
    for (const Grab& grab : grabs_) {
        if ((press->state & kChordMask) != grab.modifiers) continue;
        if (std::find(grab.keycodes.begin(), grab.keycodes.end(), press->detail) ==
            grab.keycodes.end())
            continue;
        loop_.post({grab.window, ui::WM_HOTKEY, static_cast<std::uintptr_t>(grab.id), 0});
        return true;
    }
    return false;
}

}  // namespace qtui
