#pragma once
// Undo and redo of the edits of the working configuration (one history per main window).
//
// An edit runs inside a Recording: the recording copies the working image and extension table
// (and, when asked, the macro store) as the edit starts; when it ends it pushes onto the undo
// stack one step holding only the byte ranges that changed, each with its bytes before and after
// (and the macro records that changed). Undo writes the "before" bytes back, redo the "after"
// bytes; nothing else of the image is touched, so a step undone after a Save is sent by the next
// Save exactly where it differs from what the keyboard holds.
//
// Recordings nest: an edit that runs others (Cancel tells the sliders, which write their
// positions) is one step. While a step is undone or redone, or inside a Quiet, nothing is
// recorded: what the front end writes back while it follows the restored values is no edit.
//
// Steps with a merge id (a slider's level) merge with the step below of the same id until the
// history is sealed (the drag ended; any undo or redo seals too): a drag is one step. A merge
// that brings the bytes back to where they were leaves no step.

#include "link/ConfigStore.h"
#include "macro/MacroStore.h"

#include <QString>
#include <QUndoStack>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace orvane::usecases {

// What a step is called in the menu, in both languages.
struct StepName {
    const char* english = "";
    const char* chinese = "";
};

namespace step {
inline constexpr StepName kSpeed{"Speed", "速度"};
inline constexpr StepName kBrightness{"Brightness", "亮度"};
inline constexpr StepName kReportRate{"Report Rate", "回报率"};
inline constexpr StepName kEffect{"Effect", "灯效"};
inline constexpr StepName kDirection{"Direction", "方向"};
inline constexpr StepName kGameMode{"Game Mode", "游戏模式"};
inline constexpr StepName kWinLock{"Win Lock", "Win 键锁定"};
inline constexpr StepName kResponseTime{"Response Time", "响应时间"};
inline constexpr StepName kKeyLight{"DIY Key Light", "DIY 按键灯光"};
inline constexpr StepName kKeyAssignment{"Key Assignment", "按键设置"};
inline constexpr StepName kMacros{"Macro Edit", "宏编辑"};
inline constexpr StepName kProfileLoad{"Profile Load", "载入配置"};
inline constexpr StepName kCancel{"Cancel", "取消"};
inline constexpr StepName kFactoryReset{"Factory Setting", "出厂设置"};
}   // namespace step

// A run of changed bytes: at `offset`, `before.size()` bytes.
struct ByteRange {
    std::size_t offset = 0;
    std::vector<uint8_t> before, after;
};

// The ranges where `after` differs from `before` (n bytes each); runs closer than a few bytes are
// joined. Offsets are `base` + the index.
std::vector<ByteRange> diffBytes(const uint8_t* before, const uint8_t* after, std::size_t n, std::size_t base = 0);

// What an undone or redone step touched, for the session to follow it.
struct StepApplied {
    bool image = false;      // a byte of the working image
    bool lighting = false;   // one of the five lighting bytes (effect, speed, ...)
    bool effect = false;     // the effect code
    bool records = false;    // the extension table
    bool macros = false;     // the macro store
    bool files = false;      // the edit wrote keymap.bin: its undo and redo do too
};

class EditHistory {
public:
    EditHistory(link::ConfigStore& store, macro::MacroStore& macros);
    ~EditHistory();
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    struct Options {
        int mergeId = -1;      // >= 0: merges with the step below of the same id
        bool macros = false;   // the macro store's saved records are part of the step
        bool files = false;    // see StepApplied::files
    };

    // One edit. Only the outermost recording of a nest pushes a step, and only when something
    // changed; it takes the name and options of the outermost recording.
    class Recording {
    public:
        Recording(EditHistory* history, StepName name, Options options);
        Recording(EditHistory* history, StepName name) : Recording(history, name, Options{}) {}
        ~Recording() { finish(); }
        Recording(const Recording&) = delete;
        Recording& operator=(const Recording&) = delete;
        // The edit is done: the step is pushed now (the destructor does it otherwise).
        void finish();
        // The name, when the edit turns out to be another one than expected.
        void rename(StepName name);

    private:
        EditHistory* history_;
        bool outermost_ = false;
    };

    // Nothing inside is recorded (the front end follows values the session told it).
    class Quiet {
    public:
        explicit Quiet(EditHistory* history);
        ~Quiet();
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;

    private:
        EditHistory* history_;
    };

    // Called after each undo and redo (never for the push of a new step).
    void setOnApplied(std::function<void(const StepApplied&)> f) { onApplied_ = std::move(f); }

    bool canUndo() const { return stack_.canUndo(); }
    bool canRedo() const { return stack_.canRedo(); }
    // False (nothing done) when there is nothing to undo or redo or an edit is being recorded.
    bool undo();
    bool redo();
    // The step Undo and Redo would take, in the language asked for; empty when none.
    QString undoName(bool chinese) const;
    QString redoName(bool chinese) const;
    // The step on top of the stack no longer merges with the next one.
    void seal();
    bool recording() const { return depth_ > 0; }
    bool quiet() const { return quiet_ > 0 || applying_; }

    QUndoStack& stack() { return stack_; }
    const QUndoStack& stack() const { return stack_; }

private:
    class Step;
    friend class Step;
    void begin(StepName name, Options options);
    void end();
    void applied(const StepApplied& what);

    link::ConfigStore& store_;
    macro::MacroStore& macros_;
    QUndoStack stack_;
    std::function<void(const StepApplied&)> onApplied_;
    int depth_ = 0;
    int quiet_ = 0;
    bool applying_ = false;
    // The outermost recording's state as it began.
    StepName name_;
    Options options_;
    std::unique_ptr<link::ConfigImage> image_;
    std::unique_ptr<link::KeyExtTable> records_;
    macro::MacroStore::Records macroRecords_;
};

}   // namespace orvane::usecases
