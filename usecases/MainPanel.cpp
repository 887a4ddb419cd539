#include "usecases/MainPanel.h"

#include "model/KeyTables.h"
#include "usecases/EditHistory.h"

namespace orvane::usecases {

namespace img = link::image;

namespace {

// The radios of a custom effect, "Keymap" and "DIY".
constexpr Rect kKeymapRadio{28, 200, 42, 214};
constexpr Rect kDiyRadio{130, 200, 144, 214};
constexpr Rect kEffectListArea{28, kEffectListTop, 248, kEffectListTop + kListRowHeight* int(kEffectCount) - 1};
constexpr Rect kLogoArea{19, 32, 261, 102};
constexpr int kColourBoxes = 8;

constexpr uint8_t kDirLeft = 1, kDirRight = 2, kDirTop = 3, kDirBottom = 4;
constexpr uint8_t kColourFirst = 1, kColourWave = 8;

Rect headerAt(int y)
{
    return {19, y, 260, y + 17};
}

}   // namespace

int effectRow(uint8_t code)
{
    for (std::size_t i = 0; i < kEffectList.size(); ++i)
        if (kEffectList[i].code == code)
            return int(i);
    return -1;
}

const EffectEntry* findEffect(uint8_t code)
{
    const int row = effectRow(code);
    return row < 0 ? nullptr : &kEffectList[std::size_t(row)];
}

bool isCustomEffect(uint8_t code)
{
    return code >= kFirstCustomEffect;
}

std::array<DirectionButton, 4> directionButtons(uint8_t effect)
{
    using D = DirectionButton;
    switch (effect) {
    case kEffectWave: return {D::T, D::B, D::R, D::L};
    case kEffectRadar:
    case kEffectRunMode: return {D::R, D::L, D::None, D::None};
    case kEffectShadeMold: return {D::T, D::B, D::None, D::None};
    default: return {D::None, D::None, D::None, D::None};
    }
}

bool directionButtonLit(uint8_t effect, uint8_t direction, DirectionButton b)
{
    using D = DirectionButton;
    switch (effect) {
    case kEffectWave:
        return (b == D::T && direction == kDirTop) || (b == D::B && direction == kDirBottom) ||
            (b == D::R && direction == kDirRight) || (b == D::L && direction == kDirLeft);
    case kEffectRadar:
    case kEffectRunMode: return b == (direction == kDirRight ? D::R : D::L);
    case kEffectShadeMold: return b == (direction == kDirTop ? D::T : D::B);
    default: return false;
    }
}

std::size_t keyLightOffset(std::size_t key)
{
    const std::size_t offset = keymap::lightMapOffset(keymap::KeyLayoutTable[key]);
    return offset == kKey109LightOffset ? kKey109LightOffsetFixed : offset;
}

MainPanel::MainPanel(link::ConfigImage& image, const link::KeyExtTable& records) : image_(image), records_(records)
{
    LayoutSections();
}

void MainPanel::LayoutSections()
{
    const int c = sectionOffset();
    buttons_[cmd::kLightHeader].rect = headerAt(110);
    const int bar = c + 110;
    buttons_[cmd::kMacro].rect = {19, bar + 10, 259, bar + 28};
    const int g = c + 165;
    buttons_[cmd::kGameHeader].rect = headerAt(g);
    buttons_[cmd::kGameOn].rect = {34, g + 33, 44, g + 42};
    buttons_[cmd::kGameOff].rect = {88, g + 33, 115, g + 42};
    winLockOn_ = {164, g + 33, 174, g + 42};
    winLockOff_ = {218, g + 33, 245, g + 42};
    const int e = c + 220;
    buttons_[cmd::kResponseHeader].rect = headerAt(e);
    buttons_[cmd::kResponseBox].rect = {28, e + 28, 248, e + 44};
    buttons_[cmd::kReportHeader].rect = headerAt(reportY());
}

bool MainPanel::directionShown(int command) const
{
    return directionButtons(image_[img::kEffect])[std::size_t(command - cmd::kDirT)] != DirectionButton::None;
}

int MainPanel::hitLightSection(int x, int y) const
{
    if (lightCollapsed_)
        return buttons_[cmd::kMacro].rect.contains(x, y) ? cmd::kMacro : cmd::kNone;
    if (isCustomEffect(image_[img::kEffect])) {
        if (kKeymapRadio.contains(x, y))
            return cmd::kKeymapRadio;
        if (kDiyRadio.contains(x, y))
            return cmd::kDiyRadio;
    }
    for (int row = cmd::kEffectBox; row <= cmd::kDirR; ++row) {
        // Direction buttons answer only where the panel shows one: a hidden button must not
        // change a value the user cannot see.
        if (buttons_[std::size_t(row)].rect.contains(x, y) && (row == cmd::kEffectBox || directionShown(row)))
            return row;
    }
    if (buttons_[cmd::kMacro].rect.contains(x, y))
        return cmd::kMacro;
    for (int k = 0; k < kColourBoxes; ++k)
        if (Rect{28 + 25 * k, 223, 48 + 25 * k, 243}.contains(x, y))
            return cmd::kColourBox0 + k;
    return cmd::kNone;
}

int MainPanel::hitLowerSections(int x, int y) const
{
    if (!gameCollapsed_) {
        if (buttons_[cmd::kGameOn].rect.contains(x, y))
            return cmd::kGameOn;
        if (buttons_[cmd::kGameOff].rect.contains(x, y))
            return cmd::kGameOff;
    }
    if (buttons_[cmd::kGameHeader].rect.contains(x, y))
        return cmd::kGameHeader;
    if (!gameCollapsed_) {
        if (winLockOn_.contains(x, y))
            return cmd::kWinLockOn;
        if (winLockOff_.contains(x, y))
            return cmd::kWinLockOff;
    }
    if (!responseCollapsed_ && buttons_[cmd::kResponseBox].rect.contains(x, y))
        return cmd::kResponseBox;
    if (buttons_[cmd::kResponseHeader].rect.contains(x, y))
        return cmd::kResponseHeader;
    if (buttons_[cmd::kReportHeader].rect.contains(x, y))
        return cmd::kReportHeader;
    return cmd::kNone;
}

int MainPanel::HitTestButton(int x, int y)
{
    LayoutSections();
    for (int row = cmd::kHelp; row <= cmd::kClose; ++row)
        if (buttons_[std::size_t(row)].rect.contains(x, y))
            return row;
    if (buttons_[cmd::kLightHeader].rect.contains(x, y))
        return cmd::kLightHeader;
    if (const int hit = hitLightSection(x, y); hit != cmd::kNone)
        return hit;
    if (const int hit = hitLowerSections(x, y); hit != cmd::kNone)
        return hit;
    for (int row = cmd::kProfile; row <= cmd::kSave; ++row)
        if (buttons_[std::size_t(row)].rect.contains(x, y))
            return row;
    return kLogoArea.contains(x, y) ? cmd::kLogoArea : cmd::kNone;
}

int MainPanel::HitTestKey(int x, int y) const
{
    const int px = x - kKeyboardLeft, py = y - kKeyboardTop;
    for (std::size_t k = 0; k < keymap::kKeyCount; ++k) {
        if (!diyMode_ && (k == keymap::kKeyLeftWindows || k == keymap::kKeyFn))
            continue;
        const keymap::KeyRect& r = keymap::KeyLayoutTable[k].rect;
        if (px >= r.left && px <= r.right && py >= r.top && py <= r.bottom)
            return int(k);
    }
    return -1;
}

bool MainPanel::inEffectList(int x, int y) const
{
    return kEffectListArea.contains(x, y);
}

bool MainPanel::inResponseList(int x, int y) const
{
    const int top = responseListTop();
    return Rect{27, top, 247, top + kListRowHeight * int(kResponseRows) - 1}.contains(x, y);
}

int MainPanel::listRowAt(int x, int y) const
{
    if (effectListOpen_ && inEffectList(x, y))
        return (y - kEffectListTop) / kListRowHeight;
    if (responseListOpen_ && inResponseList(x, y))
        return (y - responseListTop()) / kListRowHeight;
    return -1;
}

void MainPanel::chooseEffect(std::size_t row)
{
    effectHighlight_ = uint8_t(row);
    const uint8_t code = kEffectList[row].code;
    image_[img::kEffect] = code;
    diyMode_ = isCustomEffect(code);
    if (code == kEffectStatic && image_[img::kColour] == kColourWave)
        image_[img::kColour] = kColourFirst;
    else if (code == kEffectWave || code == kColourWave)
        image_[img::kColour] = kColourWave;
}

void MainPanel::chooseResponse(std::size_t row)
{
    responseHighlight_ = uint8_t(row);
    image_[img::kResponseTime] = uint8_t(row + 1);
}

void MainPanel::setDirection(int command)
{
    const uint8_t effect = image_[img::kEffect];
    const bool radarLike = effect == kEffectRadar || effect == kEffectRunMode;
    const bool shade = effect == kEffectShadeMold;
    uint8_t& d = image_[img::kDirection];
    switch (command) {
    case cmd::kDirT: d = radarLike ? kDirRight : kDirTop; break;
    case cmd::kDirB: d = radarLike ? kDirLeft : kDirBottom; break;
    case cmd::kDirL: d = shade ? kDirTop : kDirRight; break;
    case cmd::kDirR: d = shade ? kDirBottom : kDirLeft; break;
    default: break;
    }
}

namespace {

// The undo step of a command that edits the image.
StepName commandStep(int command)
{
    switch (command) {
    case cmd::kGameOn:
    case cmd::kGameOff: return step::kGameMode;
    case cmd::kWinLockOn:
    case cmd::kWinLockOff: return step::kWinLock;
    default: return step::kDirection;
    }
}

}   // namespace

void MainPanel::runStateCommand(int command)
{
    EditHistory::Recording recording(history_, commandStep(command));
    switch (command) {
    case cmd::kHelp: helpMenuOpen_ = !helpMenuOpen_; break;
    case cmd::kEffectBox:
        if (!lightCollapsed_)
            effectListOpen_ = true;
        break;
    case cmd::kDirT:
    case cmd::kDirB:
    case cmd::kDirL:
    case cmd::kDirR: setDirection(command); break;
    case cmd::kGameOn: image_[img::kGameMode] = 1; break;
    case cmd::kGameOff: image_[img::kGameMode] = 0; break;
    case cmd::kResponseBox: responseListOpen_ = true; break;
    case cmd::kLightHeader: lightCollapsed_ = !lightCollapsed_; break;
    case cmd::kGameHeader: gameCollapsed_ = !gameCollapsed_; break;
    case cmd::kResponseHeader: responseCollapsed_ = !responseCollapsed_; break;
    case cmd::kReportHeader: reportCollapsed_ = !reportCollapsed_; break;
    case cmd::kWinLockOn: image_[img::kWinLock] = 1; break;
    case cmd::kWinLockOff: image_[img::kWinLock] = 0; break;
    case cmd::kKeymapRadio: diyMode_ = false; break;
    case cmd::kDiyRadio: diyMode_ = true; break;
    default: break;
    }
    LayoutSections();
}

ClickOutcome MainPanel::OnClick(int x, int y)
{
    ClickOutcome out;
    if (effectListOpen_) {
        if (inEffectList(x, y)) {
            EditHistory::Recording recording(history_, step::kEffect);
            chooseEffect(std::size_t((y - kEffectListTop) / kListRowHeight));
        }
        effectListOpen_ = false;
    } else if (responseListOpen_) {
        if (inResponseList(x, y)) {
            EditHistory::Recording recording(history_, step::kResponseTime);
            chooseResponse(std::size_t((y - responseListTop()) / kListRowHeight));
        }
        responseListOpen_ = false;
    } else if (helpMenuOpen_) {
        if (kHelpMenuArea.contains(x, y)) {
            const int row = (y - kHelpMenuArea.top) / kHelpRowHeight;
            if (row < kHelpRows)
                out.helpRow = row;
        }
        helpMenuOpen_ = false;
    } else {
        const int command = HitTestButton(x, y);
        switch (command) {
        case cmd::kMinimise:
        case cmd::kClose:
        case cmd::kMacro:
        case cmd::kProfile:
        case cmd::kReturn:
        case cmd::kCancel:
        case cmd::kSave: out.command = command; break;
        default: runStateCommand(command); break;
        }
        if (const int key = HitTestKey(x, y); key >= 0) {
            if (diyMode_)
                toggleKeyLight(std::size_t(key));
            else
                out.keymapKey = key;
        }
    }
    LayoutSections();
    return out;
}

bool MainPanel::keyLit(std::size_t key) const
{
    const uint8_t effect = image_[img::kEffect];
    if (effect < kFirstCustomEffect || effect > kLastCustomEffect || key >= keymap::kKeyCount)
        return false;
    return image_[img::lightMap(effect - kFirstCustomEffect) + keyLightOffset(key) + 1] != 0;
}

void MainPanel::toggleKeyLight(std::size_t key)
{
    const uint8_t effect = image_[img::kEffect];
    // The DIY flag can outlive a custom effect (a profile may load another one): no map then.
    if (effect < kFirstCustomEffect || effect > kLastCustomEffect || key >= keymap::kKeyCount)
        return;
    const std::size_t at = img::lightMap(effect - kFirstCustomEffect) + keyLightOffset(key);
    EditHistory::Recording recording(history_, step::kKeyLight);
    image_[at] = 0;
    image_[at + 1] = image_[at + 1] == 0xFF ? 0x00 : 0xFF;
    image_[at + 2] = 0;
    image_[at + 3] = 0;
}

void MainPanel::setHover(int button)
{
    hover_.fill(0);
    if (button >= 0 && button < int(hover_.size()))
        hover_[std::size_t(button)] = 1;
}

int MainPanel::hoverButton() const
{
    for (std::size_t i = 0; i < hover_.size(); ++i)
        if (hover_[i])
            return int(i);
    return -1;
}

bool MainPanel::OnMouseMove(int x, int y)
{
    if (effectListOpen_ || responseListOpen_) {
        const int row = listRowAt(x, y);
        if (row < 0)
            return false;
        uint8_t& highlight = effectListOpen_ ? effectHighlight_ : responseHighlight_;
        const bool changed = highlight != uint8_t(row);
        highlight = uint8_t(row);
        return changed;
    }
    const int before = hoverButton(), beforeKey = hoverKey_;
    setHover(HitTestButton(x, y));
    hoverKey_ = HitTestKey(x, y);
    return hoverButton() != before || hoverKey_ != beforeKey;
}

bool MainPanel::OnButtonDown(int x, int y)
{
    buttonDown_ = true;
    if (effectListOpen_ || responseListOpen_ || helpMenuOpen_)
        return false;
    return HitTestButton(x, y) == cmd::kNone && HitTestKey(x, y) < 0;
}

bool MainPanel::ClearHover()
{
    const bool lit = hoverButton() >= 0 || hoverKey_ >= 0;
    hover_.fill(0);
    hoverKey_ = -1;
    return lit;
}

void MainPanel::RecomputeModifiedMarks()
{
    keymap::RecomputeModifiedMarks(image_, records_, marks_);
}

void MainPanel::resetSections()
{
    diyMode_ = false;
    lightCollapsed_ = gameCollapsed_ = responseCollapsed_ = reportCollapsed_ = true;
    effectListOpen_ = responseListOpen_ = helpMenuOpen_ = false;
    LayoutSections();
}

void MainPanel::clampColour()
{
    if (image_[img::kEffect] >= kFirstCustomEffect)
        return;
    uint8_t& c = image_[img::kColour];
    if (c > kColourWave)
        c = kColourWave;
    else if (c == 0)
        c = kColourFirst;
}

bool MainPanel::speedSliderShown() const
{
    const uint8_t e = image_[img::kEffect];
    return !lightCollapsed_ && !effectListOpen_ && !responseListOpen_ && e != kEffectStatic && e < 50;
}

}   // namespace orvane::usecases
