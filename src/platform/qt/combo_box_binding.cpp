#include "platform/qt/combo_box_binding.h"

#include "platform/qt/conversions.h"

namespace qtui {

ComboBoxBinding::ComboBoxBinding(ui::ComboBox& combo, QWidget* parent, const ui::Form& form,
                                 const ui::Application& app)
    : ControlBinding(combo, new QComboBox(parent), form, app),
      combo_(combo),
      widget_(static_cast<QComboBox*>(widget())) {
    widget_->setEditable(false);
    connect(widget_, &QComboBox::activated, this,
            [this](int index) { user([&] { combo_.userSelected(index); }); });
}

void ComboBoxBinding::pushState() {
    QStringList items;
    for (const std::string& item : combo_.Items()) items << ToQString(item);
    QStringList shown;
    for (int i = 0; i < widget_->count(); ++i) shown << widget_->itemText(i);
    if (shown != items) {
        widget_->clear();
        widget_->addItems(items);
    }
    widget_->setCurrentIndex(combo_.ItemIndex());
}

}  // namespace qtui
