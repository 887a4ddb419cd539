// libFuzzer target: the two small files the programs read at start-up, VER.bin and PX840.conf,
// with any content. The version is the two digits where the format puts them (else 0); the
// settings reader ends with some language (the format's quoting can spell "chinese" in pieces,
// so the raw bytes say nothing certain about which).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <unistd.h>

#include "platform/core/Settings.h"
#include "platform/core/VersionFile.h"
#include "tests/fuzz/FuzzSupport.h"

using orvane::fuzz::check;
using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string ver = fuzz::scratchFolder() + "/VER.bin";
    fuzz::writeFile(ver, data, size);
    const platform::FirmwareVersion v = platform::ReadVersionFile(ver);
    const auto digit = [&](std::size_t i) { return uint8_t(data[i] >= '0' && data[i] <= '9' ? data[i] - '0' : 0); };
    if (size < 8)
        check(v == platform::FirmwareVersion{});
    else
        check(v == (platform::FirmwareVersion{digit(5), digit(7)}));

    // A new name each run: the settings reader caches what it read of a file.
    static unsigned run = 0;
    const std::string conf = fuzz::scratchFolder() + "/PX840-" + std::to_string(++run) + ".conf";
    fuzz::writeFile(conf, data, size);
    (void)platform::Settings(conf).chinese();
    ::unlink(conf.c_str());
    return 0;
}
