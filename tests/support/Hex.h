#pragma once
// Bytes as text and back, for comparing reports: hex({0x06, 0x01, 0xff}) is "06 01 ff", and
// hexBytes reads that back (any character that is not a hex digit separates bytes).

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::test {

inline std::string hex(std::span<const uint8_t> bytes)
{
    std::string s;
    char b[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(b, sizeof b, i ? " %02x" : "%02x", bytes[i]);
        s += b;
    }
    return s;
}

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

}   // namespace orvane::test
