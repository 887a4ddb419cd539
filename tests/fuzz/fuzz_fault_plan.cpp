// libFuzzer target: ORVANE_EMULATOR_FAULTS text through the fault-plan parser. A plan it accepts
// must describe only what the grammar allows, and asking it about any ordinal must stay in bounds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "emulator/FaultPlan.h"
#include "tests/fuzz/FuzzSupport.h"

using orvane::fuzz::check;
using namespace orvane::hid;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const std::optional<FaultPlan> plan = FaultPlan::parse(text, error);
    if (!plan) {
        check(!error.empty());
        return 0;
    }
    // Every item is at least "k@1" and items are separated by commas.
    check(plan->items().size() <= (size + 1) / 4 + 1);
    check(plan->empty() == plan->items().empty());
    for (const FaultItem& item : plan->items()) {
        check(item.first >= 1);
        if (item.kind == FaultKind::HostKey)
            check(item.count && *item.count < kFaultKeyCount);
        else if (item.count)
            check(*item.count >= 1);
        // The first ordinal it names is hit (or due), the one before it is not.
        switch (item.kind) {
        case FaultKind::Unplug:
        case FaultKind::HostKey: {
            bool due = false;
            for (const FaultItem& d : plan->dueAfter(item.first))
                due = due || (d.kind == item.kind && d.first == item.first);
            check(due);
            break;
        }
        default: check(plan->hits(item.kind, item.first)); break;
        }
    }
    for (uint64_t ordinal : {uint64_t{0}, uint64_t{1}, uint64_t{2}, uint64_t{1} << 32, ~uint64_t{0}}) {
        for (FaultKind k : {FaultKind::SetFeatureFail, FaultKind::GetFeatureFail, FaultKind::ReadStall,
                            FaultKind::WriteFail, FaultKind::NoAck})
            (void)plan->hits(k, ordinal);
        (void)plan->dueAfter(ordinal);
    }
    return 0;
}
