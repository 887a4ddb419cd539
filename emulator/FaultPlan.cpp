#include "emulator/FaultPlan.h"

#include <array>
#include <charconv>
#include <limits>

namespace orvane::hid {
namespace {

struct KindName {
    std::string_view name;
    FaultKind kind;
};
constexpr std::array<KindName, 7> kKinds{{
    {"sf-fail", FaultKind::SetFeatureFail},
    {"gf-fail", FaultKind::GetFeatureFail},
    {"read-stall", FaultKind::ReadStall},
    {"write-fail", FaultKind::WriteFail},
    {"no-ack", FaultKind::NoAck},
    {"unplug", FaultKind::Unplug},
    {"host-key", FaultKind::HostKey},
}};

// Ordinals beyond this are surely a typing mistake (and keep N + C from overflowing).
constexpr uint64_t kLargest = std::numeric_limits<uint32_t>::max();

// A plain decimal number: digits only, no sign, no leading blanks.
std::optional<uint64_t> number(std::string_view text)
{
    uint64_t value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    const auto [at, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || at != end || value > kLargest)
        return std::nullopt;
    return value;
}

// Parses one item; empty `why` on success.
FaultItem parseItem(std::string_view item, std::string& why)
{
    FaultItem f{FaultKind::SetFeatureFail};
    const std::size_t at = item.find('@');
    if (at == std::string_view::npos)
        return why = "KIND@N expected", f;
    const std::string_view kind = item.substr(0, at);
    bool known = false;
    for (const KindName& k : kKinds)
        if (k.name == kind)
            f.kind = k.kind, known = true;
    if (!known)
        return why = "unknown kind \"" + std::string(kind) +
                   "\" (sf-fail, gf-fail, read-stall, write-fail, no-ack, unplug, host-key)",
               f;
    std::string_view rest = item.substr(at + 1);
    const std::size_t x = rest.find('x');
    const std::optional<uint64_t> n = number(rest.substr(0, x));
    if (!n || *n == 0)
        return why = "N must be a whole number from 1", f;
    f.first = *n;
    if (f.kind == FaultKind::HostKey)
        f.count = 1;   // key 1 unless named
    if (x == std::string_view::npos)
        return f;
    const std::string_view c = rest.substr(x + 1);
    f.countGiven = true;
    if (c == "*") {
        if (f.kind == FaultKind::HostKey)
            return why = "host-key names one key: C is its index 0..112", f;
        f.count = std::nullopt;
        return f;
    }
    const std::optional<uint64_t> count = number(c);
    if (f.kind == FaultKind::HostKey) {
        if (!count || *count >= kFaultKeyCount)
            return why = "host-key names one key: C is its index 0..112", f;
    } else if (!count || *count == 0) {
        return why = f.kind == FaultKind::Unplug ? "C must be the milliseconds until the keyboard comes back, from 1"
                                                 : "C must be a whole number from 1 or *",
               f;
    }
    f.count = count;
    return f;
}

}   // namespace

std::optional<FaultPlan> FaultPlan::parse(std::string_view text, std::string& error)
{
    FaultPlan plan;
    if (text.empty())
        return plan;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        const std::string_view item = text.substr(from, comma == std::string_view::npos ? text.npos : comma - from);
        std::string why;
        const FaultItem f = item.empty() ? FaultItem{} : parseItem(item, why);
        if (item.empty())
            why = "empty item";
        if (!why.empty()) {
            error = "ORVANE_EMULATOR_FAULTS: item \"" + std::string(item) + "\" is malformed: " + why;
            return std::nullopt;
        }
        plan.items_.push_back(f);
        if (comma == std::string_view::npos)
            return plan;
        from = comma + 1;
    }
}

bool FaultPlan::hits(FaultKind kind, uint64_t ordinal) const
{
    for (const FaultItem& f : items_)
        if (f.kind == kind && ordinal >= f.first && (!f.count || ordinal - f.first < *f.count))
            return true;
    return false;
}

std::vector<FaultItem> FaultPlan::dueAfter(uint64_t transfer) const
{
    std::vector<FaultItem> due;
    for (const FaultItem& f : items_)
        if ((f.kind == FaultKind::Unplug || f.kind == FaultKind::HostKey) && f.first == transfer)
            due.push_back(f);
    return due;
}

}   // namespace orvane::hid
