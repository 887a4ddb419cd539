// Discovery on a fake sysfs tree laid out as the kernel does: the class entry is
// a symbolic link into the device tree, whose `device` link leads to the hid
// device below its USB interface.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/hidraw/Discovery.h"
#include "platform/hidraw/HidrawBackend.h"
#include "platform/hidraw/HidrawDevice.h"
#include "tests/support/Folders.h"
#include "tests/support/Hex.h"

namespace orvane::hidraw {
namespace {

namespace fs = std::filesystem;
using orvane::test::hexBytes;

const char* const kCommandDescriptor =
    "06 01 ff 09 01 a1 01 15 00 26 ff 00 75 08 95 40 81 02 95 40 91 02 95 08 b1 02 c0";
const char* const kEventDescriptor = "05 01 09 06 a1 01 85 01 05 07 19 e0 29 e7 15 00 25 01 75 01 95 08 81 02 c0 "
                                     "06 00 ff 09 01 a1 01 85 04 75 08 95 03 81 02 c0";
const char* const kMediaDescriptor = "05 0c 09 01 a1 01 85 03 75 10 95 01 81 00 c0";

void writeFile(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class FakeSysfs {
public:
    FakeSysfs()
    {
        fs::create_directories(root_ / "sys" / "class" / "hidraw");
        fs::create_directories(root_ / "dev");
    }

    std::string sys() const { return (root_ / "sys").string(); }
    std::string dev() const { return (root_ / "dev").string(); }

    // interfaceNumber -1: the hid device does not sit below a USB interface (bus 0005).
    fs::path addNode(int node, uint16_t vid, uint16_t pid, int interfaceNumber, const char* descriptor)
    {
        char name[64];
        const int bus = interfaceNumber < 0 ? 5 : 3;
        std::snprintf(name, sizeof name, "%04X:%04X:%04X.%04X", bus, vid, pid, node);
        fs::path parent = root_ / "sys" / "devices" / ("usb" + std::to_string(node)) / "1-1";
        if (interfaceNumber >= 0) {
            char iface[32];
            std::snprintf(iface, sizeof iface, "1-1:1.%d", interfaceNumber);
            parent /= iface;
            writeFile(parent / "uevent", "DEVTYPE=usb_interface\nDRIVER=usbhid\n");
            char number[16];
            std::snprintf(number, sizeof number, "%02x\n", interfaceNumber);
            writeFile(parent / "bInterfaceNumber", number);
        }
        const fs::path hidDevice = parent / name;
        char hidId[64];
        std::snprintf(hidId, sizeof hidId, "HID_ID=%04X:%08X:%08X\n", bus, vid, pid);
        writeFile(hidDevice / "uevent", std::string("DRIVER=hid-generic\n") + hidId + "HID_NAME=Test\n");
        const std::vector<uint8_t> bytes = hexBytes(descriptor);
        writeFile(hidDevice / "report_descriptor", std::string(bytes.begin(), bytes.end()));
        const std::string nodeName = "hidraw" + std::to_string(node);
        const fs::path nodeDir = hidDevice / "hidraw" / nodeName;
        fs::create_directories(nodeDir);
        fs::create_directory_symlink("../..", nodeDir / "device");
        fs::create_directory_symlink(nodeDir, root_ / "sys" / "class" / "hidraw" / nodeName);
        return hidDevice;
    }

private:
    orvane::test::TempFolder folder_{"hidraw-sysfs"};
    fs::path root_ = folder_.path();
};

struct Expected {
    std::string node;
    uint16_t vid;
    uint16_t pid;
    int interfaceNumber;
    std::size_t collections;
    bool numbered;
    bool eventReport;   // declares input report id 4
};

TEST(Discovery, ListsEveryNodeWithWhatTheLinkMatchesOn)
{
    FakeSysfs tree;
    tree.addNode(11, 0x04D9, 0x0001, 3, kCommandDescriptor);
    tree.addNode(10, 0x04D9, 0x0001, 1, kEventDescriptor);
    tree.addNode(3, 0x04D9, 0xA12C, 3, kCommandDescriptor);
    tree.addNode(2, 0x04D9, 0xA12C, 1, kEventDescriptor);
    tree.addNode(4, 0x04D9, 0xA12C, 2, kMediaDescriptor);    // third interface: no report id 4
    tree.addNode(5, 0x046D, 0xA12C, 1, kEventDescriptor);    // another vendor
    tree.addNode(7, 0x04D9, 0xA12C, -1, kEventDescriptor);   // not behind a USB interface
    // A node whose hid device has no HID_ID is left out; names that are not nodes are ignored.
    writeFile(tree.addNode(6, 0x04D9, 0xA12C, 3, kCommandDescriptor) / "uevent", "DRIVER=hid-generic\n");
    fs::create_directories(fs::path(tree.sys()) / "class" / "hidraw" / "hidrawX");

    const std::vector<Expected> expected = {
        {"hidraw2", 0x04D9, 0xA12C, 1, 2, true, true},    {"hidraw3", 0x04D9, 0xA12C, 3, 1, false, false},
        {"hidraw4", 0x04D9, 0xA12C, 2, 1, true, false},   {"hidraw5", 0x046D, 0xA12C, 1, 2, true, true},
        {"hidraw7", 0x04D9, 0xA12C, -1, 2, true, true},   {"hidraw10", 0x04D9, 0x0001, 1, 2, true, true},
        {"hidraw11", 0x04D9, 0x0001, 3, 1, false, false},
    };
    const std::vector<hid::InterfaceInfo> listed = discoverHidrawNodes(tree.sys(), tree.dev());
    ASSERT_EQ(listed.size(), expected.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        SCOPED_TRACE(expected[i].node);
        EXPECT_EQ(listed[i].path, tree.dev() + "/" + expected[i].node);
        EXPECT_EQ(listed[i].vendorId, expected[i].vid);
        EXPECT_EQ(listed[i].productId, expected[i].pid);
        EXPECT_EQ(listed[i].interfaceNumber, expected[i].interfaceNumber);
        EXPECT_EQ(listed[i].collections.size(), expected[i].collections);
        EXPECT_EQ(listed[i].numberedReports(), expected[i].numbered);
        EXPECT_EQ(listed[i].hasInputReport(4), expected[i].eventReport);
    }
    ASSERT_EQ(listed[1].collections.size(), 1u);
    EXPECT_EQ(listed[1].collections[0].usagePage, 0xFF01);
    EXPECT_EQ(listed[1].collections[0].usage, 1);
}

TEST(Discovery, MissingClassFolderListsNothing)
{
    EXPECT_TRUE(discoverHidrawNodes("/nonexistent-sysfs", "/dev").empty());
}

TEST(Discovery, HidIdLine)
{
    struct Case {
        const char* uevent;
        bool valid;
        uint16_t bus, vid, pid;
    };
    const Case cases[] = {
        {"DRIVER=hid-generic\nHID_ID=0003:000004D9:0000A12C\nHID_NAME=x\n", true, 3, 0x04D9, 0xA12C},
        {"HID_ID=0005:0000046d:0000b33a", true, 5, 0x046D, 0xB33A},
        {"HID_NAME=no ids\n", false, 0, 0, 0},
        {"HID_ID=0003:000004D9\n", false, 0, 0, 0},
        {"HID_ID=0003:000104D9:0000A12C\n", false, 0, 0, 0},   // vendor beyond 16 bits
        {"HID_ID=0003:00zz04D9:0000A12C\n", false, 0, 0, 0},
        {"HID_ID=0003::0000A12C\n", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.uevent);
        const std::optional<HidIds> ids = parseHidId(c.uevent);
        ASSERT_EQ(ids.has_value(), c.valid);
        if (ids) {
            EXPECT_EQ(ids->bus, c.bus);
            EXPECT_EQ(ids->vendorId, c.vid);
            EXPECT_EQ(ids->productId, c.pid);
        }
    }
}

TEST(Discovery, KeyboardIds)
{
    for (uint16_t pid : {0x0001, 0xA12C, 0xA129, 0xA125})
        EXPECT_TRUE(isKeyboardIds(0x04D9, pid)) << pid;
    EXPECT_FALSE(isKeyboardIds(0x046D, 0xA12C));
    EXPECT_FALSE(isKeyboardIds(0x04D9, 0xA12D));
}

TEST(HidrawBackend, OpensOnlyListedHidrawNodes)
{
    FakeSysfs tree;
    tree.addNode(3, 0x04D9, 0xA12C, 3, kCommandDescriptor);
    // The devnode is a plain file: it opens, but HIDIOCGRAWINFO refuses it.
    writeFile(fs::path(tree.dev()) / "hidraw3", "not a hidraw node");
    writeFile(fs::path(tree.dev()) / "hidraw9", "not listed");
    std::unique_ptr<hid::Backend> backend = createHidrawBackend(tree.sys(), tree.dev());
    ASSERT_EQ(backend->enumerate().size(), 1u);
    EXPECT_EQ(backend->open(tree.dev() + "/hidraw3"), nullptr);
    EXPECT_EQ(backend->open(tree.dev() + "/hidraw9"), nullptr);
    EXPECT_EQ(backend->open(tree.dev() + "/hidraw4"), nullptr);
}

TEST(HidrawBackend, PermissionProblemIsReportedOncePerKeyboardPath)
{
    hid::InterfaceInfo keyboard;
    keyboard.path = "/dev/hidraw-permission-test";
    keyboard.vendorId = 0x04D9;
    keyboard.productId = 0xA12C;
    hid::InterfaceInfo other = keyboard;
    other.path = "/dev/hidraw-permission-other";
    hid::InterfaceInfo mouse = keyboard;
    mouse.path = "/dev/hidraw-permission-mouse";
    mouse.vendorId = 0x046D;

    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(reportOpenError(keyboard, ENOENT));
    EXPECT_TRUE(reportOpenError(keyboard, EACCES));
    EXPECT_FALSE(reportOpenError(keyboard, EACCES));
    EXPECT_FALSE(reportOpenError(keyboard, EPERM));
    EXPECT_TRUE(reportOpenError(other, EPERM));
    EXPECT_FALSE(reportOpenError(mouse, EACCES));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, permissionHint(keyboard) + "\n" + permissionHint(other) + "\n");
    EXPECT_NE(err.find("data/60-qx410-orvane.rules"), std::string::npos);
    EXPECT_NE(err.find("/dev/hidraw-permission-test"), std::string::npos);
}

}   // namespace
}   // namespace orvane::hidraw
