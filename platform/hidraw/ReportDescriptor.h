#pragma once
// Our own HID report-descriptor parser: enough of the item grammar to list the
// top-level collections of an interface and the reports each one declares.
// Pure C++, no system headers; whatever the bytes, it never reads past the span.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/hid/Transport.h"

namespace orvane::hidraw {

enum class ReportKind : uint8_t { Input, Output, Feature };

// One report the descriptor declares: its id (0 when the descriptor declares no
// report ids) and its size in bits, the report id byte not counted.
struct ReportSize {
    ReportKind kind = ReportKind::Input;
    uint8_t reportId = 0;
    uint64_t bits = 0;
};

struct ParsedDescriptor {
    // Top-level collections in descriptor order; report id lists are sorted, without duplicates.
    std::vector<hid::TopLevelCollection> collections;
    // Reports in order of kind, then id.
    std::vector<ReportSize> reports;
    // Collections opened below the top level (they never appear in `collections`).
    std::size_t nestedCollections = 0;
    // Empty when the descriptor was well formed; otherwise the first problem met.
    // A malformed descriptor still yields what was parsed up to the fault.
    std::string problem;
};

ParsedDescriptor parseReportDescriptor(std::span<const uint8_t> bytes);

}   // namespace orvane::hidraw
