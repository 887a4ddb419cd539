#include "tests/macro/ManagerFixture.h"

using namespace macrotest;
using Lines = std::vector<std::u16string>;

// ---- Recording ------------------------------------------------------------------------------

TEST_F(Manager, HoldingAKeyGivesOneDownAndOneUpWithTheWholeHold)
{
    openWith({u"Macro_001"});
    mgr.toggleRecordDelays();
    ASSERT_EQ(mgr.toggleRecording(), PanelNotice::None);
    EXPECT_EQ(hook.installs, 1);
    press(A, 5000);   // the pause before the first key is no delay
    for (int i = 0; i < 20; ++i)
        press(A, 33);   // auto-repeat
    release(A, 340);    // held 20 * 33 + 340 = 1000 ms
    EXPECT_EQ(mgr.eventLines(), (Lines{dn(A), u"1000 ms", up(A)}));
    EXPECT_EQ(timings(), (std::vector<uint8_t>{0x01, 0xFF}));
    const EventBytes stored = deviceEvents(working(0));   // stored back as it goes
    EXPECT_EQ(stored[2], 0xFF);
    EXPECT_EQ(stored[3], names.usage(A));
    EXPECT_EQ((stored[4] << 8) | stored[5], 1000);
    EXPECT_EQ(keyEvents(working(0))[3], A);
    EXPECT_TRUE(recordDelay(working(0)));
}

TEST_F(Manager, PressReleasePressRecordsThreeEvents)
{
    openWith({u"Macro_001"});
    mgr.toggleRecording();
    press(A);
    release(A, 10);
    press(A, 10);
    EXPECT_EQ(mgr.eventLines(), (Lines{dn(A), up(A), dn(A)}));
    release(A, 10);
    release(A, 10);   // a second release of the same key: the repeat check drops it
    EXPECT_EQ(mgr.eventLines().size(), 4u);
}

TEST_F(Manager, RecordDelayOffStoresNoDelays)
{
    openWith({u"Macro_001"});
    mgr.toggleRecording();
    press(A, 300);
    press(B, 200);
    release(A, 500);
    release(B, 70000);
    EXPECT_EQ(mgr.eventLines(), (Lines{dn(A), dn(B), up(A), up(B)}));
    EXPECT_EQ(timings(), (std::vector<uint8_t>{0x01, 0x01, 0x81, 0x81}));
    EXPECT_FALSE(recordDelay(working(0)));
}

TEST_F(Manager, DelaysAsMeasuredAndATwoMinutePauseIsSixtySeconds)
{
    openWith({u"Macro_001"});
    mgr.toggleRecordDelays();
    mgr.toggleRecording();
    press(A, 90000);      // first event: no delay
    release(A, 126);      // short, 126
    press(B, 127);        // long, 127
    release(B, 120000);   // two minutes
    press(C, 1);          // exactly 1 ms: no delay line
    EXPECT_EQ(mgr.eventLines(), (Lines{dn(A), u"126 ms", up(A), u"127 ms", dn(B), u"60000 ms", up(B), dn(C)}));
    const EventBytes& d = mgr.events().device;
    EXPECT_EQ(d[0], 0x01);
    EXPECT_EQ(d[2], 0x80 | 126);
    EXPECT_EQ(d[4], 0x7F);
    EXPECT_EQ(d[6], 0);
    EXPECT_EQ(d[7], 127);
    EXPECT_EQ(d[8], 0xFF);
    EXPECT_EQ(d[10], 0xEA);
    EXPECT_EQ(d[11], 0x60);
    EXPECT_EQ(d[12], 0x01);
}

TEST_F(Manager, PressesStopAt184BytesAndHeldKeysStillRelease)
{
    openWith({u"Macro_001"});
    mgr.toggleRecording();
    // 46 press/release pairs of short events fill 184 bytes.
    for (int i = 0; i < 46; ++i) {
        press(A);
        release(A);
    }
    ASSERT_EQ(appendPosition(mgr.events()), 184u);
    EXPECT_TRUE(mgr.sequenceFull());
    press(B);
    EXPECT_EQ(appendPosition(mgr.events()), 184u);   // refused
    // With delays on, a release that would need 4 bytes still fits at 184..187; one more short fits.
    mgr.toggleRecordDelays();
    release(B, 500);
    release(C, 1);
    EXPECT_EQ(appendPosition(mgr.events()), 190u);
    release(A, 1);
    EXPECT_EQ(appendPosition(mgr.events()), 190u);   // nothing is cut
    EXPECT_EQ(parseEvents(mgr.events()).size(), 94u);
    EXPECT_EQ(deviceEvents(working(0)), mgr.events().device);
}

TEST_F(Manager, KeysWithoutADeviceCodeAreNotRecorded)
{
    int noUsage = -1;
    for (int vk = 1; vk < 0xF0 && noUsage < 0; ++vk)
        if (names.usage(uint8_t(vk)) == 0)
            noUsage = vk;
    ASSERT_GT(noUsage, 0);
    openWith({u"Macro_001"});
    mgr.toggleRecording();
    press(uint8_t(noUsage));
    press(A);
    release(uint8_t(noUsage));
    EXPECT_EQ(mgr.eventLines(), (Lines{dn(A)}));
    EXPECT_FALSE(mgr.sequenceFull());
}

TEST_F(Manager, StartingClearsTheMacroAndAFailedHookRecordsNothingUntilRetried)
{
    openWith({u"Macro_001"});
    mgr.toggleRecording();
    press(A);
    release(A);
    mgr.toggleRecording();
    EXPECT_EQ(hook.removes, 1);
    hook.result = false;
    mgr.toggleRecording();   // starts again: the macro is cleared
    EXPECT_TRUE(mgr.recording());
    EXPECT_EQ(deviceEvents(working(0))[1], 0);
    press(B);
    EXPECT_TRUE(mgr.eventLines().empty());
    mgr.toggleRecording();
    EXPECT_EQ(hook.removes, 1);   // never installed: not removed
    hook.result = true;
    mgr.toggleRecording();
    press(B);
    EXPECT_EQ(mgr.eventLines(), (Lines{dn(B)}));
    EXPECT_EQ(hook.installs, 3);
}

TEST_F(Manager, RecordNewDeleteOkAndAListEditEndRecording)
{
    enum Stop { Record, New, Delete, Ok, EditBegin };
    for (Stop stop : {Record, New, Delete, Ok, EditBegin}) {
        hook = ScriptedHook{};
        openWith({u"Macro_001", u"Macro_002"});
        ASSERT_EQ(mgr.toggleRecording(), PanelNotice::None);
        press(A);
        switch (stop) {
        case Record: mgr.toggleRecording(); break;
        case New: mgr.newMacro(); break;
        case Delete: mgr.deleteMacro(); break;
        case Ok: mgr.ok(); break;
        case EditBegin: mgr.listEditBegin(); break;
        }
        EXPECT_FALSE(mgr.recording()) << stop;
        EXPECT_FALSE(mgr.hookInstalled()) << stop;
        EXPECT_EQ(hook.removes, 1) << stop;
        EXPECT_FALSE(hook.installed) << stop;
    }
}

TEST_F(Manager, RecordWithoutASelectionAsksForOne)
{
    openWith({});
    EXPECT_EQ(mgr.toggleRecording(), PanelNotice::SelectMacroToRecord);
    EXPECT_EQ(hook.installs, 0);
    EXPECT_FALSE(mgr.recording());
}

TEST_F(Manager, SelectingAnotherMacroWhileRecordingIsRefusedSoNoKeyLandsInIt)
{
    openWith({u"one", u"two"});
    mgr.toggleRecording();
    EXPECT_TRUE(mgr.capturingKeys());
    press(A);
    EXPECT_FALSE(mgr.selectMacro(1));
    EXPECT_EQ(mgr.selectedMacro(), 0);
    press(B);
    release(B);
    EXPECT_EQ(mgr.eventLines(), (Lines{dn(A), dn(B), up(B)}));
    EXPECT_EQ(keyEvents(working(1))[1], 0);   // the other macro is untouched
    mgr.toggleRecording();
    EXPECT_FALSE(mgr.capturingKeys());
    EXPECT_TRUE(mgr.selectMacro(1));
    EXPECT_EQ(mgr.selectedMacro(), 1);
}

// ---- Insert mode and the event-list commands ------------------------------------------------

struct Edited : Manager {
    // Macro 0 holds A dn, 50 ms, A up.
    void SetUp() override
    {
        openWith({u"Macro_001"});
        mgr.toggleRecordDelays();
        mgr.toggleRecording();
        press(A);
        release(A, 50);
        mgr.toggleRecording();
        ASSERT_EQ(mgr.eventLines(), (Lines{dn(A), u"50 ms", up(A)}));
        hook = ScriptedHook{};
    }
};

TEST_F(Edited, InsertBeforeTheFirstLineCapturesOneKeyAtTheStart)
{
    mgr.selectLine(0);
    mgr.insertBefore();
    EXPECT_TRUE(mgr.insertMode());
    EXPECT_EQ(hook.installs, 1);
    press(B, 400);
    press(B, 30);   // a held key inserts every repeat
    release(B, 30);
    EXPECT_FALSE(mgr.insertMode());
    EXPECT_EQ(hook.removes, 1);
    EXPECT_EQ(mgr.eventLines(), (Lines{dn(B), dn(B), up(B), dn(A), u"50 ms", up(A)}));
    EXPECT_EQ(timings(), (std::vector<uint8_t>{0x01, 0x01, 0x81, 0x01, 50 | 0x80}));   // inserted: no delay
    press(C);   // insert mode is over and nothing records
    EXPECT_EQ(mgr.eventLines().size(), 6u);
    EXPECT_EQ(keyEvents(working(0))[1], B);
}

TEST_F(Edited, InsertAfterTheLastLineCapturesAtTheEnd)
{
    mgr.selectLine(2);
    mgr.insertAfter();
    EXPECT_EQ(mgr.insertLine(), 3);
    press(C);
    release(C);
    EXPECT_EQ(mgr.eventLines(), (Lines{dn(A), u"50 ms", up(A), dn(C), up(C)}));
}

TEST_F(Edited, AnInsertDuringARecordingKeepsTheRecordingsHook)
{
    mgr.toggleRecording();   // clears the macro
    press(A);
    release(A, 20);
    mgr.selectLine(0);
    mgr.insertBefore();
    press(B);
    release(B);
    EXPECT_FALSE(mgr.insertMode());
    EXPECT_TRUE(mgr.hookInstalled());
    EXPECT_EQ(hook.removes, 0);
    press(C);   // recording goes on at the end
    EXPECT_EQ(mgr.eventLines(), (Lines{dn(B), up(B), dn(A), u"20 ms", up(A), dn(C)}));
}

TEST_F(Edited, InsertLinesAroundADelayLine)
{
    struct Case {
        bool before;
        int selected;
        int insertLine;
    };
    for (Case c : {Case{true, 1, 1}, Case{true, 2, 1}, Case{false, 1, 3}, Case{false, 0, 1}}) {
        mgr.selectLine(c.selected);
        c.before ? mgr.insertBefore() : mgr.insertAfter();
        EXPECT_EQ(mgr.insertLine(), c.insertLine) << c.before << c.selected;
    }
}

TEST_F(Edited, MouseClickInsertsPressAndReleaseAfterTheLine)
{
    mgr.selectLine(0);
    EXPECT_EQ(mgr.mouseCommand(MouseButton::Left, MouseAction::Click), PanelNotice::None);
    EXPECT_EQ(mgr.eventLines(), (Lines{dn(A), u"MsLB dn", u"MsLB up", u"50 ms", up(A)}));
    mgr.selectLine(1);   // a delay-line selection inserts after its key line
    mgr.selectLine(3);
    mgr.mouseCommand(MouseButton::Middle, MouseAction::Up);
    EXPECT_EQ(mgr.eventLines(), (Lines{dn(A), u"MsLB dn", u"MsLB up", u"50 ms", up(A), u"MsMB up"}));
    const EventBytes d = deviceEvents(working(0));
    EXPECT_EQ(d[2], 0x01);
    EXPECT_EQ(d[3], 0xF0);
    EXPECT_EQ(d[4], 0x81);
    EXPECT_EQ(d[8], 0x81);
    EXPECT_EQ(d[9], 0xF2);
}

TEST_F(Edited, AClickThatDoesNotFitIsRefusedWhole)
{
    EventArrays full = mgr.events();
    MacroRecord& r = store.working()[0];
    // 188 bytes: the press would fit, the release would not.
    for (std::size_t at = 4; at + 2 <= 188; at += 2) {
        full.device[at] = 0x01;
        full.device[at + 1] = names.usage(B);
        full.key[at] = 0x01;
        full.key[at + 1] = B;
    }
    setEvents(r, full.device, full.key);
    mgr.selectMacro(0);
    mgr.selectLine(0);
    EXPECT_EQ(mgr.mouseCommand(MouseButton::Right, MouseAction::Click), PanelNotice::SequenceFull);
    EXPECT_EQ(mgr.events(), full);
    EXPECT_EQ(mgr.mouseCommand(MouseButton::Right, MouseAction::Down), PanelNotice::None);
    EXPECT_EQ(appendPosition(mgr.events()), 190u);
}

TEST_F(Edited, InsertDelayDeleteAndADelayEdit)
{
    mgr.selectLine(1);
    EXPECT_EQ(mgr.insertDelay(), PanelNotice::EditCurrentDelay);
    EXPECT_EQ(mgr.delayEdited(1, 300), PanelNotice::None);
    EXPECT_EQ(mgr.eventLines(), (Lines{dn(A), u"300 ms", up(A)}));
    EXPECT_EQ(deviceEvents(working(0))[2], 0xFF);
    mgr.selectLine(1);
    mgr.deleteSelectedLine();   // a delay line: the event stays without its delay
    EXPECT_EQ(mgr.eventLines(), (Lines{dn(A), up(A)}));
    mgr.selectLine(0);
    EXPECT_EQ(mgr.insertDelay(), PanelNotice::None);
    EXPECT_EQ(mgr.eventLines(), (Lines{dn(A), u"50 ms", up(A)}));
    mgr.selectLine(0);
    mgr.deleteSelectedLine();   // the first event goes; the next loses its delay
    EXPECT_EQ(mgr.eventLines(), (Lines{up(A)}));
    EXPECT_EQ(deviceEvents(working(0))[0], 0x81);
}

// ---- The macro list -------------------------------------------------------------------------

TEST_F(Manager, NewTakesTheSmallestFreeNumber)
{
    openWith({u"Macro_001", u"Macro_003"});
    ASSERT_TRUE(mgr.newMacro());
    EXPECT_EQ(mgr.macroNames().back(), u"Macro_002");
    EXPECT_EQ(mgr.selectedMacro(), 2);
    EXPECT_EQ(recordName(working(2)), u"Macro_002");
    EXPECT_EQ(loopCount(working(2)), 1);
    ASSERT_TRUE(mgr.newMacro());
    EXPECT_EQ(mgr.macroNames().back(), u"Macro_004");
    EXPECT_EQ(defaultMacroName(10), u"Macro_010");
    EXPECT_EQ(defaultMacroName(32), u"Macro_032");
}

TEST_F(Manager, ThirtyTwoMacrosAndNewDoesNothing)
{
    openWith({});
    for (int i = 0; i < 32; ++i)
        ASSERT_TRUE(mgr.newMacro());
    EXPECT_EQ(mgr.macroNames()[31], u"Macro_032");
    const auto before = store.working();
    EXPECT_FALSE(mgr.newMacro());
    EXPECT_EQ(mgr.macroNames().size(), 32u);
    EXPECT_EQ(store.working(), before);
}

TEST_F(Manager, DeletingTheLastAndTheOnlyMacro)
{
    openWith({u"a", u"b", u"c"});
    mgr.selectMacro(2);
    EXPECT_EQ(mgr.deleteMacro(), PanelNotice::None);
    EXPECT_EQ(mgr.macroNames(), (Lines{u"a", u"b"}));
    EXPECT_EQ(mgr.selectedMacro(), 1);
    EXPECT_TRUE(isFree(working(2)));
    mgr.selectMacro(0);
    mgr.deleteMacro();   // later macros move down by one
    EXPECT_EQ(recordName(working(0)), u"b");
    EXPECT_TRUE(isFree(working(1)));
    EXPECT_EQ(mgr.deleteMacro(), PanelNotice::None);
    EXPECT_TRUE(mgr.macroNames().empty());
    EXPECT_EQ(mgr.selectedMacro(), -1);
    EXPECT_EQ(MacroStore::countInUse(store.working()), 0u);
    EXPECT_EQ(mgr.deleteMacro(), PanelNotice::SelectMacroToDelete);
}

TEST_F(Manager, RenamesToEmptyTakenOrTooLongNamesAreRefusedEachWithItsNotice)
{
    openWith({u"alpha", u"beta"});
    EXPECT_EQ(mgr.renameMacro(1, u""), PanelNotice::EmptyName);
    EXPECT_EQ(mgr.renameMacro(1, u"alpha"), PanelNotice::DuplicateName);
    EXPECT_EQ(mgr.renameMacro(1, std::u16string(300, u'x')), PanelNotice::NameTooLong);
    EXPECT_EQ(mgr.renameMacro(1, std::u16string(255, u'x')), PanelNotice::NameTooLong);
    EXPECT_EQ(mgr.macroNames(), (Lines{u"alpha", u"beta"}));
    EXPECT_EQ(mgr.renameMacro(0, std::u16string(254, u'x')), PanelNotice::None);
    EXPECT_EQ(mgr.renameMacro(0, u"alpha"), PanelNotice::None);
    EXPECT_EQ(mgr.renameMacro(1, u"beta"), PanelNotice::None);   // its own name
    EXPECT_EQ(mgr.renameMacro(1, u"gamma"), PanelNotice::None);
    mgr.onTimer();
    EXPECT_EQ(recordName(working(1)), u"gamma");
}

TEST_F(Manager, LoopBoxAndNumberOfLoops)
{
    store.saved()[0] = named(u"m");
    setLoopCount(store.saved()[0], 5);
    store.saved()[1] = named(u"n");
    store.saved()[1][orvane::macro::rec::kLoopCount] = 0;   // a stored 0 shows as 1, loops off
    mgr.open();
    EXPECT_TRUE(mgr.useLoops());
    EXPECT_EQ(mgr.loopText(), u"5");
    EXPECT_EQ(mgr.setLoopText(u"0"), u"1");
    EXPECT_EQ(loopCount(working(0)), 1);
    EXPECT_EQ(mgr.setLoopText(u""), u"1");
    EXPECT_EQ(mgr.setLoopText(u"250"), u"250");
    EXPECT_EQ(loopCount(working(0)), 250);
    mgr.toggleUseLoops();   // off: the count becomes 1
    EXPECT_FALSE(mgr.useLoops());
    EXPECT_EQ(mgr.loopText(), u"1");
    EXPECT_EQ(loopCount(working(0)), 1);
    mgr.selectMacro(1);
    EXPECT_FALSE(mgr.useLoops());
    EXPECT_EQ(mgr.loopText(), u"1");
}

TEST_F(Manager, CancelLeavesTheSavedStoreAndOkCommits)
{
    openWith({u"Macro_001"});
    const auto saved = store.saved();
    mgr.toggleRecording();
    press(A);
    release(A);
    mgr.newMacro();
    mgr.cancel();
    EXPECT_EQ(store.saved(), saved);
    EXPECT_EQ(hook.removes, 1);
    mgr.open();
    EXPECT_EQ(mgr.macroNames(), (Lines{u"Macro_001"}));
    EXPECT_TRUE(mgr.eventLines().empty());
    mgr.toggleRecording();
    press(A);
    mgr.ok();
    EXPECT_EQ(keyEvents(store.saved()[0])[1], A);
}

TEST_F(Manager, FreeRecordsBetweenNamedOnesAreClosedUp)
{
    store.saved()[0] = named(u"first");
    store.saved()[3] = named(u"second");
    mgr.open();
    EXPECT_EQ(mgr.macroNames(), (Lines{u"first", u"second"}));
    mgr.selectMacro(1);
    mgr.toggleRecording();
    press(A);
    EXPECT_EQ(recordName(working(1)), u"second");   // line 1 is record 1
    EXPECT_EQ(keyEvents(working(1))[1], A);
}
