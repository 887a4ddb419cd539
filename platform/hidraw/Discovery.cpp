#include "platform/hidraw/Discovery.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "platform/hid/KeyboardIds.h"
#include "platform/hidraw/ReportDescriptor.h"

namespace orvane::hidraw {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kNodePrefix = "hidraw";
constexpr std::string_view kHidIdKey = "HID_ID=";
constexpr std::string_view kUsbInterfaceType = "DEVTYPE=usb_interface";
// The kernel caps report descriptors at 4096 bytes (HID_MAX_DESCRIPTOR_SIZE).
constexpr std::size_t kMaxDescriptorSize = 4096;

std::optional<std::string> readSmallFile(const fs::path& path, std::size_t limit)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text(limit + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad() || text.size() > limit)
        return std::nullopt;
    return text;
}

template <typename T>
std::optional<T> parseHex(std::string_view text)
{
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "hidraw12" → 12; nullopt for any other name.
std::optional<unsigned> nodeNumber(std::string_view name)
{
    if (!name.starts_with(kNodePrefix) || name.size() == kNodePrefix.size())
        return std::nullopt;
    unsigned n = 0;
    const char* begin = name.data() + kNodePrefix.size();
    const auto [end, ec] = std::from_chars(begin, name.data() + name.size(), n);
    if (ec != std::errc() || end != name.data() + name.size())
        return std::nullopt;
    return n;
}

// The USB interface number from the hid device's parent, when that parent is a USB interface.
int interfaceNumberOf(const fs::path& hidDevice)
{
    const fs::path parent = hidDevice.parent_path();
    if (std::optional<std::string> uevent = readSmallFile(parent / "uevent", 4096))
        if (uevent->find(kUsbInterfaceType) == std::string::npos)
            return -1;
    std::optional<std::string> text = readSmallFile(parent / "bInterfaceNumber", 16);
    if (!text)
        return -1;
    while (!text->empty() && (text->back() == '\n' || text->back() == ' '))
        text->pop_back();
    std::optional<uint8_t> number = parseHex<uint8_t>(*text);
    return number ? int{*number} : -1;
}

std::optional<hid::InterfaceInfo> describeNode(const fs::path& classEntry, const std::string& devRoot)
{
    std::error_code ec;
    const fs::path hidDevice = fs::canonical(classEntry / "device", ec);
    if (ec)
        return std::nullopt;
    std::optional<std::string> uevent = readSmallFile(hidDevice / "uevent", 4096);
    std::optional<HidIds> ids = uevent ? parseHidId(*uevent) : std::nullopt;
    if (!ids)
        return std::nullopt;
    hid::InterfaceInfo info;
    info.path = devRoot + "/" + classEntry.filename().string();
    info.vendorId = ids->vendorId;
    info.productId = ids->productId;
    info.interfaceNumber = interfaceNumberOf(hidDevice);
    // hid device -> USB interface -> USB device: shared by the keyboard's interfaces.
    info.deviceKey =
        "hidraw:" + (info.interfaceNumber >= 0 ? hidDevice.parent_path().parent_path() : hidDevice).string();
    if (std::optional<std::string> rd = readSmallFile(hidDevice / "report_descriptor", kMaxDescriptorSize)) {
        const auto* data = reinterpret_cast<const uint8_t*>(rd->data());
        info.collections = parseReportDescriptor({data, rd->size()}).collections;
    }
    return info;
}

}   // namespace

std::optional<HidIds> parseHidId(const std::string& uevent)
{
    std::istringstream lines(uevent);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with(kHidIdKey))
            continue;
        const std::string_view value = std::string_view(line).substr(kHidIdKey.size());
        // bus:vendor:product, each hexadecimal; vendor and product are printed with 8 digits.
        const std::size_t first = value.find(':');
        const std::size_t second = first == std::string_view::npos ? first : value.find(':', first + 1);
        if (second == std::string_view::npos)
            return std::nullopt;
        auto bus = parseHex<uint32_t>(value.substr(0, first));
        auto vendor = parseHex<uint32_t>(value.substr(first + 1, second - first - 1));
        auto product = parseHex<uint32_t>(value.substr(second + 1));
        if (!bus || !vendor || !product || *bus > 0xFFFF || *vendor > 0xFFFF || *product > 0xFFFF)
            return std::nullopt;
        return HidIds{static_cast<uint16_t>(*bus), static_cast<uint16_t>(*vendor), static_cast<uint16_t>(*product)};
    }
    return std::nullopt;
}

std::vector<hid::InterfaceInfo> discoverHidrawNodes(const std::string& sysfsRoot, const std::string& devRoot)
{
    std::vector<std::pair<unsigned, fs::path>> nodes;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(sysfsRoot) / "class" / "hidraw", ec), end; !ec && it != end;
         it.increment(ec)) {
        if (std::optional<unsigned> n = nodeNumber(it->path().filename().string()))
            nodes.emplace_back(*n, it->path());
    }
    std::sort(nodes.begin(), nodes.end());
    std::vector<hid::InterfaceInfo> result;
    for (const auto& [number, entry] : nodes)
        if (std::optional<hid::InterfaceInfo> info = describeNode(entry, devRoot))
            result.push_back(std::move(*info));
    return result;
}

bool isKeyboardIds(uint16_t vendorId, uint16_t productId)
{
    return hid::usb::isKeyboardFamily(vendorId, productId);
}

}   // namespace orvane::hidraw
