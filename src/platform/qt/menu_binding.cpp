#include "platform/qt/menu_binding.h"

#include <QMenu>
#include <QSignalBlocker>

#include "platform/qt/conversions.h"

namespace qtui {

MenuBinding::MenuBinding(ui::MenuItem& root, QWidget* container, const QFont& font) {
    container->setFont(font);
    addItems(root, container, font);
}

MenuBinding::~MenuBinding() {
    for (const Entry& e : entries_) e.item->viewChanged = nullptr;
}

QAction* MenuBinding::actionOf(const ui::MenuItem& item) const {
    for (const Entry& e : entries_)
        if (e.item == &item) return e.action;
    return nullptr;
}

void MenuBinding::addItems(ui::MenuItem& parent, QWidget* container, const QFont& font) {
    for (ui::MenuItem* item : parent.Items()) {
        QAction* action = nullptr;
        if (!item->Items().empty()) {
            // A popup does not take its font from the window it opens over.
            auto* menu = new QMenu(container);
            menu->setFont(font);
            action = menu->menuAction();
            addItems(*item, menu, font);
        } else {
            action = new QAction(container);
            action->setSeparator(item->IsSeparator());
            connect(action, &QAction::triggered, this, [this, item, action] {
                item->Click();
                push(Entry{item, action});
            });
        }
        container->addAction(action);
        const Entry entry{item, action};
        entries_.push_back(entry);
        item->viewChanged = [this, entry] { push(entry); };
        push(entry);
    }
}

void MenuBinding::push(const Entry& entry) {
    const ui::MenuItem& item = *entry.item;
    QAction* action = entry.action;
    const QSignalBlocker blocker(action);
    if (!item.IsSeparator()) {
        const QString text = ToQString(ui::MenuText(item));
        action->setText(text);
        if (QMenu* menu = action->menu()) menu->setTitle(text);
    }
    action->setStatusTip(ToQString(item.Hint));
    // A check mark only where the model sets one, as an unchecked entry shows none.
    action->setCheckable(item.Checked());
    action->setChecked(item.Checked());
    action->setEnabled(item.Enabled());
    action->setVisible(item.Visible());
}

}  // namespace qtui
