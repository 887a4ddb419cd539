// libFuzzer target: a hostile keyboard. The keyboard link runs its start-up read-all, a refresh
// (or a factory reset) and an upload against a transport whose every answer comes from the
// fuzzer's bytes: whether each set-feature, get-feature and bulk output report succeeds, the
// get-feature answers, how many bulk input reports follow a read and what they hold, how many
// acknowledgements each transfer earns and which other event reports (any id, kind and key
// code) arrive beside them.
//
// Checked on every run: the link never touches memory outside its buffers (the sanitizers),
// every operation ends (libFuzzer's time-out), every area of the working image is after each
// read either as it was or exactly as a complete read of it gave it (and no byte outside the
// areas changes), and an upload reported as done has put every changed area on the keyboard
// while any other result leaves the shadow as it was.
//
// Input layout: byte 0 chooses refresh or factory reset; bytes 1..7 choose which areas the
// edit before the upload changes (one bit per area) and byte 8 how; the rest is the keyboard's
// behaviour, read one transfer at a time. Once the bytes run out the keyboard behaves.

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <QCoreApplication>

#include "keymap/logic/KeyCodes.h"
#include "link/KeyboardLink.h"
#include "model/Commands.h"
#include "platform/hid/KeyboardIds.h"
#include "platform/hotplug/Monitor.h"
#include "tests/fuzz/FuzzSupport.h"

using orvane::fuzz::check;
using namespace orvane;
using link::ConfigImage;
namespace img = link::image;

namespace {

// ---- The areas a read-all fills ------------------------------------------------------------

struct Area {
    std::size_t offset, size;
};

std::vector<Area> readAreas()
{
    std::vector<Area> a{{img::kEffect, img::kLightingSize}};
    for (std::size_t i = 0; i < img::kColourCount; ++i)
        a.push_back({img::colourEntry(i), img::kColourEntrySize});
    a.push_back({img::kGameMode, 1});
    a.push_back({img::kReportRate, 1});
    a.push_back({img::kResponseTime, 1});
    a.push_back({img::kKeyCodeBlock, img::kKeyCodeBlockSize});
    a.push_back({img::kKeyEnable, img::kKeyEnableSize + 1});   // with Win Lock
    for (std::size_t b = 0; b < img::kMacroBlockCount; ++b)
        a.push_back({img::macroBlock(b), img::kMacroBlockSize});
    for (std::size_t m = 0; m < img::kLightMapCount; ++m)
        a.push_back({img::lightMap(m), img::kLightMapSize});
    return a;
}

const std::vector<Area>& areas()
{
    static const std::vector<Area> a = readAreas();
    return a;
}

bool sameArea(const ConfigImage& x, const ConfigImage& y, Area a)
{
    return std::memcmp(x.data() + a.offset, y.data() + a.offset, a.size) == 0;
}

// ---- The keyboard -----------------------------------------------------------------------------

// The fuzzer's bytes, one transfer at a time; zeros once they run out.
class Script {
public:
    Script(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }
    void take(uint8_t* out, std::size_t n)
    {
        for (std::size_t i = 0; i < n; ++i)
            out[i] = next();
    }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// What the keyboard did, as the checks need it. Only the operation's thread (the link thread
// or the caller) changes the script side; the event queue is shared with the reader.
struct Keyboard {
    explicit Keyboard(Script s) : script(s) {}
    Script script;

    struct CommandState {
        uint8_t code = 0;
        std::array<uint8_t, 9> report{};
        bool bulkRead = false;   // a read command whose bulk reports are being counted
        std::size_t readsWanted = 0, readsDone = 0;
        std::vector<uint8_t> readData;
        std::size_t writeArea = 0;   // the area a bulk write fills, and what came of it so far
        std::size_t writesWanted = 0;
        std::vector<uint8_t> writeData;
    };

    // Read side: what a complete read of each area gave during the current operation.
    ConfigImage candidate{};
    std::vector<bool> complete;   // per area of areas()
    CommandState state;

    // Write side: the keyboard's memory as the writes set it (known areas only).
    ConfigImage memory{};
    std::vector<bool> written;   // per area of areas()

    // Command interface: bulk input reports waiting.
    std::deque<std::vector<uint8_t>> bulk;

    // Event interface.
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::array<uint8_t, 4>> events;
    bool interrupted = false;
};

std::optional<std::size_t> areaIndexAt(std::size_t offset)
{
    for (std::size_t i = 0; i < areas().size(); ++i)
        if (areas()[i].offset == offset)
            return i;
    return std::nullopt;
}

void markComplete(Keyboard& k, std::size_t offset, const uint8_t* bytes, std::size_t n)
{
    const std::optional<std::size_t> i = areaIndexAt(offset);
    check(i.has_value());
    std::memcpy(k.candidate.data() + offset, bytes, n);
    k.complete[*i] = true;
}

void markWritten(Keyboard& k, std::size_t offset, const uint8_t* bytes, std::size_t n)
{
    const std::optional<std::size_t> i = areaIndexAt(offset);
    check(i.has_value());
    std::memcpy(k.memory.data() + offset, bytes, n);
    k.written[*i] = true;
}

void pushEvent(Keyboard& k, std::array<uint8_t, 4> e)
{
    {
        std::lock_guard lock(k.mutex);
        k.events.push_back(e);
    }
    k.changed.notify_all();
}

class CommandDevice final : public hid::Device {
public:
    CommandDevice(Keyboard& k, hid::InterfaceInfo info) : k_(k), info_(std::move(info)) {}
    const hid::InterfaceInfo& info() const override { return info_; }

    bool setFeature(std::span<const uint8_t> report, hid::Millis) override
    {
        const uint8_t c = k_.script.next();
        auto& s = k_.state;
        s = {};   // a command that did not get through leaves nothing for its answer to store
        if (c & 0x80)
            return false;
        check(report.size() == model::kCommandReportSize);
        std::copy(report.begin(), report.end(), s.report.begin());
        s.code = report[link::report::kCommand];
        const uint8_t p2 = report[2], p3 = report[3], p4 = report[4], p5 = report[5], p6 = report[6], p7 = report[7];
        // Writes the keyboard carries out at once, and the bulk writes it now waits for.
        switch (s.code) {
        case link::command::kSetReportRate: markWritten(k_, img::kReportRate, &p2, 1); break;
        case link::command::kSetResponseTime: markWritten(k_, img::kResponseTime, &p2, 1); break;
        case link::command::kSetGameMode: markWritten(k_, img::kGameMode, &p2, 1); break;
        case link::command::kWriteColour:
            if (p3 < img::kColourCount) {
                const uint8_t rgb[3] = {p4, p5, p6};
                markWritten(k_, img::colourEntry(p3), rgb, 3);
            }
            break;
        case link::command::kConfigWrite:
            if (p2 == link::command::kEndPhase) {
                const uint8_t lighting[5] = {p3, link::KeyboardSpeed(p4), p5, p6, p7};
                markWritten(k_, img::kEffect, lighting, 5);
            }
            break;
        case link::command::kWriteKeyMap: s.writeArea = img::kKeyCodeBlock, s.writesWanted = 8; break;
        case link::command::kWriteKeyEnable: s.writeArea = img::kKeyEnable, s.writesWanted = 1; break;
        case link::command::kWriteMacroBlock:
            if (p3 < img::kMacroBlockCount)
                s.writeArea = img::macroBlock(p3), s.writesWanted = 3;
            break;
        case link::command::kWriteLightMap:
            if (p3 < img::kLightMapCount)
                s.writeArea = img::lightMap(p3), s.writesWanted = 8;
            break;
        default: break;
        }
        // Reads answered with bulk input reports: how many come is the script's choice.
        std::size_t wanted = 0;
        switch (s.code) {
        case link::command::kWriteKeyMap | link::command::kReadBit: wanted = 8; break;
        case link::command::kWriteKeyEnable | link::command::kReadBit: wanted = 1; break;
        case link::command::kWriteMacroBlock | link::command::kReadBit:
            wanted = p3 < img::kMacroBlockCount ? 3 : 0;
            break;
        case link::command::kWriteLightMap | link::command::kReadBit: wanted = p3 < img::kLightMapCount ? 8 : 0; break;
        default: break;
        }
        if (wanted > 0) {
            s.bulkRead = true;
            s.readsWanted = wanted;
            std::size_t count = wanted;
            switch ((c >> 3) & 7) {
            case 1: count = 0; break;
            case 2: count = wanted - 1; break;
            case 3: count = wanted + 1; break;
            case 4: count = 1; break;
            default: break;
            }
            for (std::size_t i = 0; i < count; ++i) {
                // A length byte (0: a whole report), then the report's bytes.
                const uint8_t len = k_.script.next();
                std::vector<uint8_t> r(len == 0 ? model::kDataReportSize : 1 + len % model::kDataReportSize);
                k_.script.take(r.data(), r.size());
                k_.bulk.push_back(std::move(r));
            }
        }
        sendEvents(c);
        return true;
    }

    bool getFeature(std::span<uint8_t> report, hid::Millis) override
    {
        const uint8_t c = k_.script.next();
        if (c & 0x80)
            return false;
        check(report.size() == model::kCommandReportSize);
        k_.script.take(report.data() + 1, report.size() - 1);
        const auto& s = k_.state;
        const uint8_t* a = report.data();   // A0..A8
        // The areas a query-type read stores from this answer (when its command got through).
        switch (s.code) {
        case link::command::kConfigWrite | link::command::kReadBit: {
            const uint8_t lighting[5] = {a[3], link::KeyboardSpeed(a[4]), a[5], a[6], a[7]};
            markComplete(k_, img::kEffect, lighting, 5);
            break;
        }
        case link::command::kWriteColour | link::command::kReadBit:
            if (s.report[3] < img::kColourCount)
                markComplete(k_, img::colourEntry(s.report[3]), a + 4, 3);
            break;
        case link::command::kSetGameMode | link::command::kReadBit: markComplete(k_, img::kGameMode, a + 2, 1); break;
        case link::command::kSetReportRate | link::command::kReadBit:
            markComplete(k_, img::kReportRate, a + 2, 1);
            break;
        case link::command::kSetResponseTime | link::command::kReadBit:
            markComplete(k_, img::kResponseTime, a + 2, 1);
            break;
        default: break;
        }
        return true;
    }

    bool writeReport(std::span<const uint8_t> report, hid::Millis) override
    {
        const uint8_t c = k_.script.next();
        if (c & 0x80)
            return false;
        check(report.size() == model::kDataReportSize);
        auto& s = k_.state;
        if (s.writesWanted > 0) {
            s.writeData.insert(s.writeData.end(), report.begin() + 1, report.end());
            if (--s.writesWanted == 0) {
                const std::size_t size = areas()[*areaIndexAt(s.writeArea)].size;
                const std::size_t held = s.writeArea == img::kKeyEnable ? img::kKeyEnableSize : size;
                markWritten(k_, s.writeArea, s.writeData.data(), held);
            }
        }
        sendEvents(c);
        return true;
    }

    int readReport(std::span<uint8_t> buffer, hid::Millis) override
    {
        if (k_.bulk.empty())
            return 0;   // nothing came within the time-out
        const std::vector<uint8_t> r = std::move(k_.bulk.front());
        k_.bulk.pop_front();
        const std::size_t n = std::min(r.size(), buffer.size());
        std::copy_n(r.begin(), n, buffer.begin());
        auto& s = k_.state;
        if (s.bulkRead && s.readsDone < s.readsWanted) {
            // What the link keeps of it: the data bytes it holds, zeros where it is short.
            std::vector<uint8_t> data(model::kDataBytesPerReport, 0);
            for (std::size_t i = 1; i < n && i <= model::kDataBytesPerReport; ++i)
                data[i - 1] = r[i];
            s.readData.insert(s.readData.end(), data.begin(), data.end());
            if (++s.readsDone == s.readsWanted) {
                std::size_t area = 0;
                switch (s.code & ~link::command::kReadBit) {
                case link::command::kWriteKeyMap: area = img::kKeyCodeBlock; break;
                case link::command::kWriteKeyEnable: area = img::kKeyEnable; break;
                case link::command::kWriteMacroBlock: area = img::macroBlock(s.report[3]); break;
                case link::command::kWriteLightMap: area = img::lightMap(s.report[3]); break;
                }
                if (area == img::kKeyEnable) {
                    uint8_t bytes[img::kKeyEnableSize + 1];
                    std::memcpy(bytes, s.readData.data(), img::kKeyEnableSize);
                    bytes[img::kKeyEnableSize] = (bytes[0] & 0x02) ? 0 : 1;   // Win Lock from the bitmap
                    markComplete(k_, area, bytes, sizeof bytes);
                } else {
                    markComplete(k_, area, s.readData.data(), areas()[*areaIndexAt(area)].size);
                }
            }
        }
        return int(n);
    }

    void drainInput() override { k_.bulk.clear(); }
    void interruptRead() override {}

private:
    // Acknowledgements (none, one or two) and now and then another event report.
    void sendEvents(uint8_t c)
    {
        static constexpr int kAcks[4] = {1, 0, 1, 2};
        for (int i = 0; i < kAcks[c & 3]; ++i)
            pushEvent(k_, {link::eventReport::kReportId, link::eventReport::kAcknowledgement, 0, 0});
        if (c & 0x04) {
            std::array<uint8_t, 4> e{};
            k_.script.take(e.data(), e.size());
            pushEvent(k_, e);
        }
    }

    Keyboard& k_;
    hid::InterfaceInfo info_;
};

class EventDevice final : public hid::Device {
public:
    EventDevice(Keyboard& k, hid::InterfaceInfo info) : k_(k), info_(std::move(info)) {}
    const hid::InterfaceInfo& info() const override { return info_; }
    bool setFeature(std::span<const uint8_t>, hid::Millis) override { return false; }
    bool getFeature(std::span<uint8_t>, hid::Millis) override { return false; }
    bool writeReport(std::span<const uint8_t>, hid::Millis) override { return false; }

    int readReport(std::span<uint8_t> buffer, hid::Millis timeout) override
    {
        std::unique_lock lock(k_.mutex);
        k_.changed.wait_for(lock, timeout, [&] { return !k_.events.empty() || k_.interrupted; });
        if (k_.interrupted) {
            k_.interrupted = false;
            return 0;
        }
        if (k_.events.empty())
            return 0;
        const std::array<uint8_t, 4> e = k_.events.front();
        k_.events.pop_front();
        const std::size_t n = std::min(e.size(), buffer.size());
        std::copy_n(e.begin(), n, buffer.begin());
        return int(n);
    }

    void drainInput() override
    {
        std::lock_guard lock(k_.mutex);
        k_.events.clear();
    }

    void interruptRead() override
    {
        {
            std::lock_guard lock(k_.mutex);
            k_.interrupted = true;
        }
        k_.changed.notify_all();
    }

private:
    Keyboard& k_;
    hid::InterfaceInfo info_;
};

hid::InterfaceInfo commandInfo()
{
    hid::InterfaceInfo i;
    i.path = "fuzz:cmd";
    i.vendorId = hid::usb::kVendorId;
    i.productId = hid::usb::kKeyboardProducts[1];
    i.interfaceNumber = link::kCommandInterfaceNumber;
    i.collections.push_back({0xFF01, 1, {}, {}, {}});
    return i;
}

hid::InterfaceInfo eventInfo()
{
    hid::InterfaceInfo i;
    i.path = "fuzz:evt";
    i.vendorId = hid::usb::kVendorId;
    i.productId = hid::usb::kKeyboardProducts[1];
    i.interfaceNumber = 1;
    i.collections.push_back({0xFF00, 1, {link::kEventReportId}, {}, {}});
    return i;
}

class Backend final : public hid::Backend {
public:
    explicit Backend(Keyboard& k) : k_(k) {}
    std::vector<hid::InterfaceInfo> enumerate() override { return {commandInfo(), eventInfo()}; }
    std::unique_ptr<hid::Device> open(const std::string& path) override
    {
        if (path == "fuzz:cmd")
            return std::make_unique<CommandDevice>(k_, commandInfo());
        if (path == "fuzz:evt")
            return std::make_unique<EventDevice>(k_, eventInfo());
        return nullptr;
    }
    std::unique_ptr<hotplug::Monitor> createMonitor() override { return nullptr; }

private:
    Keyboard& k_;
};

class NoSleep final : public link::Sleeper {
public:
    void sleep(int) override {}
    void yield() override {}
};

class Observer final : public link::LinkObserver {
public:
    explicit Observer(const link::KeyExtTable& records) : records_(records) {}
    void hideMainWindow() override { hidden = true; }
    void setSlidersFromImage(uint8_t, uint8_t, uint8_t) override {}
    void configurationLoaded(int) override { ++loaded; }
    void keyboardReadFailed() override { ++failed; }
    // A host-action key with whatever code the keyboard sent: the window looks up its record.
    void keyNotification(uint8_t code) override { (void)keymap::findLaunchRecord(records_, code); }
    void deviceNotificationRegistrationFailed() override {}
    bool hidden = false;
    int loaded = 0, failed = 0;

private:
    const link::KeyExtTable& records_;
};

// Every area either as it was or as a complete read gave it; nothing outside the areas changes.
void checkRead(const Keyboard& k, const ConfigImage& before, const ConfigImage& after)
{
    ConfigImage outside = after;
    for (std::size_t i = 0; i < areas().size(); ++i) {
        const Area a = areas()[i];
        check(sameArea(after, before, a) || (k.complete[i] && sameArea(after, k.candidate, a)));
        std::memcpy(outside.data() + a.offset, before.data() + a.offset, a.size);
    }
    check(outside == before);
}

void startOperation(Keyboard& k)
{
    k.complete.assign(areas().size(), false);
    k.written.assign(areas().size(), false);
    k.state = {};
}

}   // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    constexpr std::size_t kHeader = 9;
    if (size < kHeader)
        return 0;
    Keyboard k(Script(data + kHeader, size - kHeader));
    startOperation(k);
    Backend backend(k);
    NoSleep sleeper;
    auto records = std::make_unique<link::KeyExtTable>();
    Observer observer(*records);
    auto kl = std::make_unique<link::KeyboardLink>(backend, observer, sleeper);
    kl->setAckTimeout(hid::Millis(10));
    link::ConfigStore& store = kl->store();
    for (std::size_t i = 0; i < store.image().size(); ++i)
        store.image()[i] = uint8_t(i * 7 + 3);
    store.CopyWorkingToShadow();

    // Start-up: both interfaces, the reader and the read-all on the link thread.
    ConfigImage before = store.image();
    kl->StartUp();
    check(kl->commandOpen() && kl->eventOpen());
    kl->WaitForStartupRead();
    checkRead(k, before, store.image());
    check(observer.loaded + observer.failed == 1);
    const bool startupComplete = observer.loaded == 1;
    // The shadow follows only a complete read.
    check(store.shadowImage() == (startupComplete ? store.image() : before));

    // A refresh, or a factory reset and its refresh, on this thread.
    startOperation(k);
    before = store.image();
    if (data[0] & 1)
        (void)kl->FactoryResetKeyboard();
    else
        (void)kl->RefreshFromKeyboard();
    checkRead(k, before, store.image());

    // An edit of the chosen areas, then Save.
    startOperation(k);
    for (std::size_t i = 0; i < areas().size() && i < 56; ++i)
        if (data[1 + i / 8] & (1u << (i % 8))) {
            const Area a = areas()[i];
            for (std::size_t j = 0; j < a.size; ++j)
                store.image()[a.offset + j] ^= uint8_t(data[8] | 1);
        }
    const ConfigImage shadowBefore = store.shadowImage();
    ConfigImage sent = store.image();
    link::ApplyWinLockRule(sent);
    const link::ChangedAreas changed = link::DetectChanges(sent, shadowBefore);
    const link::UploadResult result = kl->UploadChanges();
    check(store.image() == sent);
    if (result == link::UploadResult::Uploaded) {
        check(changed.any() && store.shadowImage() == sent);
        // Every area the upload had to send is on the keyboard as it was sent.
        const auto on = [&](std::size_t offset, std::size_t n) {
            const std::optional<std::size_t> i = areaIndexAt(offset);
            check(k.written[*i] && std::memcmp(k.memory.data() + offset, sent.data() + offset, n) == 0);
        };
        on(img::kEffect, img::kLightingSize);   // the end report always carries the lighting
        if (changed.colours)
            for (std::size_t i = 0; i < img::kColourCount; ++i)
                on(img::colourEntry(i), img::kColourEntrySize);
        if (changed.gameMode)
            on(img::kGameMode, 1);
        if (changed.reportRate)
            on(img::kReportRate, 1);
        if (changed.responseTime)
            on(img::kResponseTime, 1);
        if (changed.keyMap)
            on(img::kKeyCodeBlock, img::kKeyCodeBlockSize);
        if (changed.keyEnable)
            on(img::kKeyEnable, img::kKeyEnableSize);
        for (std::size_t b = 0; b < img::kMacroBlockCount; ++b)
            if (changed.macroBlocks[b])
                on(img::macroBlock(b), img::kMacroBlockSize);
        for (std::size_t m = 0; m < img::kLightMapCount; ++m)
            if (changed.lightMaps[m])
                on(img::lightMap(m), img::kLightMapSize);
    } else {
        check(store.shadowImage() == shadowBefore);
        check(result != link::UploadResult::NothingToSend || !changed.any());
        check(result != link::UploadResult::NoKeyboard);
    }
    kl->Close();
    return 0;
}
