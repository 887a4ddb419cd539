#pragma once
// The macro manager's state and commands, without a display: the macro list, the event list of the
// selected macro, recording and insert mode on key-hook reports, the two options and the loop box,
// and the store-back of the selected macro into the working store after every change.
//
// The panel (macro/ui/CMacroRecordDlg) paints this state, forwards input to it and shows the
// notices it returns. The hook and the clock are interfaces so that tests script both.

#include "model/KeyTables.h"
#include "macro/MacroEvents.h"
#include "macro/MacroStore.h"
#include "platform/core/KeyHook.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::macro {

// The macro manager records with the keyboard hook in mode 1 (presses, repeats and releases).
using platform::KeyHook;

// A monotonic high-resolution clock: its frequency is read when the panel opens, its count at
// each timed event.
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual uint64_t frequency() const = 0;
    virtual uint64_t ticks() const = 0;
};

class SteadyTickClock final : public MonotonicClock {
public:
    uint64_t frequency() const override;
    uint64_t ticks() const override;
};

inline constexpr int kRecordHookMode = 1;

// What the panel tells the user (both languages are the panel's).
enum class PanelNotice {
    None,
    SelectMacroToRecord,   // record button without a selected macro
    SelectMacroToDelete,   // Delete confirmed without a selected macro
    EditCurrentDelay,      // Insert Delay on a delay line
    EmptyName,             // a rename to an empty text (refused)
    NameTooLong,           // a rename to a text longer than 254 characters (refused)
    DuplicateName,         // a rename to the name of another macro (refused)
    SequenceFull,          // an inserted event or a longer delay does not fit (refused whole)
};

enum class MouseButton { Left, Right, Middle };
enum class MouseAction { Down, Up, Click };

class MacroManager {
public:
    MacroManager(MacroStore& store, const keymap::KeyNameTable& names, KeyHook& hook, MonotonicClock& clock);

    // The panel opens: working store from the saved one, flags cleared, macro 0 selected.
    void open();
    // OK: stops the hook, takes the loop box and the names, commits the working store.
    void ok();
    // Cancel: the working store is dropped; the saved store is untouched.
    void cancel();
    // The panel window goes away (also after OK or Cancel).
    void closed();

    // ---- State the panel shows ----
    const std::vector<std::u16string>& macroNames() const { return m_names; }
    int selectedMacro() const { return m_selectedMacro; }
    const std::vector<std::u16string>& eventLines() const { return m_lines; }
    int selectedLine() const { return m_selectedLine; }
    const EventArrays& events() const { return m_events; }
    bool recording() const { return g_bRecording; }
    bool recordDelays() const { return g_bRecordDelays; }
    bool useLoops() const { return g_bUseLoops; }
    bool insertMode() const { return g_bInsertMode; }
    bool hookInstalled() const { return m_bHookInstalled; }
    int insertLine() const { return m_nInsertLine; }
    const std::u16string& loopText() const { return m_loopText; }
    // True while typed keys go into the selected macro (recording or insert mode): the panel then
    // lets no control take the focus or a key.
    bool capturingKeys() const { return g_bRecording || g_bInsertMode; }
    // True while keys are awaited but the sequence has no room left for them: the panel says so.
    bool sequenceFull() const;

    // ---- Macro list ----
    // Refused (false, nothing changes) while recording: every key then belongs to the macro
    // being recorded.
    bool selectMacro(int n);
    bool newMacro();             // false with 32 macros (nothing happens)
    PanelNotice deleteMacro();   // after the user confirmed
    PanelNotice renameMacro(int n, const std::u16string& name);
    void onTimer();   // names of the list into the working records

    // ---- Buttons and loop box ----
    PanelNotice toggleRecording();
    void toggleRecordDelays();
    void toggleUseLoops();
    // The loop box's text changed; returns the text it must show (0 or empty becomes "1").
    std::u16string setLoopText(const std::u16string& text);

    // ---- Event list ----
    void selectLine(int line);
    void insertBefore();
    void insertAfter();
    PanelNotice mouseCommand(MouseButton button, MouseAction action);
    PanelNotice insertDelay();
    void deleteSelectedLine();
    PanelNotice delayEdited(int line, int value);   // WM_LISTEDITDONE of the event list
    void listEditBegin();                           // WM_LISTEDITBEGIN of either list

    // ---- WM_KEYHOOK ----
    void onKeyHook(uint8_t vk, bool release);

private:
    void select(int n);
    void loadSelected();   // algorithm 1 on the selected record
    void reloadLines(int selectLine);
    void storeBack();
    void removeHookIfInstalled();
    void startRecording();
    void recordKey(uint8_t vk, bool release);
    void insertKey(uint8_t vk, bool release);
    uint32_t takeDelay();
    uint16_t loopValue() const;
    bool isDelayLine(int line) const;
    MacroRecord* selectedRecord();

    MacroStore& m_store;
    const keymap::KeyNameTable& m_keyNames;
    KeyHook& m_hook;
    MonotonicClock& m_clock;
    uint64_t m_frequency = 0;

    std::vector<std::u16string> m_names;
    int m_selectedMacro = -1;
    std::vector<std::u16string> m_lines;
    int m_selectedLine = -1;
    EventArrays m_events;
    std::u16string m_lastKeyLine;
    uint64_t m_previousTicks = 0;
    std::size_t m_keyLineCount = 0;
    std::u16string m_loopText = u"1";

    bool g_bRecording = false;
    bool g_bInsertMode = false;
    bool g_bRecordDelays = false;
    bool g_bUseLoops = false;
    bool m_bHookInstalled = false;
    int m_nInsertLine = 0;
};

// "Macro_00%d" below 10, else "Macro_0%d".
std::u16string defaultMacroName(int n);

}   // namespace orvane::macro
