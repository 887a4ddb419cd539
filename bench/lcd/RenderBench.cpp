// Prints "render <ms> <fraction of a 60 Hz frame>" and "autoadjust <ms> <fraction>":
// the median over many runs, with the real FreeType source and the dump written
// to a scratch folder, as on every keystroke in the program. "render-han" is Chinese
// text in the default font, "render-fallback" Chinese in a Latin face (its characters
// come from another face), "fallback-new" the same with text never rendered before
// (fontconfig is asked again).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "panelo/lcd/FreeTypeGlyphSource.h"
#include "panelo/lcd/LcdRenderer.h"
#include "platform/hotplug/Monitor.h"

namespace {

using namespace orvane;
using namespace orvane::panelo;

constexpr double kFrameMs = 1000.0 / 60.0;
constexpr int kDpi = 96;

class NoDevices final : public hid::Backend {
public:
    std::vector<hid::InterfaceInfo> enumerate() override { return {}; }
    std::unique_ptr<hid::Device> open(const std::string&) override { return nullptr; }
    std::unique_ptr<hotplug::Monitor> createMonitor() override { return nullptr; }
};

double medianMs(int runs, const std::function<void()>& setup, const std::function<void()>& work)
{
    std::vector<double> times;
    times.reserve(std::size_t(runs));
    for (int i = 0; i < runs; ++i) {
        setup();
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[std::size_t(runs / 2)];
}

}   // namespace

int main()
{
    // The renderer's diagnostic dumps go to a private folder of this run, removed at the end.
    std::string pattern = (std::filesystem::temp_directory_path() / "lumetra-render-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::fprintf(stderr, "lumetra-render-bench: cannot create a temporary folder\n");
        return 1;
    }
    const std::filesystem::path dump = pattern;
    setenv("LUMETRA_DUMP_DIR", dump.c_str(), 1);

    NoDevices backend;
    FreeTypeGlyphSource glyphs;
    LcdRenderer r(backend, glyphs, kDpi, {});
    LogFont lf = InitialLogFont(kDpi);
    lf.faceName = u"Liberation Sans";
    r.setLogFont(lf);
    r.setText(u"Lumetra 24");
    r.RenderText();   // warm the font caches, as the window's first paint does

    const double render = medianMs(
        501, [] {}, [&] { r.RenderText(); });
    const double fit = medianMs(
        101, [&] { r.setLogFont(lf); }, [&] { r.AutoAdjustFont(); });
    std::printf("render %.4f %.4f\n", render, render / kFrameMs);
    std::printf("autoadjust %.4f %.4f\n", fit, fit / kFrameMs);

    r.setLogFont(InitialLogFont(kDpi));
    r.setText(u"你好 Lumetra");
    r.RenderText();
    const double han = medianMs(
        501, [] {}, [&] { r.RenderText(); });
    std::printf("render-han %.4f %.4f\n", han, han / kFrameMs);
    r.setLogFont(lf);
    r.RenderText();
    const double fallback = medianMs(
        501, [] {}, [&] { r.RenderText(); });
    std::printf("render-fallback %.4f %.4f\n", fallback, fallback / kFrameMs);
    char16_t next = u'\u4E00';
    const double fresh = medianMs(
        201, [&] { r.setText(std::u16string(u"你好 ") + next++); }, [&] { r.RenderText(); });
    std::printf("fallback-new %.4f %.4f\n", fresh, fresh / kFrameMs);
    std::filesystem::remove_all(dump);
    return 0;
}
