// The profile panel as screen readers and the keyboard see it, in reading order: the close
// button, the profile list (the real list box, each line a profile) and the New and Delete
// buttons. A press runs the command its click runs.

#include "profile/ui/CConfigureDlg.h"
#include "ui/CTransparentListBox.h"

namespace orvane::profile::ui {

namespace {

QRect hitRect(int command)
{
    for (const HitRow& h : kHits)
        if (h.command == command)
            return QRect(QPoint(h.left, h.top), QPoint(h.right, h.bottom));
    return {};
}

}   // namespace

std::vector<orvane::ui::PaintedControl> CConfigureDlg::controls()
{
    const auto button = [this](const char* id, int command, const QString& name) {
        return orvane::ui::PaintedControl{.id = QString::fromLatin1(id),
                                          .role = QAccessible::PushButton,
                                          .name = name,
                                          .rect = hitRect(command),
                                          .press = [this, command] { runCommand(command); }};
    };
    return {
        button("close", kCmdClose, tr2("Close", "\xE5\x85\xB3\xE9\x97\xAD")),   // 关闭
        {.id = QStringLiteral("profiles"), .role = QAccessible::List, .widget = m_list},
        button("new", kCmdNew, tr2(kCaptions[1].english, kCaptions[1].chinese)),
        button("delete", kCmdDelete, tr2(kCaptions[2].english, kCaptions[2].chinese)),
    };
}

}   // namespace orvane::profile::ui
