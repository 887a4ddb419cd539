// libFuzzer target: what a user or a script hands orvanectl. The first byte picks the input:
//   even: a command line, the rest split into arguments at each zero byte;
//   odd:  a macro file for `macro import`.
// A command line parses or is refused with a message, never both. A macro file the import accepts
// is exported and imported again to the very same record, which always fits the 190 event bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "commands/Arguments.h"
#include "commands/KeyNames.h"
#include "commands/MacroFile.h"
#include "commands/Report.h"
#include "tests/fuzz/FuzzSupport.h"

using orvane::fuzz::check;
using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const commands::KeyNames names;
    if ((data[0] & 1) == 0) {
        std::vector<std::string> args(1);
        for (std::size_t i = 1; i < size; ++i) {
            if (data[i] == 0)
                args.emplace_back();
            else
                args.back() += char(data[i]);
        }
        const commands::ParseResult parsed = commands::parseArguments(args, "/tmp");
        check(parsed.invocation.has_value() != !parsed.error.empty());
        return 0;
    }
    macro::MacroRecord record{};
    if (!commands::macroFromJson(std::vector<uint8_t>(data + 1, data + size), names, record).empty())
        return 0;
    macro::MacroStore::Records records(macro::kMacroRecordCount);
    records[0] = record;
    const std::vector<commands::MacroEntry> described = commands::describeMacros(records, names);
    check(!described.empty());
    const std::string exported = commands::macroJson(described.front(), false);
    macro::MacroRecord again{};
    check(commands::macroFromJson(std::vector<uint8_t>(exported.begin(), exported.end()), names, again).empty());
    check(again == record);
    return 0;
}
