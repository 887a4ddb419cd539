#include "platform/hidraw/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <utility>

namespace orvane::hidraw {
namespace {

// Short item prefix: bits 0-1 data size (3 means 4 bytes), bits 2-3 type, bits 4-7 tag.
constexpr uint8_t kSizeMask = 0x03;
constexpr uint8_t kTypeShift = 2;
constexpr uint8_t kTypeMask = 0x03;
constexpr uint8_t kTagShift = 4;
constexpr uint8_t kLongItemPrefix = 0xFE;   // then data size, long tag, data
constexpr std::size_t kLongItemHeader = 3;
constexpr std::array<std::size_t, 4> kShortDataSize{0, 1, 2, 4};

enum ItemType : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2, kReserved = 3 };

enum MainTag : uint8_t { kInput = 0x8, kOutput = 0x9, kCollection = 0xA, kFeature = 0xB, kEndCollection = 0xC };
enum GlobalTag : uint8_t {
    kUsagePage = 0x0,
    kReportSizeTag = 0x7,
    kReportIdTag = 0x8,
    kReportCountTag = 0x9,
    kPush = 0xA,
    kPop = 0xB,
};
enum LocalTag : uint8_t { kUsage = 0x0, kUsageMinimum = 0x1 };

// Push beyond this depth is refused (real descriptors use one or two levels).
constexpr std::size_t kMaxGlobalStack = 32;

struct Item {
    uint8_t type = 0;
    uint8_t tag = 0;
    std::size_t dataSize = 0;
    uint32_t data = 0;   // little-endian, zero-extended
};

struct Globals {
    uint16_t usagePage = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

// The usage a collection item takes: the first Usage (or Usage Minimum) of its
// local items. A 4-byte usage carries its own page in the high half.
struct PendingUsage {
    uint32_t value = 0;
    std::size_t dataSize = 0;
};

class Parser {
public:
    explicit Parser(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    ParsedDescriptor run()
    {
        while (pos_ < bytes_.size() && result_.problem.empty()) {
            std::optional<Item> item = nextItem();
            if (!item)
                break;
            apply(*item);
        }
        if (result_.problem.empty() && depth_ != 0)
            result_.problem = "descriptor ends inside an open collection";
        finish();
        return std::move(result_);
    }

private:
    void fail(const char* why)
    {
        if (result_.problem.empty())
            result_.problem = why;
    }

    std::optional<Item> nextItem()
    {
        const std::size_t left = bytes_.size() - pos_;
        const uint8_t prefix = bytes_[pos_];
        if (prefix == kLongItemPrefix) {
            // Long items carry no meaning for collections or reports: skip them whole.
            if (left < kLongItemHeader || left - kLongItemHeader < bytes_[pos_ + 1]) {
                fail("truncated long item");
                return std::nullopt;
            }
            pos_ += kLongItemHeader + bytes_[pos_ + 1];
            return Item{kReserved, 0, 0, 0};
        }
        Item item;
        item.type = (prefix >> kTypeShift) & kTypeMask;
        item.tag = prefix >> kTagShift;
        item.dataSize = kShortDataSize[prefix & kSizeMask];
        if (left - 1 < item.dataSize) {
            fail("truncated short item");
            return std::nullopt;
        }
        for (std::size_t i = 0; i < item.dataSize; ++i)
            item.data |= uint32_t{bytes_[pos_ + 1 + i]} << (8 * i);
        pos_ += 1 + item.dataSize;
        return item;
    }

    void apply(const Item& item)
    {
        switch (item.type) {
        case kMain: applyMain(item); break;
        case kGlobal: applyGlobal(item); break;
        case kLocal: applyLocal(item); break;
        default: break;
        }
    }

    void applyMain(const Item& item)
    {
        switch (item.tag) {
        case kInput: addReport(ReportKind::Input); break;
        case kOutput: addReport(ReportKind::Output); break;
        case kFeature: addReport(ReportKind::Feature); break;
        case kCollection: openCollection(); break;
        case kEndCollection: closeCollection(); break;
        default: break;   // reserved main tags (a trailing 0x00 byte among them) carry nothing
        }
        usage_.reset();   // local items last until the next main item
    }

    void applyGlobal(const Item& item)
    {
        switch (item.tag) {
        case kUsagePage: globals_.usagePage = static_cast<uint16_t>(item.data); break;
        case kReportSizeTag: globals_.reportSize = item.data; break;
        case kReportCountTag: globals_.reportCount = item.data; break;
        case kReportIdTag:
            if (item.data == 0 || item.data > 0xFF)
                fail("report id out of range");
            else
                globals_.reportId = static_cast<uint8_t>(item.data);
            break;
        case kPush:
            if (stack_.size() >= kMaxGlobalStack)
                fail("push nested too deeply");
            else
                stack_.push_back(globals_);
            break;
        case kPop:
            if (stack_.empty()) {
                fail("pop without push");
            } else {
                globals_ = stack_.back();
                stack_.pop_back();
            }
            break;
        default: break;
        }
    }

    void applyLocal(const Item& item)
    {
        if ((item.tag == kUsage || item.tag == kUsageMinimum) && !usage_)
            usage_ = PendingUsage{item.data, item.dataSize};
    }

    void openCollection()
    {
        if (depth_++ != 0) {
            ++result_.nestedCollections;
            return;
        }
        hid::TopLevelCollection tlc;
        tlc.usagePage = globals_.usagePage;
        if (usage_) {
            tlc.usage = static_cast<uint16_t>(usage_->value);
            if (usage_->dataSize == 4)
                tlc.usagePage = static_cast<uint16_t>(usage_->value >> 16);
        }
        result_.collections.push_back(std::move(tlc));
    }

    void closeCollection()
    {
        if (depth_ == 0)
            fail("end collection without collection");
        else
            --depth_;
    }

    void addReport(ReportKind kind)
    {
        const uint64_t bits = uint64_t{globals_.reportSize} * globals_.reportCount;
        uint64_t& total = sizes_[{kind, globals_.reportId}];
        total = std::min<uint64_t>(total + bits, UINT64_MAX / 2);   // counts are 32-bit: no wrap
        if (depth_ == 0 || globals_.reportId == 0 || result_.collections.empty())
            return;
        idsOf(result_.collections.back(), kind).push_back(globals_.reportId);
    }

    static std::vector<uint8_t>& idsOf(hid::TopLevelCollection& tlc, ReportKind kind)
    {
        switch (kind) {
        case ReportKind::Input: return tlc.inputReportIds;
        case ReportKind::Output: return tlc.outputReportIds;
        case ReportKind::Feature: break;
        }
        return tlc.featureReportIds;
    }

    void finish()
    {
        for (hid::TopLevelCollection& tlc : result_.collections)
            for (ReportKind kind : {ReportKind::Input, ReportKind::Output, ReportKind::Feature}) {
                std::vector<uint8_t>& ids = idsOf(tlc, kind);
                std::sort(ids.begin(), ids.end());
                ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
            }
        for (const auto& [key, bits] : sizes_)
            result_.reports.push_back(ReportSize{key.first, key.second, bits});
    }

    std::span<const uint8_t> bytes_;
    std::size_t pos_ = 0;
    std::size_t depth_ = 0;
    Globals globals_;
    std::vector<Globals> stack_;
    std::optional<PendingUsage> usage_;
    std::map<std::pair<ReportKind, uint8_t>, uint64_t> sizes_;
    ParsedDescriptor result_;
};

}   // namespace

ParsedDescriptor parseReportDescriptor(std::span<const uint8_t> bytes)
{
    return Parser(bytes).run();
}

}   // namespace orvane::hidraw
