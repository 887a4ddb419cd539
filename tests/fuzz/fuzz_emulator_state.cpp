// libFuzzer target: the emulated keyboard's state file (ORVANE_HID=emulator:PATH) with any content
// and size. A file of the wrong size is refused and left as it was; one of the right size is a
// keyboard whose reads give back what the file holds (as the keyboard holds it), and whose first
// write step leaves a state file that reads back the same way.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/Protocol.h"
#include "emulator/Emulator.h"
#include "emulator/EmulatorState.h"
#include "tests/fuzz/FuzzSupport.h"

using orvane::fuzz::check;
using namespace orvane;

namespace {

bool sameArea(const link::ConfigImage& a, const link::ConfigImage& b, std::size_t offset, std::size_t size)
{
    return std::equal(a.begin() + std::ptrdiff_t(offset), a.begin() + std::ptrdiff_t(offset + size),
                      b.begin() + std::ptrdiff_t(offset));
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::scratchFolder() + "/state.bin";
    fuzz::writeFile(path, data, size);
    std::string error;
    std::shared_ptr<hid::Emulator> emulator = hid::Emulator::withStateFile(path, error);
    if (size != hid::statefile::kSize) {
        check(!emulator && !error.empty());
        check(fuzz::readFile(path) == std::vector<uint8_t>(data, data + size));   // left as it was
        return 0;
    }
    check(emulator != nullptr);
    const hid::EmulatorState state = hid::decodeState(std::span<const uint8_t, hid::statefile::kSize>(data, size));
    check(emulator->image() == state.image);
    check(emulator->firmwareVersion() == state.firmware);
    check(emulator->lcdMode() == data[hid::statefile::kLcdMode]);

    std::unique_ptr<hid::Device> device = emulator->open(hid::kEmulatorCommandPath);
    check(device != nullptr);
    const link::CommandPort port{device.get(), nullptr};
    link::DeviceInfo info{};
    link::FirmwareVersion version{};
    check(link::GetDeviceInfo(port, info, version));
    check(version == state.firmware);

    link::ConfigImage read{};
    check(link::ReadKeyMap(port, read) &&
          sameArea(read, state.image, link::image::kKeyCodeBlock, link::image::kKeyCodeBlockSize));
    const std::size_t block = data[0] % link::image::kMacroBlockCount;
    check(link::ReadMacroBlock(port, read, block) &&
          sameArea(read, state.image, link::image::macroBlock(block), link::image::kMacroBlockSize));
    check(link::GetGameMode(port, read) && read[link::image::kGameMode] == state.image[link::image::kGameMode]);

    // One write step: the file is replaced and still a keyboard's state.
    link::ConfigImage next = state.image;
    next[link::image::kGameMode] = uint8_t(next[link::image::kGameMode] ? 0 : 1);
    check(link::SetGameMode(port, next));
    const std::vector<uint8_t> after = fuzz::readFile(path);
    check(after.size() == hid::statefile::kSize);
    check(emulator->image()[link::image::kGameMode] == next[link::image::kGameMode]);
    return 0;
}
