// libFuzzer target: a raw input-event file read in pieces of any size (short reads included)
// through the hook library's record assembly and key filter. The records handed on must be exactly the whole
// records of the byte stream, in order, whatever the piece sizes, types and codes.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "hook/InputReader.h"
#include "hook/RawEventStream.h"
#include "tests/fuzz/FuzzSupport.h"

using orvane::fuzz::check;
using orvane::hook::RawEventStream;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    // Byte 0 seeds the piece sizes and picks the hook's mode; the rest is the file.
    if (size < 1)
        return 0;
    uint32_t seed = data[0] * 2654435761u + 1;
    const int mode = data[0] & 1;
    const uint8_t* stream = data + 1;
    const std::size_t streamSize = size - 1;

    RawEventStream reader;
    std::size_t records = 0, at = 0;
    while (at < streamSize) {
        seed = seed * 1103515245u + 12345u;
        // Mostly short pieces, now and then a large one (a full kernel buffer).
        std::size_t piece = (seed >> 16) % 5 == 0 ? (seed >> 8) % 4096 : (seed >> 16) % 40;
        piece = std::min(piece, streamSize - at);
        const std::size_t before = records;
        const std::size_t handed = reader.feed({stream + at, piece}, [&](uint16_t type, uint16_t code, int32_t value) {
            input_event expected;
            std::memcpy(&expected, stream + records * RawEventStream::kRecordSize, RawEventStream::kRecordSize);
            check(type == expected.type && code == expected.code && value == expected.value);
            // What the reader then does with the record: only key presses (and, in mode 1,
            // repeats and releases) of keys it knows become keys.
            uint8_t vk = 0;
            bool release = false;
            if (orvane::hook::filterKeyRecord(mode, type, code, value, vk, release)) {
                check(type == EV_KEY && vk != 0);
                check(value == 1 || (mode == 1 && (value == 0 || value == 2)));
                check(release == (value == 0));
            }
            ++records;
        });
        check(handed == records - before);
        at += piece;
        check(records == at / RawEventStream::kRecordSize);
        check(reader.pending() == at % RawEventStream::kRecordSize);
    }
    return 0;
}
