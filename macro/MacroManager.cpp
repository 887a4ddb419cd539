#include "macro/MacroManager.h"

#include <algorithm>
#include <chrono>
#include <string>

namespace orvane::macro {

namespace {

constexpr uint8_t kMouseCodes[] = {kMouseLeft, kMouseRight, kMouseMiddle};

bool containsMs(const std::u16string& line)
{
    return line.find(u" ms") != std::u16string::npos;
}

// The records in use are contiguous from record 0 (the list line is the record index); a file with
// free records between named ones is closed up, in record order.
void compactRecords(MacroStore::Records& records)
{
    std::stable_partition(records.begin(), records.end(), [](const MacroRecord& r) { return !isFree(r); });
}

uint16_t parseLoopText(const std::u16string& text)
{
    uint32_t v = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            break;
        v = std::min<uint32_t>(v * 10 + (c - u'0'), 100000);
    }
    return static_cast<uint16_t>(std::min<uint32_t>(v, kMaxLoopCount));
}

std::u16string toU16(int v)
{
    const std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
}

}   // namespace

uint64_t SteadyTickClock::frequency() const
{
    return 1'000'000'000ull;
}

uint64_t SteadyTickClock::ticks() const
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count());
}

std::u16string defaultMacroName(int n)
{
    return (n < 10 ? u"Macro_00" : u"Macro_0") + toU16(n);
}

MacroManager::MacroManager(MacroStore& store, const keymap::KeyNameTable& names, KeyHook& hook, MonotonicClock& clock)
    : m_store(store), m_keyNames(names), m_hook(hook), m_clock(clock)
{}

// ---- Opening and closing ----------------------------------------------------------------------

void MacroManager::open()
{
    m_frequency = m_clock.frequency();
    m_lastKeyLine.clear();
    m_store.beginEdit();
    compactRecords(m_store.working());
    m_bHookInstalled = g_bRecordDelays = g_bUseLoops = g_bRecording = g_bInsertMode = false;
    m_names.clear();
    for (const MacroRecord& r : m_store.working())
        if (!isFree(r))
            m_names.push_back(recordName(r));
    m_selectedMacro = -1;
    m_lines.clear();
    m_selectedLine = -1;
    m_events = {};
    m_loopText = u"1";
    if (!m_names.empty())
        select(0);
}

void MacroManager::ok()
{
    removeHookIfInstalled();
    g_bRecording = g_bInsertMode = false;
    if (g_bUseLoops && selectedRecord())
        setLoopCount(*selectedRecord(), loopValue());
    onTimer();
    m_store.commit();
}

void MacroManager::cancel()
{
    closed();
    m_store.dropEdit();
}

void MacroManager::closed()
{
    removeHookIfInstalled();
    g_bRecording = g_bInsertMode = false;
}

void MacroManager::removeHookIfInstalled()
{
    if (m_bHookInstalled)
        m_hook.remove();
    m_bHookInstalled = false;
}

MacroRecord* MacroManager::selectedRecord()
{
    if (m_selectedMacro < 0 || m_selectedMacro >= int(m_names.size()))
        return nullptr;
    return &m_store.working()[std::size_t(m_selectedMacro)];
}

bool MacroManager::sequenceFull() const
{
    const std::size_t end = appendPosition(m_events);
    if (g_bInsertMode)
        return end + kShortSize > kEventBytes;
    return g_bRecording && m_bHookInstalled && end >= kPressLimit;
}

// ---- Macro list -------------------------------------------------------------------------------

bool MacroManager::selectMacro(int n)
{
    if (g_bRecording)
        return false;
    select(n);
    return true;
}

void MacroManager::select(int n)
{
    if (n < 0 || n >= int(m_names.size())) {
        m_selectedMacro = -1;
        m_lines.clear();
        m_selectedLine = -1;
        m_events = {};
        return;
    }
    m_selectedMacro = n;
    const MacroRecord& r = m_store.working()[std::size_t(n)];
    g_bRecordDelays = recordDelay(r);
    const uint16_t stored = storedLoopCount(r);
    g_bUseLoops = stored != 0 && stored != 1;
    m_loopText = toU16(stored == 0 ? 1 : stored);
    loadSelected();
}

void MacroManager::loadSelected()
{
    m_events = loadEvents(*selectedRecord());
    reloadLines(-1);
}

void MacroManager::reloadLines(int selectLine)
{
    m_lines = macro::eventLines(m_events, m_keyNames);
    m_keyLineCount = parseEvents(m_events).size();
    m_selectedLine = m_lines.empty() ? -1 : std::min(selectLine, int(m_lines.size()) - 1);
}

bool MacroManager::newMacro()
{
    if (m_names.size() >= kMaxMacrosInUse)
        return false;
    int n = 1;
    while (std::find(m_names.begin(), m_names.end(), defaultMacroName(n)) != m_names.end())
        ++n;
    m_names.push_back(defaultMacroName(n));
    const std::size_t index = m_names.size() - 1;
    auto& records = m_store.working();
    std::move_backward(records.begin() + long(index), records.end() - 1, records.end());   // record 189 drops out
    records[index] = MacroRecord{};
    m_selectedMacro = int(index);
    m_lines.clear();
    m_selectedLine = -1;
    m_events = {};
    m_keyLineCount = 0;
    g_bRecording = g_bRecordDelays = g_bInsertMode = false;
    setRecordName(records[index], m_names.back());
    setLoopCount(records[index], 1);
    m_loopText = u"1";
    removeHookIfInstalled();
    g_bUseLoops = false;
    return true;
}

PanelNotice MacroManager::deleteMacro()
{
    if (!selectedRecord())
        return PanelNotice::SelectMacroToDelete;
    const std::size_t index = std::size_t(m_selectedMacro);
    m_names.erase(m_names.begin() + long(index));
    auto& records = m_store.working();
    records.erase(records.begin() + long(index));
    records.push_back(MacroRecord{});
    removeHookIfInstalled();
    g_bRecording = g_bInsertMode = false;
    const int remaining = int(m_names.size());
    select(std::min(int(index), remaining - 1));
    return PanelNotice::None;
}

PanelNotice MacroManager::renameMacro(int n, const std::u16string& name)
{
    if (n < 0 || n >= int(m_names.size()))
        return PanelNotice::None;
    if (name.empty())
        return PanelNotice::EmptyName;
    if (name.size() > rec::kMaxNameChars)
        return PanelNotice::NameTooLong;
    for (int i = 0; i < int(m_names.size()); ++i)
        if (i != n && m_names[std::size_t(i)] == name)
            return PanelNotice::DuplicateName;
    if (!m_store.renameWorking(std::size_t(n), name))
        return PanelNotice::EmptyName;   // holding a NUL: the old name stays
    m_names[std::size_t(n)] = name;
    return PanelNotice::None;
}

void MacroManager::onTimer()
{
    for (std::size_t i = 0; i < m_names.size(); ++i)
        m_store.renameWorking(i, m_names[i]);
}

// ---- Buttons and loop box ---------------------------------------------------------------------

PanelNotice MacroManager::toggleRecording()
{
    if (!selectedRecord())
        return PanelNotice::SelectMacroToRecord;
    g_bRecording = !g_bRecording;
    if (g_bRecording)
        startRecording();
    else
        removeHookIfInstalled();
    return PanelNotice::None;
}

void MacroManager::startRecording()
{
    if (!m_bHookInstalled)
        m_bHookInstalled = m_hook.install(kRecordHookMode);
    g_bInsertMode = false;
    m_events = {};
    m_keyLineCount = 0;
    m_lastKeyLine.clear();
    m_lines.clear();
    m_selectedLine = -1;
    setEvents(*selectedRecord(), m_events.device, m_events.key);
}

void MacroManager::toggleRecordDelays()
{
    g_bRecordDelays = !g_bRecordDelays;
    if (selectedRecord())
        storeBack();
}

void MacroManager::toggleUseLoops()
{
    g_bUseLoops = !g_bUseLoops;
    if (!g_bUseLoops)
        setLoopText(u"1");
}

std::u16string MacroManager::setLoopText(const std::u16string& text)
{
    const uint16_t v = parseLoopText(text);
    m_loopText = v == 0 ? u"1" : text;
    if (MacroRecord* r = selectedRecord())
        setLoopCount(*r, loopValue());
    return m_loopText;
}

uint16_t MacroManager::loopValue() const
{
    return std::max<uint16_t>(parseLoopText(m_loopText), kMinLoopCount);
}

void MacroManager::storeBack()
{
    MacroRecord* r = selectedRecord();
    if (!r)
        return;
    const StoreBackState state{m_names[std::size_t(m_selectedMacro)], g_bUseLoops, loopValue(), g_bRecordDelays};
    macro::storeBack(*r, state, m_events);
}

// ---- Event list -------------------------------------------------------------------------------

void MacroManager::selectLine(int line)
{
    m_selectedLine = (line >= 0 && line < int(m_lines.size())) ? line : -1;
}

bool MacroManager::isDelayLine(int line) const
{
    return line >= 0 && line < int(m_lines.size()) && containsMs(m_lines[std::size_t(line)]);
}

void MacroManager::insertBefore()
{
    const int s = m_selectedLine;
    if (s < 0)
        return;
    m_nInsertLine = (s == 0 || isDelayLine(s)) ? s : isDelayLine(s - 1) ? s - 1 : s;
    g_bInsertMode = true;
    if (!m_bHookInstalled)
        m_hook.install(kRecordHookMode);   // its result is not looked at: the keys may still come
    m_bHookInstalled = true;
}

void MacroManager::insertAfter()
{
    const int s = m_selectedLine;
    if (s < 0)
        return;
    const bool last = s == int(m_lines.size()) - 1;
    m_nInsertLine = last ? s + 1 : isDelayLine(s) ? s + 2 : s + 1;
    g_bInsertMode = true;
    if (!m_bHookInstalled)
        m_hook.install(kRecordHookMode);
    m_bHookInstalled = true;
}

PanelNotice MacroManager::mouseCommand(MouseButton button, MouseAction action)
{
    const int s = m_selectedLine;
    if (!selectedRecord() || s < 0)
        return PanelNotice::None;
    const std::size_t b = std::size_t(isDelayLine(s) ? s + 2 : s + 1);
    const uint8_t code = kMouseCodes[int(button)];
    EventArrays next = m_events;
    bool ok = true;
    if (action == MouseAction::Down || action == MouseAction::Click)
        ok = insertEventBeforeLine(next, b, code, false, m_keyNames);
    if (ok && action != MouseAction::Down)
        ok = insertEventBeforeLine(next, action == MouseAction::Click ? b + 1 : b, code, true, m_keyNames);
    g_bInsertMode = false;
    if (!ok)
        return PanelNotice::SequenceFull;   // a click is inserted whole or not at all
    m_events = next;
    storeBack();
    reloadLines(int(b));
    return PanelNotice::None;
}

PanelNotice MacroManager::insertDelay()
{
    const int s = m_selectedLine;
    if (!selectedRecord() || s < 0 || s >= int(m_lines.size()) - 1)
        return PanelNotice::None;
    if (isDelayLine(s))
        return PanelNotice::EditCurrentDelay;
    giveNextEvent50ms(m_events, std::size_t(s));
    storeBack();
    g_bInsertMode = false;
    reloadLines(s);
    return PanelNotice::None;
}

void MacroManager::deleteSelectedLine()
{
    const int s = m_selectedLine;
    if (!selectedRecord() || s < 0)
        return;
    deleteLine(m_events, std::size_t(s));
    g_bInsertMode = false;
    storeBack();
    reloadLines(s);
}

PanelNotice MacroManager::delayEdited(int line, int value)
{
    if (!selectedRecord() || line < 0)
        return PanelNotice::None;
    const bool ok = setDelay(m_events, std::size_t(line), uint32_t(std::max(value, 0)));
    g_bInsertMode = false;
    storeBack();
    reloadLines(line);
    return ok ? PanelNotice::None : PanelNotice::SequenceFull;
}

void MacroManager::listEditBegin()
{
    removeHookIfInstalled();
    g_bRecording = g_bInsertMode = false;
}

// ---- WM_KEYHOOK -------------------------------------------------------------------------------

void MacroManager::onKeyHook(uint8_t vk, bool release)
{
    if (g_bInsertMode)
        insertKey(vk, release);
    else if (g_bRecording && m_bHookInstalled && selectedRecord())
        recordKey(vk, release);
    if (selectedRecord())
        storeBack();
}

void MacroManager::insertKey(uint8_t vk, bool release)
{
    if (release) {
        g_bInsertMode = false;
        if (!g_bRecording)   // a recording in progress keeps its hook
            removeHookIfInstalled();
    }
    if (!selectedRecord())
        return;
    const std::size_t at = std::size_t(std::max(m_nInsertLine, 0));
    if (!insertEventBeforeLine(m_events, at, vk, release, m_keyNames))
        return;   // full, or a key the keyboard has no code for: nothing is inserted
    if (!release)
        ++m_nInsertLine;
    reloadLines(int(at));
}

uint32_t MacroManager::takeDelay()
{
    const uint64_t now = m_clock.ticks();
    const uint64_t elapsed = now >= m_previousTicks ? now - m_previousTicks : 0;
    m_previousTicks = now;
    return delayFromTicks(elapsed, m_frequency);
}

void MacroManager::recordKey(uint8_t vk, bool release)
{
    const std::u16string text = keyLineText(m_keyNames, vk, release);
    uint32_t delay = 0;
    if (release) {
        delay = takeDelay();
        if (text == m_lastKeyLine)
            return;
    } else if (m_lines.empty()) {
        m_previousTicks = m_clock.ticks();
    } else {
        if (text == m_lastKeyLine)
            return;   // a held key repeating
        delay = takeDelay();
    }
    const bool listEmpty = m_lines.empty();
    const RecordedEvent e = appendRecordedEvent(m_events, vk, release, delay, g_bRecordDelays, listEmpty, m_keyNames);
    if (!e.appended)
        return;
    if (e.delayLine)
        m_lines.push_back(*e.delayLine);
    m_lines.push_back(e.keyLine);
    m_lastKeyLine = e.keyLine;
    m_selectedLine = int(m_lines.size()) - 1;
    ++m_keyLineCount;
}

}   // namespace orvane::macro
