#pragma once
// A keyboard reached through the transport interface, as the programs reach it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "emulator/Backend.h"
#include "tests/support/Folders.h"
#include "tests/support/Hex.h"

namespace orvane::hid::test {

using orvane::test::hex;
using orvane::test::TempFolder;

inline CommandReport command(uint8_t code, uint8_t p2 = 0, uint8_t p3 = 0, uint8_t p4 = 0, uint8_t p5 = 0,
                             uint8_t p6 = 0, uint8_t p7 = 0)
{
    CommandReport r{0, code, p2, p3, p4, p5, p6, p7, 0};
    r[8] = reportChecksum(r);
    return r;
}

inline DataReport dataReport(std::span<const uint8_t> bytes)
{
    DataReport r{};
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), 64), r.begin() + 1);
    return r;
}

// Removes a trace line's time column after checking its form (digits, '.', three digits).
inline std::string withoutTime(const std::string& line)
{
    const std::size_t space = line.find(' ');
    const std::size_t dot = line.find('.');
    const auto digits = [&](std::size_t from, std::size_t to) {
        return to > from &&
            std::all_of(line.begin() + from, line.begin() + to, [](char c) { return c >= '0' && c <= '9'; });
    };
    if (space == std::string::npos || dot == std::string::npos || space != dot + 4 || !digits(0, dot) ||
        !digits(dot + 1, space) || (line[0] == '0' && dot != 1))
        return "malformed: " + line;
    return line.substr(space + 1);
}

class EmulatorFixture : public ::testing::Test {
protected:
    void SetUp() override { openDevices(); }

    void openDevices()
    {
        cmd = backend->open(kEmulatorCommandPath);
        evt = backend->open(kEmulatorEventPath);
        ASSERT_TRUE(cmd && evt);
    }

    bool send(const CommandReport& r) { return cmd->setFeature(r); }
    CommandReport answer()
    {
        CommandReport a{};
        EXPECT_TRUE(cmd->getFeature(a));
        return a;
    }
    // Sends a command and fetches its answer, as the link does.
    CommandReport ask(const CommandReport& r)
    {
        EXPECT_TRUE(send(r));
        return answer();
    }
    void writeBulk(std::span<const uint8_t> bytes)
    {
        for (std::size_t at = 0; at < bytes.size(); at += 64)
            ASSERT_TRUE(cmd->writeReport(dataReport(bytes.subspan(at, std::min<std::size_t>(64, bytes.size() - at)))));
    }
    // Reads `reports` bulk input reports and returns their data bytes.
    std::vector<uint8_t> readBulk(int reports)
    {
        std::vector<uint8_t> data;
        for (int i = 0; i < reports; ++i) {
            DataReport r{};
            EXPECT_EQ(cmd->readReport(r, Millis(0)), 65) << "report " << i;
            data.insert(data.end(), r.begin() + 1, r.end());
        }
        return data;
    }
    // Events queued on the event interface now, each as hex.
    std::vector<std::string> events()
    {
        std::vector<std::string> out;
        std::array<uint8_t, 4> e{};
        while (evt->readReport(e, Millis(0)) == 4)
            out.push_back(hex(e));
        return out;
    }
    int acks()
    {
        int n = 0;
        for (const std::string& e : events())
            n += e == "04 04 00 00";
        return n;
    }

    std::shared_ptr<Emulator> emulator = Emulator::create();
    std::unique_ptr<Backend> backend = std::make_unique<EmulatorBackend>(emulator);
    std::unique_ptr<Device> cmd, evt;
};

}   // namespace orvane::hid::test
