// The report-descriptor parser on hand-written descriptors (one trap each) and
// on the real descriptors of the reference data.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "platform/hidraw/ReportDescriptor.h"
#include "tests/support/Hex.h"

namespace orvane::hidraw {
namespace {

using orvane::test::hexBytes;
using Ids = std::vector<uint8_t>;

struct Tlc {
    uint16_t page;
    uint16_t usage;
    Ids in, out, feature;
};

struct DescriptorCase {
    const char* name;
    std::string bytes;
    std::vector<Tlc> collections;
    std::size_t nested = 0;
    bool wellFormed = true;
};

std::string repeat(const char* item, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i)
        s += std::string(item) + " ";
    return s;
}

// The keyboard's two interfaces as the emulator describes them.
const char* const kCommandInterface =
    "06 01 ff 09 01 a1 01 15 00 26 ff 00 75 08 95 40 81 02 95 40 91 02 95 08 b1 02 c0";
const char* const kEventInterface = "05 01 09 06 a1 01 85 01 05 07 19 e0 29 e7 15 00 25 01 75 01 95 08 81 02 c0 "
                                    "06 00 ff 09 01 a1 01 85 04 75 08 95 03 81 02 c0";

const std::vector<DescriptorCase> kCases = {
    {"VendorCommandInterfaceWithoutIds", kCommandInterface, {{0xFF01, 1, {}, {}, {}}}},
    {"TwoTopLevelCollectionsWithIds", kEventInterface, {{0x0001, 6, {1}, {}, {}}, {0xFF00, 1, {4}, {}, {}}}},
    {"TrailingZeroByteIsIgnored",
     std::string(kEventInterface) + " 00",
     {{0x0001, 6, {1}, {}, {}}, {0xFF00, 1, {4}, {}, {}}}},
    {"SeveralIdsAndANestedCollection",
     "05 0c 09 01 a1 01 85 03 09 e9 a1 02 85 02 75 08 95 01 81 02 c0 85 03 81 02 "
     "85 05 b1 02 85 07 91 02 c0",
     {{0x000C, 1, {2, 3}, {7}, {5}}},
     1},
    {"DuplicateIdsAreListedOnceInOrder",
     "06 00 ff 09 01 a1 01 85 09 81 02 85 04 81 02 85 09 81 02 c0",
     {{0xFF00, 1, {4, 9}, {}, {}}}},
    {"PopRestoresTheUsagePage",
     "05 01 a4 06 00 ff 09 01 a1 01 85 01 75 08 95 01 81 02 c0 b4 09 02 a1 01 85 02 81 02 c0",
     {{0xFF00, 1, {1}, {}, {}}, {0x0001, 2, {2}, {}, {}}}},
    {"LongItemsAreSkipped",
     "fe 03 42 aa bb cc 06 01 ff 09 01 a1 01 fe 00 10 75 08 95 01 81 02 c0",
     {{0xFF01, 1, {}, {}, {}}}},
    {"FourByteUsageCarriesItsPage", "05 01 0b 01 00 0c 00 a1 01 c0", {{0x000C, 1, {}, {}, {}}}},
    {"UsageBeforeUsagePage", "09 06 05 01 a1 01 c0", {{0x0001, 6, {}, {}, {}}}},
    {"LocalItemsEndAtTheMainItem",
     "06 00 ff 09 05 a1 01 c0 a1 01 c0",
     {{0xFF00, 5, {}, {}, {}}, {0xFF00, 0, {}, {}, {}}}},
    {"ReportsOutsideCollectionsBelongToNone",
     "85 02 81 02 06 00 ff 09 01 a1 01 85 04 81 02 c0",
     {{0xFF00, 1, {4}, {}, {}}}},
    {"IdWithoutReportIsNotListed", "06 00 ff 09 01 a1 01 85 04 c0", {{0xFF00, 1, {}, {}, {}}}},
    {"DeepNesting", "05 01 09 02 " + repeat("a1 00", 2000) + repeat("c0", 2000), {{0x0001, 2, {}, {}, {}}}, 1999},
    {"HugeCountsDoNotWrap",
     "06 00 ff 09 01 a1 01 85 01 75 ff 97 ff ff ff ff 81 02 81 02 c0",
     {{0xFF00, 1, {1}, {}, {}}}},
    {"TruncatedShortItem",
     "06 01 ff 09 01 a1 01 85 04 81 02 c0 05 01 09 06 a1 01 85",
     {{0xFF01, 1, {4}, {}, {}}, {0x0001, 6, {}, {}, {}}},
     0,
     false},
    {"TruncatedFourByteItem", "06 01 ff 09 01 a1 01 c0 97 ff ff", {{0xFF01, 1, {}, {}, {}}}, 0, false},
    {"TruncatedLongItem", "06 01 ff 09 01 a1 01 c0 fe 20 00 01 02", {{0xFF01, 1, {}, {}, {}}}, 0, false},
    {"LongItemHeaderCutShort", "06 01 ff 09 01 a1 01 c0 fe 20", {{0xFF01, 1, {}, {}, {}}}, 0, false},
    {"UnclosedCollection", "05 01 09 06 a1 01 85 01 81 02", {{0x0001, 6, {1}, {}, {}}}, 0, false},
    {"PopWithoutPush", "b4 05 01 09 02 a1 01 c0", {}, 0, false},
    {"EndCollectionWithoutCollection", "c0 05 01 09 02 a1 01 c0", {}, 0, false},
    {"ReportIdZeroIsRefused", "05 01 09 02 a1 01 85 00 81 02 c0", {{0x0001, 2, {}, {}, {}}}, 0, false},
    {"PushBeyondTheStackLimit", repeat("a4", 40) + " 05 01 09 02 a1 01 c0", {}, 0, false},
    {"Empty", "", {}},
};

class HandWritten : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(HandWritten, YieldsTheTopLevelCollections)
{
    const DescriptorCase& c = GetParam();
    const std::vector<uint8_t> bytes = hexBytes(c.bytes);
    const ParsedDescriptor parsed = parseReportDescriptor(bytes);
    ASSERT_EQ(parsed.collections.size(), c.collections.size());
    for (std::size_t i = 0; i < c.collections.size(); ++i) {
        SCOPED_TRACE("collection " + std::to_string(i));
        const hid::TopLevelCollection& got = parsed.collections[i];
        EXPECT_EQ(got.usagePage, c.collections[i].page);
        EXPECT_EQ(got.usage, c.collections[i].usage);
        EXPECT_EQ(got.inputReportIds, c.collections[i].in);
        EXPECT_EQ(got.outputReportIds, c.collections[i].out);
        EXPECT_EQ(got.featureReportIds, c.collections[i].feature);
    }
    EXPECT_EQ(parsed.nestedCollections, c.nested);
    EXPECT_EQ(parsed.problem.empty(), c.wellFormed) << parsed.problem;
}

INSTANTIATE_TEST_SUITE_P(ReportDescriptor, HandWritten, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

uint64_t bitsOf(const ParsedDescriptor& d, ReportKind kind, uint8_t id)
{
    for (const ReportSize& r : d.reports)
        if (r.kind == kind && r.reportId == id)
            return r.bits;
    return UINT64_MAX;
}

TEST(ReportDescriptor, SumsReportSizesPerReportAcrossPushAndPop)
{
    // Input id 1: 8 + 3x8 bits; the pushed size and count come back after the pop.
    const auto bytes = hexBytes("06 00 ff 09 01 a1 01 85 01 75 08 95 01 81 02 a4 75 01 95 10 85 02 81 02 b4 "
                                "95 03 85 01 81 02 91 02 c0");
    const ParsedDescriptor d = parseReportDescriptor(bytes);
    EXPECT_EQ(bitsOf(d, ReportKind::Input, 1), 32u);
    EXPECT_EQ(bitsOf(d, ReportKind::Input, 2), 16u);
    EXPECT_EQ(bitsOf(d, ReportKind::Output, 1), 24u);
    EXPECT_EQ(bitsOf(d, ReportKind::Feature, 1), UINT64_MAX);
    const auto huge = hexBytes("06 00 ff 09 01 a1 01 75 ff 97 ff ff ff ff 81 02 c0");
    EXPECT_EQ(bitsOf(parseReportDescriptor(huge), ReportKind::Input, 0), 255ull * 0xFFFFFFFFull);
}

TEST(ReportDescriptor, NeverReadsPastAnyPrefixOfARealDescriptor)
{
    // Every cut of a descriptor ends somewhere inside an item; ASan checks the reads.
    const auto full = hexBytes(std::string(kEventInterface) + " fe 04 01 11 22 33 44 97 01 00 00 00");
    for (std::size_t n = 0; n <= full.size(); ++n) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        const ParsedDescriptor d = parseReportDescriptor(cut);
        EXPECT_LE(d.collections.size(), 2u);
    }
}

// ---- The real descriptors of the reference data, against their sidecars. ----

struct Sidecar {
    std::vector<Tlc> collections;
    std::map<std::pair<ReportKind, int>, uint64_t> sizes;   // id -1: "(no ID)"
};

Ids idList(const std::string& text)
{
    Ids ids;
    static const std::regex id("0x([0-9A-Fa-f]{2}) \\(");
    for (std::sregex_iterator it(text.begin(), text.end(), id), end; it != end; ++it)
        ids.push_back(static_cast<uint8_t>(std::stoi((*it)[1].str(), nullptr, 16)));
    return ids;
}

ReportKind kindOf(const std::string& word)
{
    return word == "input" ? ReportKind::Input : word == "output" ? ReportKind::Output : ReportKind::Feature;
}

Sidecar readSidecar(const std::filesystem::path& path)
{
    static const std::regex tlc("^TLC \\d+: usage page 0x([0-9A-F]{4}).*, usage 0x([0-9A-F]{4})");
    static const std::regex ids("^    (input|output|feature) report IDs: (.*)$");
    static const std::regex size("^    (input|output|feature) report (0x([0-9A-F]{2})|\\(no ID\\)): (\\d+) bits");
    Sidecar s;
    std::ifstream in(path);
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
        if (std::regex_search(line, m, tlc)) {
            s.collections.push_back({static_cast<uint16_t>(std::stoi(m[1].str(), nullptr, 16)),
                                     static_cast<uint16_t>(std::stoi(m[2].str(), nullptr, 16)),
                                     {},
                                     {},
                                     {}});
        } else if (std::regex_search(line, m, ids) && !s.collections.empty()) {
            Tlc& t = s.collections.back();
            (m[1] == "input" ? t.in : m[1] == "output" ? t.out : t.feature) = idList(m[2].str());
        } else if (std::regex_search(line, m, size)) {
            const int id = m[3].matched ? std::stoi(m[3].str(), nullptr, 16) : -1;
            s.sizes[{kindOf(m[1].str()), id}] = std::stoull(m[4].str());
        }
    }
    return s;
}

std::vector<uint8_t> readHexFile(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return hexBytes(text.str());
}

TEST(ReportDescriptor, RealDescriptorsMatchTheirSidecars)
{
    const char* root = std::getenv("ORVANE_REFERENCE_DIR");
    const std::filesystem::path dir = root ? std::filesystem::path(root) / "descriptors" : std::filesystem::path();
    if (!root || !std::filesystem::is_directory(dir))
        GTEST_SKIP() << "reference descriptors not available";
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".hex")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        const Sidecar expected = readSidecar(std::filesystem::path(entry.path()).replace_extension(".txt"));
        ASSERT_FALSE(expected.collections.empty());
        const ParsedDescriptor parsed = parseReportDescriptor(readHexFile(entry.path()));
        EXPECT_TRUE(parsed.problem.empty()) << parsed.problem;
        ASSERT_EQ(parsed.collections.size(), expected.collections.size());
        for (std::size_t i = 0; i < parsed.collections.size(); ++i) {
            SCOPED_TRACE("TLC " + std::to_string(i + 1));
            EXPECT_EQ(parsed.collections[i].usagePage, expected.collections[i].page);
            EXPECT_EQ(parsed.collections[i].usage, expected.collections[i].usage);
            EXPECT_EQ(parsed.collections[i].inputReportIds, expected.collections[i].in);
            EXPECT_EQ(parsed.collections[i].outputReportIds, expected.collections[i].out);
            EXPECT_EQ(parsed.collections[i].featureReportIds, expected.collections[i].feature);
        }
        ASSERT_EQ(parsed.reports.size(), expected.sizes.size());
        for (const ReportSize& r : parsed.reports) {
            const int id = r.reportId == 0 ? -1 : r.reportId;
            EXPECT_EQ(r.bits, expected.sizes.at({r.kind, id})) << "report " << id;
        }
        ++checked;
    }
    EXPECT_GE(checked, 10);
}

}   // namespace
}   // namespace orvane::hidraw
