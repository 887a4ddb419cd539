// The macro manager as screen readers and the keyboard see it, in reading order, column by column:
// the macro list with New and Delete under it, the event list, then the options (the record
// button, the two tick boxes, the loop box) and OK and Cancel. A press is the button's click, so
// it runs the same command.

#include "macro/ui/CMacroRecordDlg.h"
#include "ui/CTransparentListBox.h"

#include <QLineEdit>

namespace orvane::macro {

void CMacroRecordDlg::nameControls()
{
    m_macroList->setAccessibleName(tr2("Macros", "宏"));
    m_eventList->setAccessibleName(tr2("Events", "事件"));
    m_loopBox->setAccessibleName(tr2("Loop count", "循环计数"));
    // The event list's icons in words, with the panel's own terms (those of its context menu).
    if (m_chinese)
        m_eventList->setIconWords(
            {QString::fromUtf8("%1 压下"), QString::fromUtf8("%1 释放"), QString::fromUtf8("延迟 %1")});
}

std::vector<ui::PaintedControl> CMacroRecordDlg::controls()
{
    const auto button = [this](int b, const char* id, QAccessible::Role role = QAccessible::PushButton) {
        return ui::PaintedControl{.id = QString::fromLatin1(id),
                                  .role = role,
                                  .name = buttonName(b),
                                  .rect = controlRect(b),
                                  .press = [this, b] { clickButton(b); }};
    };
    const auto tickBox = [&](int b, const char* id, bool ticked) {
        ui::PaintedControl c = button(b, id, QAccessible::CheckBox);
        c.checkable = true;
        c.checked = ticked;
        return c;
    };
    std::vector<ui::PaintedControl> out;
    out.push_back({.id = QStringLiteral("macros"), .role = QAccessible::List, .widget = m_macroList});
    out.push_back(button(kBtnNew, "new"));
    out.back().disabled = m_manager.macroNames().size() >= kMaxMacrosInUse;   // a click does nothing then
    out.push_back(button(kBtnDelete, "delete"));
    out.push_back({.id = QStringLiteral("events"), .role = QAccessible::List, .widget = m_eventList});
    if (m_manager.sequenceFull())
        out.push_back({.id = QStringLiteral("full"),
                       .role = QAccessible::StaticText,
                       .name = tr2("Macro full", "宏已满"),
                       .rect = fullNoticeRect(),
                       .tabStop = false});
    out.push_back(button(kBtnRecord, "record"));
    out.push_back(tickBox(kBtnRecordDelay, "recordDelay", m_manager.recordDelays()));
    out.push_back(tickBox(kBtnUseLoops, "useLoops", m_manager.useLoops()));
    out.push_back({.id = QStringLiteral("loops"),
                   .role = QAccessible::EditableText,
                   .disabled = !m_manager.useLoops(),
                   .widget = m_loopBox});
    out.push_back(button(kBtnOk, "ok"));
    out.push_back(button(kBtnCancel, "cancel"));
    return out;
}

}   // namespace orvane::macro
