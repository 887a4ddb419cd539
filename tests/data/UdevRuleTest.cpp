// The shipped udev rule, data/*.rules, read as udev reads it: each product of the keyboard family
// (vendor 04d9) on subsystem hidraw is tagged "uaccess", nothing else is, no rule makes a node
// world-writable, and the file sorts before 73-seat-late.rules (which acts on the tag).
#include "tests/support/Folders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The keyboard family: the keyboard (0001, a12c) and its LCD variants (a129, a125). sysfs shows
// the ids in lower-case hex, and udev compares them as text.
const std::set<std::string> kFamily{"0001", "a12c", "a129", "a125"};

struct Token {
    std::string key;   // "SUBSYSTEM", "ATTRS{idVendor}", "TAG", "MODE", ...
    std::string op;    // "==", "!=", "=", "+=", "-=", ":="
    std::string value;
};
using Rule = std::vector<Token>;

// Splits the rules into rules (continued lines joined, comments and blank lines dropped) and each
// rule into its comma-separated KEY OP "VALUE" items; an item that is not of that form is a problem.
std::vector<Rule> parseRules(const std::string& text, std::vector<std::string>& problems)
{
    std::vector<std::string> lines;
    std::string pending;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t end = std::min(text.find('\n', from), text.size());
        std::string line = text.substr(from, end - from);
        from = end + 1;
        if (!line.empty() && line.back() == '\\') {
            pending += line.substr(0, line.size() - 1);
            continue;
        }
        lines.push_back(pending + line);
        pending.clear();
    }
    std::vector<Rule> rules;
    for (const std::string& line : lines) {
        std::size_t at = line.find_first_not_of(" \t");
        if (at == std::string::npos || line[at] == '#')
            continue;
        Rule rule;
        while (at < line.size()) {
            const std::size_t opAt = line.find_first_of("=!+-:", at);
            const std::size_t quote = line.find('"', opAt == std::string::npos ? line.size() : opAt);
            const std::size_t close = quote == std::string::npos ? std::string::npos : line.find('"', quote + 1);
            if (opAt == std::string::npos || close == std::string::npos) {
                problems.push_back("not a KEY OP \"VALUE\" item: " + line.substr(at));
                break;
            }
            std::string key = line.substr(at, opAt - at);
            key.erase(key.find_last_not_of(" \t") + 1);
            std::string op = line.substr(opAt, quote - opAt);
            op.erase(op.find_last_not_of(" \t") + 1);
            rule.push_back({key, op, line.substr(quote + 1, close - quote - 1)});
            at = line.find_first_not_of(" \t,", close + 1);
            if (at == std::string::npos)
                break;
        }
        rules.push_back(rule);
    }
    return rules;
}

std::optional<std::string> find(const Rule& rule, const std::string& key, const std::string& op)
{
    for (const Token& t : rule)
        if (t.key == key && t.op == op)
            return t.value;
    return std::nullopt;
}

// What is wrong with the rules for the keyboard family; empty when nothing is.
std::vector<std::string> ruleProblems(const std::string& text)
{
    std::vector<std::string> problems;
    std::set<std::string> tagged;
    for (const Rule& rule : parseRules(text, problems)) {
        for (const Token& t : rule)
            if (t.key == "MODE" && t.op != "==" && t.op != "!=") {
                const unsigned long mode = std::strtoul(t.value.c_str(), nullptr, 8);
                if (mode & 0002)
                    problems.push_back("world-writable MODE=\"" + t.value + "\"");
            }
        const std::optional<std::string> tag = find(rule, "TAG", "+=");
        if (!tag || *tag != "uaccess")
            continue;
        const auto subsystem = find(rule, "SUBSYSTEM", "==");
        const auto vendor = find(rule, "ATTRS{idVendor}", "==");
        const auto product = find(rule, "ATTRS{idProduct}", "==");
        if (subsystem != "hidraw" || vendor != "04d9" || !product || !kFamily.contains(*product)) {
            problems.push_back("uaccess for something else than one product of the keyboard family on hidraw: " +
                               subsystem.value_or("any subsystem") + " " + vendor.value_or("any vendor") + ":" +
                               product.value_or("any product"));
            continue;
        }
        tagged.insert(*product);
    }
    for (const std::string& product : kFamily)
        if (!tagged.contains(product))
            problems.push_back("04d9:" + product + " is not tagged uaccess on hidraw");
    return problems;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& l : lines)
        out += l + '\n';
    return out;
}

const std::string kHead = R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="04d9", ATTRS{idProduct}==")";
const std::string kTail = R"(", TAG+="uaccess")";
std::string family(const std::string& extra = {})
{
    std::string text;
    for (const std::string& p : kFamily)
        text += kHead + p + kTail + extra + '\n';
    return text;
}

TEST(UdevRule, TheShippedRuleTagsEachProductOfTheFamilyForTheSeatUserOnly)
{
    std::vector<fs::path> rules;
    for (const auto& e : fs::directory_iterator(orvane::test::sourceFolder() + "data"))
        if (e.path().extension() == ".rules")
            rules.push_back(e.path());
    ASSERT_EQ(rules.size(), 1u) << "one rule file in data/";
    const std::string name = rules[0].filename().string();
    EXPECT_LT(name, std::string("73-seat-late.rules")) << name << " must be read before the rule that acts on uaccess";

    std::ifstream in(rules[0]);
    ASSERT_TRUE(in) << rules[0];
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(ruleProblems(text), std::vector<std::string>{}) << joined(ruleProblems(text));
}

// The checks see a wrong rule.
TEST(UdevRule, ChecksFindWhatIsWrong)
{
    EXPECT_TRUE(ruleProblems(family()).empty()) << joined(ruleProblems(family()));
    EXPECT_TRUE(ruleProblems("# comment\n\n" + kHead + "0001\", \\\n  TAG+=\"uaccess\"\n" + kHead + "a12c" + kTail +
                             "\n" + kHead + "a129" + kTail + "\n" + kHead + "a125" + kTail + "\n")
                    .empty())
        << "a continued line is one rule";

    struct Case {
        const char* what;
        std::string text;
    };
    std::string upper = family();
    upper.replace(upper.find("a12c"), 4, "A12C");
    std::string noTag = family();
    noTag.replace(noTag.find("uaccess"), 7, "seat");
    std::string otherVendor = family();
    otherVendor.replace(otherVendor.find("04d9"), 4, "046d");
    std::string usb = family();
    usb.replace(usb.find("hidraw"), 6, "usb");
    const Case cases[] = {
        {"a product missing", family().substr(family().find('\n') + 1)},
        {"upper-case id (sysfs shows lower case)", upper},
        {"no uaccess tag", noTag},
        {"another vendor", otherVendor},
        {"another subsystem", usb},
        {"world-writable", family(R"(, MODE="0666")")},
        {"world-writable with :=", family(R"(, MODE:="0662")")},
        {"every hidraw node", family() + "SUBSYSTEM==\"hidraw\", TAG+=\"uaccess\"\n"},
        {"a broken item", family() + "SUBSYSTEM==\"hidraw\", TAG+=uaccess\n"},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(ruleProblems(c.text).empty()) << c.what << ":\n" << c.text;
    EXPECT_TRUE(ruleProblems(family(R"(, MODE="0660")")).empty()) << "a mode for owner and group only";
}

}   // namespace
