#pragma once
// The LCD program's link to the keyboard: finds the vendor-defined interface,
// opens it for one download, sends the page image as one command report and
// nine data reports, and closes it again. Nothing is read back.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/Commands.h"
#include "panelo/lcd/LcdBitmap.h"
#include "platform/hid/Transport.h"

namespace orvane::panelo {

inline constexpr uint16_t kLcdUsagePage = 0xFF01;
inline constexpr uint16_t kLcdUsage = 0x0001;

// Command report: 00 15 00 09 <mode> 00 00 00 <checksum>; data reports of 64 image bytes.
using model::CommandReport;
using model::DataReport;
using model::kDataBytesPerReport;
inline constexpr std::size_t kLcdDataReports = (kPageImageBytes + kDataBytesPerReport - 1) / kDataBytesPerReport;
static_assert(kLcdDataReports == 9);
inline constexpr hid::Millis kDataReportTimeout{1000};
// How long a download waits for another program to finish with the keyboard.
inline constexpr hid::Millis kKeyboardHoldWait{2000};
// The path buffer holds 260 UTF-16 units including the terminator.
inline constexpr std::size_t kMaxPathUnits = 259;

CommandReport BuildLcdCommandReport(uint8_t mode);
// Data report k (0..8): image bytes 64k.. (the last one zero-filled after its 16 bytes).
DataReport BuildLcdDataReport(const LcdPageImage& image, std::size_t k);

// The pre-filter on the enumerated ids: the keyboard's vendor with a product of the LCD
// variants, or a product of the keyboard itself whatever the vendor (platform/hid/KeyboardIds.h).
bool PassesLcdPathFilter(uint16_t vendorId, uint16_t productId);
// The acceptance test on what the opened interface reports: the ids, and a
// single top-level collection (collection number 0) on page 0xFF01, usage 1.
bool IsLcdInterface(const hid::InterfaceInfo& info);

// The messages of a download, shown with the program's title as caption.
inline constexpr std::u16string_view kMsgInitFailed = u"初始化失败！";
inline constexpr std::u16string_view kMsgNoDevice = u"请先插入设备！";
inline constexpr std::u16string_view kMsgDownloadOk = u"下载成功";
inline constexpr std::u16string_view kMsgDownloadFailed = u"下载失败";

using LcdNotifier = std::function<void(const std::u16string& text)>;
using ModeSource = std::function<uint8_t()>;

struct OpenOptions {
    bool read = false;
    bool write = false;
    bool overlapped = false;
    bool exclusive = false;
};

class CLcdDevice {
public:
    explicit CLcdDevice(hid::Backend& backend);
    ~CLcdDevice();
    CLcdDevice(const CLcdDevice&) = delete;
    CLcdDevice& operator=(const CLcdDevice&) = delete;

    // Lists the present interfaces in the backend's order; the cursor starts
    // at the first. False when the list cannot be built.
    bool EnumeratePaths();
    // The next listed interface, or none after the last.
    std::optional<hid::InterfaceInfo> NextPath();

    // Closes what is open, then opens `path`. A path longer than the path
    // buffer is refused rather than cut (a cut path could name another node).
    bool Open(const std::string& path, OpenOptions options);
    void Close();
    bool IsOpen() const { return m_device != nullptr; }
    // What the open interface reports about itself; only valid while open.
    const hid::InterfaceInfo& OpenInfo() const { return m_device->info(); }

    bool WriteReport(std::span<const uint8_t> report, hid::Millis timeout);
    // Dumps the image, sends the command report and the nine data reports,
    // stopping at the first failure.
    bool SendLcdImage(const LcdPageImage& image, uint8_t mode);

private:
    hid::Backend& m_backend;
    std::vector<hid::InterfaceInfo> m_paths;
    std::size_t m_cursor = 0;
    OpenOptions m_options;
    std::string m_path;
    std::unique_ptr<hid::Device> m_device;
};

// The whole search-and-send sequence, ending with exactly one message.
// `modeSource` is called once, just before the send to the first accepted
// interface, and not at all when none is accepted.
void DownloadLcdImage(hid::Backend& backend, const LcdPageImage& image, const ModeSource& modeSource,
                      const LcdNotifier& notify);

}   // namespace orvane::panelo
