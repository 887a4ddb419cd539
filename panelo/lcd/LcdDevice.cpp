#include "panelo/lcd/LcdDevice.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "panelo/lcd/Dumps.h"
#include "platform/hid/KeyboardIds.h"
#include "platform/core/ExchangeLock.h"

namespace orvane::panelo {
namespace {

constexpr const char* kMcuDumpName = "McuPixel.bin";

// Length in UTF-16 code units of a UTF-8 path (a four-byte sequence counts two).
std::size_t utf16Units(const std::string& utf8)
{
    std::size_t units = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80)
            ++units;
        if ((c & 0xF8) == 0xF0)
            ++units;
    }
    return units;
}

}   // namespace

CommandReport BuildLcdCommandReport(uint8_t mode)
{
    return model::commandReport(model::command::kLcdImage, {0, uint8_t(kLcdDataReports), mode, 0, 0, 0});
}

DataReport BuildLcdDataReport(const LcdPageImage& image, std::size_t k)
{
    DataReport r{};
    const std::size_t offset = k * kDataBytesPerReport;
    if (offset >= image.size())
        return r;
    const std::size_t count = std::min(kDataBytesPerReport, image.size() - offset);
    std::copy_n(image.begin() + std::ptrdiff_t(offset), count, r.begin() + 1);
    return r;
}

bool PassesLcdPathFilter(uint16_t vendorId, uint16_t productId)
{
    if (hid::usb::listed(hid::usb::kKeyboardProducts, productId))
        return true;
    return vendorId == hid::usb::kVendorId && hid::usb::listed(hid::usb::kLcdVariantProducts, productId);
}

bool IsLcdInterface(const hid::InterfaceInfo& info)
{
    if (!hid::usb::isKeyboardFamily(info.vendorId, info.productId))
        return false;
    if (info.collections.size() != 1)
        return false;
    const hid::TopLevelCollection& c = info.collections.front();
    return c.usagePage == kLcdUsagePage && c.usage == kLcdUsage;
}

CLcdDevice::CLcdDevice(hid::Backend& backend) : m_backend(backend) {}

CLcdDevice::~CLcdDevice()
{
    Close();
}

bool CLcdDevice::EnumeratePaths()
{
    m_paths.clear();
    m_cursor = 0;
    try {
        m_paths = m_backend.enumerate();
    } catch (const std::exception&) {
        // The list could not be built (out of memory, the device database
        // unreachable): report it rather than pretend no keyboard is present.
        m_paths.clear();
        return false;
    }
    return true;
}

std::optional<hid::InterfaceInfo> CLcdDevice::NextPath()
{
    if (m_cursor >= m_paths.size())
        return std::nullopt;
    return m_paths[m_cursor++];
}

bool CLcdDevice::Open(const std::string& path, OpenOptions options)
{
    Close();
    if (utf16Units(path) > kMaxPathUnits)
        return false;
    m_options = options;
    m_path = path;
    m_device = m_backend.open(path);
    return m_device != nullptr;
}

void CLcdDevice::Close()
{
    // The device's destructor waits for a transfer still blocked in the kernel.
    m_device.reset();
    m_path.clear();
}

bool CLcdDevice::WriteReport(std::span<const uint8_t> report, hid::Millis timeout)
{
    return m_device && m_device->writeReport(report, timeout);
}

bool CLcdDevice::SendLcdImage(const LcdPageImage& image, uint8_t mode)
{
    WriteDump(kMcuDumpName, image);
    if (!m_device)
        return false;
    // The command and its nine data reports reach the keyboard with no report of
    // another program between them.
    std::string error;
    const std::unique_ptr<platform::ExchangeLock> hold =
        platform::ExchangeLock::acquire(m_device->info().deviceKey, kKeyboardHoldWait, error);
    if (!error.empty())
        std::fprintf(stderr, "Lumetra: %s\n", error.c_str());
    if (!hold)
        return false;
    const CommandReport command = BuildLcdCommandReport(mode);
    if (!m_device->setFeature(command))
        return false;
    for (std::size_t k = 0; k < kLcdDataReports; ++k) {
        const DataReport data = BuildLcdDataReport(image, k);
        if (!WriteReport(data, kDataReportTimeout))
            return false;
    }
    return true;
}

void DownloadLcdImage(hid::Backend& backend, const LcdPageImage& image, const ModeSource& modeSource,
                      const LcdNotifier& notify)
{
    CLcdDevice device(backend);
    if (!device.EnumeratePaths()) {
        notify(std::u16string(kMsgInitFailed));
        return;
    }
    constexpr OpenOptions kOpen{.read = true, .write = true, .overlapped = true, .exclusive = false};
    while (std::optional<hid::InterfaceInfo> candidate = device.NextPath()) {
        if (!PassesLcdPathFilter(candidate->vendorId, candidate->productId))
            continue;
        if (!device.Open(candidate->path, kOpen))
            continue;
        if (!IsLcdInterface(device.OpenInfo())) {
            device.Close();
            continue;
        }
        const uint8_t mode = modeSource();
        const bool sent = device.SendLcdImage(image, mode);
        device.Close();
        notify(std::u16string(sent ? kMsgDownloadOk : kMsgDownloadFailed));
        return;
    }
    notify(std::u16string(kMsgNoDevice));
}

}   // namespace orvane::panelo
