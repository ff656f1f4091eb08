#pragma once

#include <cstdint>

#include "ui/hot_key.h"

namespace portable {

// The hot key of a program that nobody presses keys at: the registration is taken, as on a
// desktop where the combination is free, and no press ever comes.
class IdleHotKey final : public ui::IHotKey {
public:
    bool RegisterHotKey(ui::MessageTarget*, int, ui::ShiftState, std::uint16_t) override {
        return true;
    }
    void UnregisterHotKey(ui::MessageTarget*, int) override {}
};

}  // namespace portable
