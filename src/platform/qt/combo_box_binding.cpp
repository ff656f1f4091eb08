#include "platform/qt/combo_box_binding.h"

#include "platform/qt/conversions.h"

namespace qtui {

ComboBoxBinding::ComboBoxBinding(const BindingPlace& place, ui::ComboBox& combo)
    : KindBinding(place, combo) {
    view_->setEditable(false);
    connect(view_, &QComboBox::activated, this,
            [this](int index) { user([&] { model_.userSelected(index); }); });
}

void ComboBoxBinding::pushState() {
    QStringList items;
    for (const std::string& item : model_.Items()) items << ToQString(item);
    QStringList shown;
    for (int i = 0; i < view_->count(); ++i) shown << view_->itemText(i);
    if (shown != items) {
        view_->clear();
        view_->addItems(items);
    }
    view_->setCurrentIndex(model_.ItemIndex());
}

}  // namespace qtui
