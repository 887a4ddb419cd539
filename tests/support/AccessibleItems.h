#pragma once
// A window's accessible children as role and name, for comparing trees in tests.

#include <QAccessible>
#include <QString>

#include <ostream>
#include <vector>

namespace orvane::test {

struct AccessibleItem {
    QAccessible::Role role;
    QString name;
    bool operator==(const AccessibleItem&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const AccessibleItem& i)
{
    return os << int(i.role) << " " << i.name.toStdString();
}

// The children of `window`; without the invisible ones when `visibleOnly`.
inline std::vector<AccessibleItem> accessibleChildren(QAccessibleInterface* window, bool visibleOnly = false)
{
    std::vector<AccessibleItem> out;
    for (int i = 0; i < window->childCount(); ++i)
        if (!visibleOnly || !window->child(i)->state().invisible)
            out.push_back({window->child(i)->role(), window->child(i)->text(QAccessible::Name)});
    return out;
}

}   // namespace orvane::test
