#pragma once
// The fault plan of the emulated keyboard (ORVANE_EMULATOR_FAULTS): the same faults
// the tests set through the emulator's C++ interface, written as text so that the
// real programs can be run against a misbehaving keyboard.
//
//   value = item { "," item }     item = KIND "@" N [ "x" C ]     (no blanks)
//
// N counts from 1: the ordinal, since the emulated keyboard was created, of the
// transfer of that kind on the command interface (for no-ack: of the
// acknowledgement that would be sent; for unplug and host-key: of the transfer of
// any kind after which the fault happens). C is how many in a row (default 1, "*"
// for all that follow); for unplug the milliseconds until the keyboard comes back
// (none: it stays away), for host-key the index of the key (0..112, default 1).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::hid {

enum class FaultKind {
    SetFeatureFail,   // sf-fail: the set-feature fails; nothing is stored, no answer prepared
    GetFeatureFail,   // gf-fail: the get-feature fails
    ReadStall,        // read-stall: the bulk input report never arrives (the read times out)
    WriteFail,        // write-fail: the bulk output report fails
    NoAck,            // no-ack: the acknowledgement is not sent
    Unplug,           // unplug: both interfaces leave after the transfer
    HostKey,          // host-key: the host-action event of a key is sent after the transfer
};

struct FaultItem {
    FaultKind kind;
    uint64_t first = 1;                  // N
    std::optional<uint64_t> count = 1;   // C; nullopt for "*"
    bool countGiven = false;             // C was written out
};

class FaultPlan {
public:
    // The plan, or nullopt with `error` naming the first malformed item. An empty
    // text is the empty plan.
    static std::optional<FaultPlan> parse(std::string_view text, std::string& error);

    bool empty() const { return items_.empty(); }
    const std::vector<FaultItem>& items() const { return items_; }

    // Whether the transfer (or acknowledgement) with this ordinal of a counted kind
    // (sf-fail, gf-fail, read-stall, write-fail, no-ack) is hit.
    bool hits(FaultKind kind, uint64_t ordinal) const;
    // The unplug and host-key items due after the transfer of any kind with this ordinal.
    std::vector<FaultItem> dueAfter(uint64_t transfer) const;

private:
    std::vector<FaultItem> items_;
};

// Key indexes a host-key item may name.
inline constexpr uint64_t kFaultKeyCount = 113;

}   // namespace orvane::hid
