#include "keymap/logic/KeyCodes.h"

#include <algorithm>

namespace orvane::keymap {
namespace img = link::image;

KeyCodeCell readCell(const link::ConfigImage& image, std::size_t cell)
{
    const std::size_t at = img::kKeyCodeBlock + 4 * cell;
    return {image[at], image[at + 1], image[at + 2], image[at + 3]};
}

void writeCell(link::ConfigImage& image, std::size_t cell, const KeyCodeCell& c)
{
    const std::size_t at = img::kKeyCodeBlock + 4 * cell;
    image[at] = c.type;
    image[at + 1] = c.b1;
    image[at + 2] = c.b2;
    image[at + 3] = c.b3;
}

KeyCodeCell keyCell(const link::ConfigImage& image, std::size_t key)
{
    return readCell(image, cellIndex(KeyLayoutTable[key]));
}

void setKeyCell(link::ConfigImage& image, std::size_t key, const KeyCodeCell& c)
{
    writeCell(image, cellIndex(KeyLayoutTable[key]), c);
}

bool enableBitSet(const link::ConfigImage& image, std::size_t bit)
{
    return (image[img::kKeyEnable + bit / 8] >> (bit % 8)) & 1;
}

void setEnableBit(link::ConfigImage& image, std::size_t bit, bool on)
{
    uint8_t& byte = image[img::kKeyEnable + bit / 8];
    const uint8_t mask = static_cast<uint8_t>(1u << (bit % 8));
    byte = on ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
}

bool keyEnabled(const link::ConfigImage& image, std::size_t key)
{
    return enableBitSet(image, enableBit(key));
}

void setKeyEnabled(link::ConfigImage& image, std::size_t key, bool on)
{
    setEnableBit(image, enableBit(key), on);
}

uint8_t recordVk(const link::KeyExtRecord& r)
{
    return r[extrec::kVk];
}
uint8_t recordCategory(const link::KeyExtRecord& r)
{
    return r[extrec::kCategory];
}
uint8_t recordKeyCount(const link::KeyExtRecord& r)
{
    return r[extrec::kKeyCount];
}

std::span<const uint8_t, extrec::kKeysSize> recordKeys(const link::KeyExtRecord& r)
{
    return std::span<const uint8_t, extrec::kKeysSize>(r.data() + extrec::kKeys, extrec::kKeysSize);
}

KeyCodeCell recordCode(const link::KeyExtRecord& r)
{
    const std::size_t at = extrec::kCode;
    return {r[at], r[at + 1], r[at + 2], r[at + 3]};
}

void setRecordCode(link::KeyExtRecord& r, const KeyCodeCell& c)
{
    const std::size_t at = extrec::kCode;
    r[at] = c.type;
    r[at + 1] = c.b1;
    r[at + 2] = c.b2;
    r[at + 3] = c.b3;
}

std::u16string recordPath(const link::KeyExtRecord& r)
{
    std::u16string path;
    for (std::size_t i = 0; i < extrec::kMaxPathUnits; ++i) {
        const char16_t u = static_cast<char16_t>(r[extrec::kPath + 2 * i] | (r[extrec::kPath + 2 * i + 1] << 8));
        if (u == 0)
            break;
        path.push_back(u);
    }
    return path;
}

bool setRecordPath(link::KeyExtRecord& r, std::u16string_view path)
{
    if (path.size() > extrec::kMaxPathUnits || path.find(u'\0') != std::u16string_view::npos)
        return false;
    std::fill_n(r.begin() + extrec::kPath, 2 * extrec::kPathUnits, uint8_t{0});
    for (std::size_t i = 0; i < path.size(); ++i) {
        r[extrec::kPath + 2 * i] = static_cast<uint8_t>(path[i] & 0xFF);
        r[extrec::kPath + 2 * i + 1] = static_cast<uint8_t>(path[i] >> 8);
    }
    return true;
}

void clearAssignment(link::KeyExtRecord& r)
{
    r[extrec::kCategory] = acSingle;
    r[extrec::kKeyCount] = 0;
    std::fill_n(r.begin() + extrec::kKeys, extrec::kKeysSize, uint8_t{0});
}

void initRecordVks(link::KeyExtTable& records)
{
    for (std::size_t k = 0; k < kKeyCount; ++k)
        records[k][extrec::kVk] = KeyLayoutTable[k].vk;
}

void resetRecords(link::KeyExtTable& records)
{
    for (link::KeyExtRecord& r : records)
        r.fill(0);
    initRecordVks(records);
}

const link::KeyExtRecord* findLaunchRecord(const link::KeyExtTable& records, uint8_t vk)
{
    for (const link::KeyExtRecord& r : records) {
        if (isLaunchAction(recordCategory(r)) && recordVk(r) == vk)
            return &r;
    }
    return nullptr;
}

}   // namespace orvane::keymap
