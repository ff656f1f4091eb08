#include "platform/qt/group_box_binding.h"

#include "platform/qt/conversions.h"

namespace qtui {

void GroupBoxBinding::pushState() {
    view_->setTitle(ToQString(model_.Caption));
}

}  // namespace qtui
