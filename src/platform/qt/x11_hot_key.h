#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <vector>

#include "ui/hot_key.h"

struct xcb_connection_t;

namespace qtui {

// A hot key for the whole X11 desktop: a passive key grab on the root window, made on Qt's own
// xcb connection, because the X server delivers a grabbed key to the connection that grabbed
// it. Qt's native event filter then sees the press whichever window has the focus, and it is
// posted as WM_HOTKEY. The grab covers the NumLock and CapsLock states too, which X11 counts
// as modifiers. Off X11 (Wayland, offscreen) registration fails without a word.
class X11HotKey final : public ui::IHotKey, public QAbstractNativeEventFilter {
public:
    // Needs the QGuiApplication. Presses are posted to `loop` as {window, WM_HOTKEY, id, 0}.
    explicit X11HotKey(ui::IMessageLoop& loop);
    ~X11HotKey() override;
    X11HotKey(const X11HotKey&) = delete;
    X11HotKey& operator=(const X11HotKey&) = delete;

    // False off X11, for a key it cannot map, for an id this window already holds, and when
    // another program holds the combination (the X server answers BadAccess).
    bool RegisterHotKey(ui::MessageTarget* window, int id, ui::ShiftState modifiers,
                        std::uint16_t key) override;
    void UnregisterHotKey(ui::MessageTarget* window, int id) override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Grab {
        ui::MessageTarget* window;
        int id;
        std::uint16_t modifiers;             // X11 modifier mask, without the lock states
        std::vector<std::uint8_t> keycodes;  // every key that produces the key symbol
    };
    void ungrab(const Grab& grab);

    ui::IMessageLoop& loop_;
    xcb_connection_t* connection_ = nullptr;  // null off X11
    std::vector<std::uint32_t> roots_;
    std::vector<Grab> grabs_;
};

}  // namespace qtui
