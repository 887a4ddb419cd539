#include <gtest/gtest.h>

#include <cstdlib>

#include "emulator/Backend.h"
#include "platform/hid/Trace.h"
#include "tests/emulator/EmulatorFixture.h"

namespace orvane::hid::test {
namespace {

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_.empty() ? ::unsetenv(name_) : ::setenv(name_, old_.c_str(), 1); }

private:
    const char* name_;
    std::string old_;
};

TEST(BackendChoice, ValuesOfOrvaneHid)
{
    struct Case {
        const char* choice;
        bool made;
        bool emulated;
    };
    for (const Case& c : {Case{"", true, false}, Case{"hidraw", true, false}, Case{"emulator", true, true},
                          Case{"emulator:", false, false}, Case{"Emulator", false, false},
                          Case{"hidraw:x", false, false}, Case{"usb", false, false}}) {
        std::string error;
        std::unique_ptr<Backend> backend = createBackend(c.choice, error);
        EXPECT_EQ(backend != nullptr, c.made) << c.choice;
        EXPECT_EQ(!error.empty(), !c.made) << c.choice << ": " << error;
        if (backend) {
            EXPECT_EQ(emulatorOf(*backend) != nullptr, c.emulated) << c.choice;
        }
    }
}

TEST(BackendChoice, EnvironmentChoosesTheEmulatorWithFileAndTrace)
{
    TempFolder dir;
    const std::string state = dir.file("kb.state"), trace = dir.file("hid.trace");
    ScopedEnv hid("ORVANE_HID", ("emulator:" + state).c_str());
    ScopedEnv tracing("ORVANE_HID_TRACE", trace.c_str());
    std::string error;
    std::unique_ptr<Backend> backend = createBackendFromEnvironment(error);
    ASSERT_TRUE(backend) << error;
    ASSERT_TRUE(dynamic_cast<TraceBackend*>(backend.get()));
    std::shared_ptr<Emulator> emulator = emulatorOf(*backend);
    ASSERT_TRUE(emulator);
    EXPECT_EQ(emulator->statePath(), state);
    auto cmd = backend->open(kEmulatorCommandPath);
    ASSERT_TRUE(cmd->setFeature(command(0x01, 2)));
    const std::vector<uint8_t> traced = TempFolder::read(trace);
    std::string line(traced.begin(), traced.end());
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.back(), '\n');
    line.pop_back();
    EXPECT_EQ(withoutTime(line), "emulator:cmd SF 00 01 02 00 00 00 00 00 fc");
    EXPECT_EQ(TempFolder::read(state)[11], 2);
}

TEST(BackendChoice, FaultPlanFromTheEnvironment)
{
    ScopedEnv tracing("ORVANE_HID_TRACE", nullptr);
    {
        ScopedEnv hid("ORVANE_HID", "emulator");
        ScopedEnv faults("ORVANE_EMULATOR_FAULTS", "sf-fail@2");
        std::string error;
        std::unique_ptr<Backend> backend = createBackendFromEnvironment(error);
        ASSERT_TRUE(backend) << error;
        auto cmd = backend->open(kEmulatorCommandPath);
        EXPECT_TRUE(cmd->setFeature(command(0x81)));
        EXPECT_FALSE(cmd->setFeature(command(0x81))) << "the plan counts from the keyboard's creation";
        EXPECT_TRUE(cmd->setFeature(command(0x81)));
    }
    for (const char* choice : {"emulator", "hidraw"}) {
        ScopedEnv hid("ORVANE_HID", choice);
        ScopedEnv faults("ORVANE_EMULATOR_FAULTS", "no-ack@1x*,unplug@x3");
        std::string error;
        EXPECT_EQ(createBackendFromEnvironment(error), nullptr) << choice;
        EXPECT_NE(error.find("\"unplug@x3\""), std::string::npos) << error;
    }
}

TEST(BackendChoice, EnvironmentErrors)
{
    {
        ScopedEnv hid("ORVANE_HID", "bluetooth");
        std::string error;
        EXPECT_EQ(createBackendFromEnvironment(error), nullptr);
        EXPECT_NE(error.find("bluetooth"), std::string::npos) << error;
    }
    {
        ScopedEnv hid("ORVANE_HID", "emulator");
        ScopedEnv tracing("ORVANE_HID_TRACE", "/nonexistent-folder/hid.trace");
        std::string error;
        EXPECT_EQ(createBackendFromEnvironment(error), nullptr);
        EXPECT_NE(error.find("ORVANE_HID_TRACE"), std::string::npos) << error;
    }
    {
        ScopedEnv hid("ORVANE_HID", nullptr);
        ScopedEnv tracing("ORVANE_HID_TRACE", nullptr);
        std::string error;
        std::unique_ptr<Backend> backend = createBackendFromEnvironment(error);
        ASSERT_TRUE(backend);
        EXPECT_EQ(emulatorOf(*backend), nullptr) << "unset means real devices";
    }
}

}   // namespace
}   // namespace orvane::hid::test
