#pragma once
// The records of a raw input-event file: a stream of struct input_event read in pieces of any
// size. A record split across reads is kept until its last byte arrives; every complete record is
// handed on once, in order.

#include <linux/input.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace orvane::hook {

class RawEventStream {
public:
    static constexpr std::size_t kRecordSize = sizeof(struct input_event);

    // Appends the bytes of one read and calls `record(type, code, value)` for each record they
    // complete. Returns the number of records handed on.
    template <typename RecordSink>
    std::size_t feed(std::span<const uint8_t> bytes, RecordSink&& record)
    {
        std::size_t handed = 0;
        while (!bytes.empty()) {
            const std::size_t take = std::min(kRecordSize - m_fill, bytes.size());
            std::memcpy(m_partial + m_fill, bytes.data(), take);
            m_fill += take;
            bytes = bytes.subspan(take);
            if (m_fill < kRecordSize)
                break;
            input_event ev;
            std::memcpy(&ev, m_partial, kRecordSize);
            m_fill = 0;
            ++handed;
            record(ev.type, ev.code, ev.value);
        }
        return handed;
    }

    // Bytes of an incomplete record waiting for the rest.
    std::size_t pending() const { return m_fill; }

private:
    uint8_t m_partial[kRecordSize]{};
    std::size_t m_fill = 0;
};

}   // namespace orvane::hook
