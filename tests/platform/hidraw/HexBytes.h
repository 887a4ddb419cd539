#pragma once
// Test helper: "06 01 ff" → {0x06, 0x01, 0xff}; any non-hex character separates bytes.

#include <cctype>
#include <cstdint>
#include <string_view>
#include <vector>

namespace orvane::hidraw::test {

inline std::vector<uint8_t> hexBytes(std::string_view text)
{
    std::vector<uint8_t> bytes;
    int value = 0;
    int digits = 0;
    auto flush = [&] {
        if (digits > 0)
            bytes.push_back(static_cast<uint8_t>(value));
        value = digits = 0;
    };
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isxdigit(u)) {
            flush();
            continue;
        }
        value = value * 16 + (std::isdigit(u) ? c - '0' : std::tolower(u) - 'a' + 10);
        if (++digits == 2)
            flush();
    }
    flush();
    return bytes;
}

} // namespace orvane::hidraw::test
