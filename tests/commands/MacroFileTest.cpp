// orvanectl's macro files: what import accepts, export writes back unchanged.

#include "commands/MacroFile.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

macro::MacroRecord imported(const std::string& json, const commands::KeyNames& names)
{
    macro::MacroRecord record{};
    const std::string error = commands::macroFromJson(std::vector<uint8_t>(json.begin(), json.end()), names, record);
    EXPECT_EQ(error, "") << json;
    return record;
}

TEST(MacroFileTest, ExportThenImportGivesTheSameRecord)
{
    const commands::KeyNames names;
    const char* cases[] = {
        R"({"name":"Plain","loops":1,"events":[{"key":"A","action":"press"},{"key":"A","action":"release"}]})",
        R"({"name":"Delays","loops":3,"events":[{"key":"H","action":"press"},
            {"key":"H","action":"release","delay_ms":30},{"key":"F5","action":"press","delay_ms":60000},
            {"key":"F5","action":"release","delay_ms":2}]})",
        // 1 ms is the format's "no delay": stored, and exported, as none.
        R"({"name":"One ms","loops":2,"events":[{"key":"A","action":"press"},{"key":"A","action":"release","delay_ms":1}]})",
    };
    for (const char* json : cases) {
        const macro::MacroRecord record = imported(json, names);
        macro::MacroStore::Records records(macro::kMacroRecordCount);
        records[0] = record;
        const std::vector<commands::MacroEntry> described = commands::describeMacros(records, names);
        ASSERT_FALSE(described.empty()) << json;
        EXPECT_EQ(imported(commands::macroJson(described.front(), false), names), record) << json;
    }
}

}   // namespace
