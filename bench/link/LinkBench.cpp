// Times the start-up read-all and five uploads on the keyboard that ORVANE_HID
// chooses (ORVANE_HID_TRACE records them), with the real clock, and prints for
// each step "<name> <measured ms> <minimum ms> <ratio>", the minimum being the
// sum of the protocol's pauses for that step.

#include <chrono>
#include <cstdio>
#include <functional>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "link/KeyboardLink.h"
#include "emulator/Backend.h"

namespace {

using namespace orvane;

class QuietObserver final : public link::LinkObserver {
public:
    void hideMainWindow() override {}
    void setSlidersFromImage(uint8_t, uint8_t, uint8_t) override {}
    void configurationLoaded(int) override {}
    void keyboardReadFailed() override {}
    void keyNotification(uint8_t) override {}
    void deviceNotificationRegistrationFailed() override {}
};

using Clock = std::chrono::steady_clock;

void report(const char* name, Clock::duration measured, long long minimumMs)
{
    const double ms = std::chrono::duration<double, std::milli>(measured).count();
    const double ratio = minimumMs > 0 ? ms / static_cast<double>(minimumMs) : 0.0;
    std::printf("%s %.3f %lld %.3f\n", name, ms, minimumMs, ratio);
    std::fflush(stdout);
}

void editEverything(link::ConfigImage& img)
{
    using namespace link::image;
    for (std::size_t i = 0; i < kColourEntrySize * kColourCount; ++i)
        img[kColourTable + i] ^= 0x21;
    img[kGameMode] ^= 1;
    img[kReportRate] = static_cast<uint8_t>((img[kReportRate] + 1) % 4);
    img[kResponseTime] = static_cast<uint8_t>(img[kResponseTime] % 10 + 1);
    img[kKeyCodeBlock + 8] ^= 0x04;
    img[kKeyEnable + 3] ^= 0x10;
    for (std::size_t b = 0; b < kMacroBlockCount; ++b)
        img[macroBlock(b) + 2] ^= 0x5A;
    for (std::size_t m = 0; m < kLightMapCount; ++m)
        img[lightMap(m) + 1] ^= 0xFF;
    img[kDirection] = static_cast<uint8_t>(img[kDirection] % 4 + 1);
}

}   // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::string error;
    std::unique_ptr<hid::Backend> backend = hid::createBackendFromEnvironment(error);
    if (!backend) {
        std::fprintf(stderr, "orvane-link-bench: %s\n", error.c_str());
        return 2;
    }
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "orvane-link-bench: cannot create a temporary folder\n");
        return 2;
    }

    link::RealSleeper realClock;
    link::CountingSleeper sleeper(realClock);
    QuietObserver observer;
    link::KeyboardLink keyboard(*backend, observer, sleeper);
    keyboard.store().setKeymapPath(folder.filePath("keymap.bin").toStdString());
    keyboard.store().LoadKeymapFile();
    keyboard.store().CopyWorkingToShadow();

    const Clock::time_point start = Clock::now();
    keyboard.StartUp();
    keyboard.WaitForStartupRead();
    report("readall", Clock::now() - start, sleeper.totalMs());
    if (!keyboard.commandOpen() || !keyboard.eventOpen()) {
        std::fprintf(stderr, "orvane-link-bench: no keyboard\n");
        return 1;
    }

    link::ConfigImage& img = keyboard.store().image();
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"brightness",
         [&] { img[link::image::kBrightness] = static_cast<uint8_t>((img[link::image::kBrightness] + 7) % 51); }},
        {"macro", [&] { img[link::image::macroBlock(0) + 2] ^= 0x01; }},
        {"lightmap", [&] { img[link::image::lightMap(0) + 1] ^= 0xFF; }},
        {"winlock", [&] { img[link::image::kWinLock] = img[link::image::kWinLock] ? 0 : 1; }},
        {"everything", [&] { editEverything(img); }},
    };
    int failures = 0;
    for (const auto& [name, edit] : steps) {
        edit();
        sleeper.reset();
        const Clock::time_point t0 = Clock::now();
        const link::UploadResult result = keyboard.UploadChanges();
        report(name, Clock::now() - t0, sleeper.totalMs());
        if (result != link::UploadResult::Uploaded) {
            std::fprintf(stderr, "orvane-link-bench: %s upload did not complete (%d)\n", name,
                         static_cast<int>(result));
            ++failures;
        }
    }
    keyboard.Close();
    return failures ? 1 : 0;
}
