// libFuzzer target: the report-descriptor parser must never read past its input
// nor hand back collections that contradict what it parsed, whatever the bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/hidraw/ReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const orvane::hidraw::ParsedDescriptor parsed = orvane::hidraw::parseReportDescriptor({data, size});
    // Every collection item takes at least one byte.
    if (parsed.collections.size() + parsed.nestedCollections > size)
        std::abort();
    for (const orvane::hid::TopLevelCollection& c : parsed.collections)
        for (const auto* ids : {&c.inputReportIds, &c.outputReportIds, &c.featureReportIds})
            for (std::size_t i = 0; i < ids->size(); ++i)
                if ((*ids)[i] == 0 || (i > 0 && (*ids)[i - 1] >= (*ids)[i]))
                    std::abort();   // ids are 1..255, sorted, without duplicates
    return 0;
}
