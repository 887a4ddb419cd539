// The shipped udev rule grants the seat's user access to exactly the keyboard's ids.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

namespace {

TEST(UdevRule, TagsEveryProductOfTheKeyboardForTheSeatUser)
{
    const char* source = std::getenv("ORVANE_SOURCE_DIR");
    if (!source)
        GTEST_SKIP() << "ORVANE_SOURCE_DIR not set";
    const std::string name = "60-qx410-orvane.rules";
    EXPECT_LT(name, std::string("73-seat-late.rules")) << "uaccess is applied by 73-seat-late.rules";
    std::ifstream in(std::string(source) + "/data/" + name);
    ASSERT_TRUE(in) << "data/" << name;

    const std::string head = R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="04d9", ATTRS{idProduct}==")";
    const std::string tail = R"(", TAG+="uaccess")";
    std::set<std::string> products;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        ASSERT_EQ(line.size(), head.size() + 4 + tail.size()) << line;
        ASSERT_EQ(line.substr(0, head.size()), head) << line;
        ASSERT_EQ(line.substr(head.size() + 4), tail) << line;
        const std::string product = line.substr(head.size(), 4);
        EXPECT_EQ(product.find_first_not_of("0123456789abcdef"), std::string::npos) << line;
        products.insert(product);
        EXPECT_EQ(line.find("MODE"), std::string::npos) << "access goes to the seat's user, not to everyone";
    }
    EXPECT_EQ(products, (std::set<std::string>{"0001", "a12c", "a129", "a125"}));
}

} // namespace
