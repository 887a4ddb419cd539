// The backend that the environment chooses.
#include <cstdlib>

#include "emulator/Backend.h"
#include "platform/hid/Trace.h"
#include "platform/hidraw/HidrawBackend.h"

namespace orvane::hid {
namespace {
constexpr std::string_view kHidraw = "hidraw";
constexpr std::string_view kEmulator = "emulator";
constexpr std::string_view kEmulatorWithFile = "emulator:";
}   // namespace

std::unique_ptr<Backend> createBackend(const std::string& choice, std::string& error)
{
    if (choice.empty() || choice == kHidraw)
        return hidraw::createHidrawBackend();
    if (choice == kEmulator)
        return std::make_unique<EmulatorBackend>(Emulator::create());
    if (choice.starts_with(kEmulatorWithFile)) {
        const std::string path = choice.substr(kEmulatorWithFile.size());
        if (path.empty()) {
            error = "ORVANE_HID=emulator: names no state file";
            return nullptr;
        }
        std::shared_ptr<Emulator> emulator = Emulator::withStateFile(path, error);
        if (!emulator)
            return nullptr;
        return std::make_unique<EmulatorBackend>(std::move(emulator));
    }
    error = "ORVANE_HID=" + choice + " is not understood; use hidraw, emulator or emulator:PATH";
    return nullptr;
}

std::unique_ptr<Backend> createBackendFromEnvironment(std::string& error)
{
    // A malformed plan is refused whichever backend is chosen; only the emulated
    // keyboard carries it out.
    const char* faults = std::getenv("ORVANE_EMULATOR_FAULTS");
    std::optional<FaultPlan> plan = FaultPlan::parse(faults ? faults : "", error);
    if (!plan)
        return nullptr;
    const char* choice = std::getenv("ORVANE_HID");
    std::unique_ptr<Backend> backend = createBackend(choice ? choice : "", error);
    if (!backend)
        return nullptr;
    if (std::shared_ptr<Emulator> emulator = emulatorOf(*backend))
        emulator->setFaultPlan(std::move(*plan));
    const char* tracePath = std::getenv("ORVANE_HID_TRACE");
    if (!tracePath || !*tracePath)
        return backend;
    std::shared_ptr<TraceSink> sink = TraceSink::open(tracePath, error);
    if (!sink)
        return nullptr;
    return std::make_unique<TraceBackend>(std::move(backend), std::move(sink));
}

std::shared_ptr<Emulator> emulatorOf(Backend& backend)
{
    if (auto* traced = dynamic_cast<TraceBackend*>(&backend))
        return emulatorOf(traced->inner());
    if (auto* emulated = dynamic_cast<EmulatorBackend*>(&backend))
        return emulated->emulator();
    return nullptr;
}

}   // namespace orvane::hid
