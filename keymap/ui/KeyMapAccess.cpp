// The key map panel as screen readers and the keyboard see it: what CKeyMap paints, described
// from its state in reading order (close, the four tabs, the tab's controls, Disable, Default,
// Cancel, Save). Each press is the click on the control's centre, so it does what the mouse does.

#include "keymap/ui/CKeyMap.h"
#include "keymap/ui/KeyMapTexts.h"
#include "keymap/ui/VividTree.h"
#include "ui/Texts.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>

namespace orvane::keymap {

using namespace keymap_texts;

namespace {

QRect toRect(const PanelRect& r, int dy = 0)
{
    return QRect(QPoint(r.left, r.top + dy), QPoint(r.right, r.bottom + dy));
}

// An Advance row's caption as it is painted: from the radio up to the path field.
QRect captionRect(int dy)
{
    const PanelRect& label = kAdvanceItemRects[std::size_t(AdvanceItem::Label)];
    const PanelRect& field = kAdvanceItemRects[std::size_t(AdvanceItem::PathField)];
    return QRect(QPoint(26, label.top + dy), QPoint(field.left - 3, label.bottom + dy));
}

}   // namespace

void CKeyMap::nameControls()
{
    const auto t = [this](const PanelText& p) { return ui::text(env_.language, p.english, p.chinese); };
    m_single->setAccessibleName(t(kSingleLabel.text));
    m_combine->setAccessibleName(t(kCombineLabel.text));
    m_single->setAccessibleDescription(t(kTxtCaptureHint));
    m_combine->setAccessibleDescription(t(kTxtCaptureHint));
    m_list->setAccessibleName(t(kTabLabels[kTabMacro].text));
    m_tree->setAccessibleName(t(kTabLabels[kTabBasic].text));
}

std::vector<ui::PaintedControl> CKeyMap::controls()
{
    const auto t = [this](const PanelText& p) { return ui::text(env_.language, p.english, p.chinese); };
    std::vector<ui::PaintedControl> out;
    const auto pressAt = [this](QRect r) { return [this, r] { clickAt(r.center(), true); }; };
    const auto button = [&](const QString& id, const QRect& face, const QString& name,
                            QAccessible::Role role = QAccessible::PushButton) -> ui::PaintedControl& {
        out.push_back({.id = id, .role = role, .name = name, .rect = face, .press = pressAt(face)});
        return out.back();
    };

    button(QStringLiteral("close"), buttonFace(kBtnClose), t(kTxtClose));
    for (int tab = kTabSingleCombine; tab <= kTabAdvance; ++tab) {
        ui::PaintedControl& c = button(QStringLiteral("tab:%1").arg(tab), buttonFace(kBtnTabSingle + tab),
                                       t(kTabLabels[std::size_t(tab)].text), QAccessible::PageTab);
        c.checkable = true;
        c.checked = state_.tab() == tab;
        c.group = QStringLiteral("tabs");
        c.column = tab;
    }

    switch (state_.tab()) {
    case kTabSingleCombine:
        out.push_back({.id = QStringLiteral("single"), .role = QAccessible::EditableText, .widget = m_single});
        out.push_back({.id = QStringLiteral("combine"), .role = QAccessible::EditableText, .widget = m_combine});
        break;
    case kTabMacro:
        if (m_list->count() > 0)
            out.push_back({.id = QStringLiteral("macros"), .role = QAccessible::List, .widget = m_list});
        else
            out.push_back({.id = QStringLiteral("noMacros"),
                           .role = QAccessible::StaticText,
                           .name = t(kTxtNoMacros),
                           .rect = m_list->geometry(),
                           .tabStop = false});
        break;
    case kTabBasic:
        out.push_back({.id = QStringLiteral("functions"), .role = QAccessible::Tree, .widget = m_tree});
        break;
    default: {
        const int markRow = state_.launchMark() == kLaunchNone ? -1 : state_.launchMark() / 4;
        const int kindRow = state_.launchKind() == kLaunchNone ? -1 : state_.launchKind();
        const QString path = QString::fromStdU16String(state_.pending().path);
        for (int k = 0; k < kAdvanceRows; ++k) {
            const int dy = kAdvanceRowStep * k;
            ui::PaintedControl& c =
                button(QStringLiteral("launch:%1").arg(k),
                       toRect(kAdvanceItemRects[std::size_t(AdvanceItem::Radio)], dy).united(captionRect(dy)),
                       t(kAdvanceLabels[std::size_t(k)]), QAccessible::RadioButton);
            // The press is on the radio itself: the label takes no clicks.
            c.press = pressAt(toRect(kAdvanceItemRects[std::size_t(AdvanceItem::Radio)], dy));
            c.checkable = true;
            c.checked = k == markRow || k == kindRow;
            c.group = QStringLiteral("launch");
            c.row = k;
            if (k == kindRow)
                c.description = path;
        }
        for (int k = 0; k < kAdvanceRows; ++k) {
            ui::PaintedControl& c =
                button(QStringLiteral("browse:%1").arg(k),
                       toRect(kAdvanceItemRects[std::size_t(AdvanceItem::Browse)], kAdvanceRowStep * k),
                       t(kAdvanceLabels[std::size_t(k)]) + QStringLiteral(": ") + t(kTxtBrowse));
            if (k == kindRow)
                c.description = path;
        }
        break;
    }
    }

    // The Disable box with its caption, which the mark goes round.
    const QRect box = buttonFace(kBtnDisable);
    const QString disable = t(kDisableLabel);
    const int captionWidth = QFontMetrics(panelFont()).horizontalAdvance(disable) + 4;
    ui::PaintedControl& d =
        button(QStringLiteral("disable"),
               box.adjusted(0, 0, std::min(captionWidth, buttonFace(kBtnDefault).left() - 4 - box.right()), 0), disable,
               QAccessible::CheckBox);
    d.press = pressAt(box);
    d.checkable = true;
    d.checked = state_.disabled();

    for (int b = kBtnDefault; b <= kBtnSave; ++b)
        button(b == kBtnDefault      ? QStringLiteral("default")
                   : b == kBtnCancel ? QStringLiteral("cancel")
                                     : QStringLiteral("save"),
               buttonFace(b), t(kBottomLabels[std::size_t(b - kBtnDefault)]));
    return out;
}

}   // namespace orvane::keymap
