#include "keymap/logic/KeyMapState.h"

#include "keymap/logic/FunctionCatalogue.h"

#include <algorithm>

namespace orvane::keymap {

namespace {

constexpr std::size_t kLongPathUnits = 14;                    // from this length on a path is shortened
constexpr std::size_t kMacroNumberByte = extrec::kCode + 2;   // b2 of the record's code
constexpr uint8_t kMacroCodeType = kcMacro;                   // record byte 2 of a macro key

PanelRect moved(const PanelRect& r, int dy)
{
    return {r.left, r.top + dy, r.right, r.bottom + dy};
}

}   // namespace

int buttonAt(int x, int y)
{
    const PanelRect& box = kPanelButtons[kBtnDisable].rect;
    const PanelRect wide{box.left - kDisableMargin, box.top - kDisableMargin, box.right + kDisableMargin,
                         box.bottom + kDisableMargin};
    if (wide.contains(x, y))
        return kBtnDisable;
    for (int b = 0; b < kButtonCount; ++b)
        if (kPanelButtons[std::size_t(b)].rect.contains(x, y))
            return b;
    return kNoButton;
}

std::optional<AdvanceHit> advanceItemAt(int x, int y)
{
    for (int row = 0; row < kAdvanceRows; ++row)
        for (std::size_t item = 0; item < kAdvanceItemRects.size(); ++item)
            if (moved(kAdvanceItemRects[item], kAdvanceRowStep * row).contains(x, y))
                return AdvanceHit{row, static_cast<AdvanceItem>(item)};
    return std::nullopt;
}

std::u16string displayPath(std::u16string_view path)
{
    if (path.size() < kLongPathUnits)
        return std::u16string(path);
    // The last separator that is not the final character.
    const std::size_t sep = path.size() > 1 ? path.find_last_of(u'/', path.size() - 2) : std::u16string_view::npos;
    if (sep == std::u16string_view::npos)
        return std::u16string(path);
    return u".." + std::u16string(path.substr(sep));
}

// ---- Opening ----------------------------------------------------------------

void KeyMapState::open(link::KeyExtRecord& record, bool enabled)
{
    record_ = &record;
    pending_ = PendingAssignment{};
    pending_.keyCount = 0;
    launchKind_ = kLaunchNone;
    launchMark_ = kLaunchNone;
    firstFocus_ = false;
    hot_.fill(false);
    hoverButton_ = kNoButton;
    browseHoverRow_ = -1;
    singleText_.clear();
    combineText_.clear();
    macroRow_ = -1;
    macroSelection_ = -1;
    treeSelection_.clear();
    requests_ = {};
    functionName_.clear();
    if (recordCategory(record) == acFunction)
        if (const FunctionEntry* f = findFunctionByCode(recordCode(record)))
            functionName_ = std::u16string(f->name(language_));
    restore(record);
    disabled_ = !enabled;
    keyEnabled_ = enabled ? 1 : 0;
}

void KeyMapState::restore(const link::KeyExtRecord& r)
{
    const uint8_t category = recordCategory(r);
    pending_.category = category;
    pending_.keyCount = recordKeyCount(r);
    switch (category) {
    case acSingle:
    case acCombine: {
        tab_ = kTabSingleCombine;
        const auto keys = recordKeys(r);
        std::copy(keys.begin(), keys.end(), pending_.keys.begin());
        std::u16string text = FormatKeyList(names_, category, keys.data(), pending_.keyCount);
        (category == acSingle ? singleText_ : combineText_) = std::move(text);
        (category == acSingle ? requests_.focusSingle : requests_.focusCombine) = true;
        firstFocus_ = true;
        break;
    }
    case acMacro:
        if (r[extrec::kCode] == kMacroCodeType) {
            tab_ = kTabMacro;
            macroSelection_ = r[kMacroNumberByte];
            requests_.focusList = true;
        }
        break;
    case acFunction: tab_ = kTabBasic; break;
    case acPlaySound:
    case acStartup:
    case acOpenFile:
    case acOpenFolder:
        tab_ = kTabAdvance;
        pending_.path = recordPath(r);
        launchKind_ = uint8_t(category - acPlaySound);
        break;
    case acNothing: tab_ = kTabAdvance; break;   // the Advance tab was entered and nothing chosen
    default: break;                              // own key: the tab of the previous opening
    }
}

PanelRequests KeyMapState::takeRequests()
{
    PanelRequests r = requests_;
    requests_ = {};
    return r;
}

// ---- Hover ------------------------------------------------------------------

bool KeyMapState::hover(int x, int y)
{
    int row = -1;
    if (tab_ == kTabAdvance)
        if (const auto hit = advanceItemAt(x, y); hit && hit->item == AdvanceItem::Browse)
            row = hit->row;
    const int button = buttonAt(x, y);
    const bool changed = button != hoverButton_ || row != browseHoverRow_;
    browseHoverRow_ = row;
    if (button != hoverButton_) {
        hot_.fill(false);
        // The Disable box's flag is its tick: hovering never changes it.
        if (button != kNoButton && button != kBtnDisable)
            hot_[std::size_t(button)] = true;
        hoverButton_ = button;
    }
    return changed;
}

// ---- Clicks -----------------------------------------------------------------

PanelEnd KeyMapState::click(int x, int y, KeyMapServices& services)
{
    const bool advanceShowing = tab_ == kTabAdvance;
    const PanelEnd end = clickButton(buttonAt(x, y), services);
    // The click that enters the Advance tab is not a click on its rows.
    if (advanceShowing && tab_ == kTabAdvance)
        clickAdvance(x, y, services);
    return end;
}

void KeyMapState::clearPendingKeys()
{
    pending_.keys.fill(0);
    pending_.keyCount = 0;
}

void KeyMapState::enterSingleCombine()
{
    launchMark_ = kLaunchNone;
    if (tab_ != kTabSingleCombine) {
        clearPendingKeys();
        singleText_.clear();
        combineText_.clear();
        clearAssignment(*record_);
        pending_.category = acSingle;
        requests_.focusSingle = true;
    }
    tab_ = kTabSingleCombine;
    launchKind_ = kLaunchNone;
}

void KeyMapState::enterAdvance()
{
    launchMark_ = kLaunchNone;
    if (tab_ != kTabAdvance) {
        clearPendingKeys();
        clearAssignment(*record_);
        (*record_)[extrec::kCategory] = acNothing;
        singleText_.clear();
        combineText_.clear();
        pending_.category = acNothing;
        launchKind_ = kLaunchNone;
    }
    tab_ = kTabAdvance;
}

PanelEnd KeyMapState::clickButton(int button, KeyMapServices& services)
{
    switch (button) {
    case kBtnClose: return PanelEnd::Cancel;
    case kBtnTabSingle: enterSingleCombine(); break;
    case kBtnTabMacro:
        tab_ = kTabMacro;
        pending_.category = acCombine;   // Save on this tab sets the macro category
        launchMark_ = launchKind_ = kLaunchNone;
        break;
    case kBtnTabBasic:
        if (tab_ != kTabBasic)
            requests_.selectFirstTreeItem = true;
        tab_ = kTabBasic;
        pending_.category = acMacro;   // Save on this tab sets the function category
        launchMark_ = launchKind_ = kLaunchNone;
        break;
    case kBtnTabAdvance: enterAdvance(); break;
    case kBtnDisable: disabled_ = !disabled_; break;
    case kBtnDefault: pending_.keyCount = kResetToDefault; return PanelEnd::Ok;
    case kBtnCancel: clearPendingKeys(); return PanelEnd::Cancel;
    case kBtnSave: return save(services);
    default: break;   // the strip under the tabs and no button
    }
    return PanelEnd::None;
}

bool KeyMapState::isGroupName(std::u16string_view text) const
{
    for (FunctionGroup g : {FunctionGroup::Media, FunctionGroup::Shortcut, FunctionGroup::Windows})
        if (text == functionGroupName(g, language_))
            return true;
    return false;
}

PanelEnd KeyMapState::save(KeyMapServices& services)
{
    const uint8_t enabledUnlessTicked = disabled_ ? 0 : 1;
    switch (tab_) {
    case kTabSingleCombine: {
        keyEnabled_ = enabledUnlessTicked;
        const auto firstZero = std::find(pending_.keys.begin(), pending_.keys.end(), uint8_t(0));
        pending_.keyCount = uint8_t(firstZero - pending_.keys.begin());
        if (pending_.keyCount == 0)
            pending_.category = acOwnKey;
        return PanelEnd::Ok;
    }
    case kTabMacro:
        pending_.category = acMacro;
        pending_.macroIndex = macroRow_;
        keyEnabled_ = macroRow_ < 0 ? 1 : enabledUnlessTicked;
        if (macroRow_ < 0)
            pending_.category = acOwnKey;
        return PanelEnd::Ok;
    case kTabBasic:
        pending_.category = acFunction;
        // No selection is refused like a group: a function key without a function sends nothing.
        if (treeSelection_.empty() || isGroupName(treeSelection_)) {
            services.showMessage(kTxtPleaseSelectSubItem);
            return PanelEnd::None;
        }
        pending_.functionName = treeSelection_;
        keyEnabled_ = enabledUnlessTicked;
        return PanelEnd::Ok;
    default:
        keyEnabled_ = enabledUnlessTicked;
        // A launch action whose path was emptied by a radio click keeps the record as it is.
        if (isLaunchAction(pending_.category) && pending_.path.empty())
            pending_.category = acNothing;
        return PanelEnd::Ok;
    }
}

// ---- Advance rows -----------------------------------------------------------

void KeyMapState::clickAdvance(int x, int y, KeyMapServices& services)
{
    const auto hit = advanceItemAt(x, y);
    if (!hit) {
        if (launchKind_ == kLaunchNone) {
            launchMark_ = kLaunchNone;
            pending_.category = acOwnKey;
        }
        return;
    }
    switch (hit->item) {
    case AdvanceItem::Radio:
        launchMark_ = uint8_t(4 * hit->row);
        launchKind_ = uint8_t(hit->row);
        pending_.path.clear();
        break;
    case AdvanceItem::Browse: browse(hit->row, services); break;
    default: break;
    }
}

void KeyMapState::browse(int row, KeyMapServices& services)
{
    launchMark_ = uint8_t(4 * row);
    std::u16string path = services.choosePath(row);
    if (path.empty())
        return;
    if (path.size() > extrec::kMaxPathUnits || path.find(u'\0') != std::u16string::npos) {
        services.showMessage(kTxtPathTooLong);   // never cut: a cut path names another file
        return;
    }
    pending_.path = std::move(path);
    launchKind_ = uint8_t(row);
    pending_.category = uint8_t(acPlaySound + row);
}

// ---- Key capture and box focus ------------------------------------------------

void KeyMapState::keyHook(uint8_t vk)
{
    if (pending_.category == acSingle) {
        pending_.keys[0] = vk;
        pending_.keyCount = 1;
        singleText_ = names_.name(vk);
        requests_.focusSingle = true;   // caret to the end
    } else if (pending_.category == acCombine) {
        if (pending_.keyCount >= 3) {
            // A fourth key starts a new combination: the earlier keys go, so Save counts one.
            clearPendingKeys();
            combineText_.clear();
        }
        pending_.keys[pending_.keyCount] = vk;
        ++pending_.keyCount;
        combineText_ = FormatKeyList(names_, acCombine, pending_.keys.data(), pending_.keyCount);
    }
}

void KeyMapState::singleBoxFocused()
{
    if (firstFocus_ && pending_.category == acSingle) {
        firstFocus_ = false;
        return;
    }
    pending_.category = acSingle;
    clearPendingKeys();
    combineText_.clear();
}

void KeyMapState::combineBoxFocused()
{
    if (firstFocus_ && pending_.category == acCombine) {
        firstFocus_ = false;
        return;
    }
    pending_.category = acCombine;
    clearPendingKeys();
    singleText_.clear();
}

void KeyMapState::startCapture(bool combine)
{
    firstFocus_ = false;
    if (combine)
        combineBoxFocused();
    else
        singleBoxFocused();
}

}   // namespace orvane::keymap
