#pragma once

#include <map>

#include "ui/hot_key.h"

namespace doubles {

// A hot key the test presses by hand; the press arrives as WM_HOTKEY through the loop.
class ManualHotKey final : public ui::IHotKey {
public:
    explicit ManualHotKey(ui::IMessageLoop& loop) : loop_(loop) {}

    bool RegisterHotKey(ui::MessageTarget* window, int id, ui::ShiftState modifiers,
                        std::uint16_t key) override {
        if (heldElsewhere) return false;
        registered[id] = {window, modifiers, key};
        return true;
    }
    void UnregisterHotKey(ui::MessageTarget*, int id) override { registered.erase(id); }

    // Presses the combination registered as `id`; false when nothing is registered.
    bool press(int id) {
        const auto it = registered.find(id);
        if (it == registered.end()) return false;
        loop_.post({it->second.window, ui::WM_HOTKEY, static_cast<std::uintptr_t>(id), 0});
        return true;
    }

    struct Registration {
        ui::MessageTarget* window;
        ui::ShiftState modifiers;
        std::uint16_t key;
    };
    std::map<int, Registration> registered;
    bool heldElsewhere = false;  // another program holds the combination

private:
    ui::IMessageLoop& loop_;
};

}  // namespace doubles
