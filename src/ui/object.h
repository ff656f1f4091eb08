#pragma once

#include <functional>

namespace ui {

// The common base of everything that can be the Sender of an event: controls, menu items,
// forms and the audio callback window.
class Object {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;
};

using NotifyEvent = std::function<void(Object* Sender)>;

}  // namespace ui
