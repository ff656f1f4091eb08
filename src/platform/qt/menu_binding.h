#pragma once

#include <QAction>
#include <QFont>
#include <QObject>
#include <QWidget>
#include <vector>

#include "ui/menu.h"

namespace qtui {

// A menu bar (the window's Menu) or a popup menu (a control's PopupMenu) -> QMenuBar or QMenu:
// one QAction per item, a QMenu per item with items of its own. Captions keep their &
// accelerators; a shortcut is shown as text after a tab, while the key itself goes to the
// form first (Form::userKeyDown), so no QAction gets a real shortcut. Check marks, enabled
// and visible follow the model; choosing an entry is the item's Click.
class MenuBinding final : public QObject {
public:
    // `container` is the QMenuBar or QMenu the root's items go into.
    MenuBinding(ui::MenuItem& root, QWidget* container, const QFont& font);
    ~MenuBinding() override;
    MenuBinding(const MenuBinding&) = delete;
    MenuBinding& operator=(const MenuBinding&) = delete;

    // The action that shows `item` (null for items not in this menu).
    QAction* actionOf(const ui::MenuItem& item) const;

private:
    struct Entry {
        ui::MenuItem* item;
        QAction* action;
    };
    void addItems(ui::MenuItem& parent, QWidget* container, const QFont& font);
    void push(const Entry& entry);

    std::vector<Entry> entries_;
};

}  // namespace qtui
