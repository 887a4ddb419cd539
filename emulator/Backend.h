// The choice of backend: real devices through hidraw, or the emulated keyboard. Only the programs
// and the tests choose; the libraries see the transport interface alone.
#pragma once

#include <memory>
#include <string>

#include "emulator/Emulator.h"
#include "platform/hid/Transport.h"

namespace orvane::hid {

// The backend that the environment chooses (ORVANE_HID: unset or "hidraw",
// "emulator", "emulator:PATH"), wrapped in the HID trace when ORVANE_HID_TRACE
// names a file, with the fault plan of ORVANE_EMULATOR_FAULTS checked. Returns
// nullptr and sets `error` for any other value.
std::unique_ptr<Backend> createBackendFromEnvironment(std::string& error);

// The backend named by an ORVANE_HID value ("" or "hidraw", "emulator",
// "emulator:PATH"), without the trace; nullptr with `error` set otherwise.
std::unique_ptr<Backend> createBackend(const std::string& choice, std::string& error);

// The emulated keyboard behind `backend` (seen through the trace), or nullptr
// when the backend drives real devices.
std::shared_ptr<Emulator> emulatorOf(Backend& backend);

}   // namespace orvane::hid
