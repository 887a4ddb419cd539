#pragma once
// The USB ids of the keyboard family, for every program part that looks for the keyboard: the
// link (its command and event interfaces), the LCD program, the emulated keyboard, and the hidraw
// backend's permission hint. data/60-qx410-orvane.rules grants access to the same ids.

#include <algorithm>
#include <array>
#include <cstdint>

namespace orvane::hid::usb {

inline constexpr uint16_t kVendorId = 0x04D9;
// The keyboard itself; the emulated keyboard presents the second.
inline constexpr std::array<uint16_t, 2> kKeyboardProducts{0x0001, 0xA12C};
// Its LCD variants.
inline constexpr std::array<uint16_t, 2> kLcdVariantProducts{0xA129, 0xA125};

template <std::size_t N>
constexpr bool listed(const std::array<uint16_t, N>& products, uint16_t productId)
{
    return std::find(products.begin(), products.end(), productId) != products.end();
}

// The keyboard's vendor and one of the keyboard's own products.
constexpr bool isKeyboard(uint16_t vendorId, uint16_t productId)
{
    return vendorId == kVendorId && listed(kKeyboardProducts, productId);
}

// The keyboard's vendor and any product of the family.
constexpr bool isKeyboardFamily(uint16_t vendorId, uint16_t productId)
{
    return vendorId == kVendorId && (listed(kKeyboardProducts, productId) || listed(kLcdVariantProducts, productId));
}

}   // namespace orvane::hid::usb
