#pragma once
// A scripted HID backend for the LCD link tests: interfaces as data, every
// transfer logged as "<path> SF|W <hex>", failures injected by count.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/hid/Transport.h"
#include "platform/hotplug/Monitor.h"
#include "tests/support/Hex.h"

namespace orvane::panelo::test {

using orvane::test::hex;

inline hid::InterfaceInfo lcdInterface(std::string path, uint16_t vendor = 0x04D9, uint16_t product = 0xA12C)
{
    hid::InterfaceInfo info;
    info.path = std::move(path);
    info.vendorId = vendor;
    info.productId = product;
    info.interfaceNumber = 3;
    info.collections.push_back({0xFF01, 0x0001, {}, {}, {}});
    return info;
}

struct FakeState {
    std::vector<std::string> log;
    std::vector<std::string> opened;
    int openNow = 0;
    bool failSetFeature = false;
    int writesBeforeFailure = -1;   // -1: never fail
};

class FakeDevice final : public hid::Device {
public:
    FakeDevice(hid::InterfaceInfo info, FakeState& s) : m_info(std::move(info)), m_s(s) { ++m_s.openNow; }
    ~FakeDevice() override { --m_s.openNow; }
    const hid::InterfaceInfo& info() const override { return m_info; }
    bool setFeature(std::span<const uint8_t> r, hid::Millis) override
    {
        if (m_s.failSetFeature)
            return false;
        m_s.log.push_back(m_info.path + " SF " + hex(r));
        return true;
    }
    bool getFeature(std::span<uint8_t>, hid::Millis) override { return false; }
    bool writeReport(std::span<const uint8_t> r, hid::Millis) override
    {
        if (m_s.writesBeforeFailure == 0)
            return false;
        if (m_s.writesBeforeFailure > 0)
            --m_s.writesBeforeFailure;
        m_s.log.push_back(m_info.path + " W " + hex(r));
        return true;
    }
    int readReport(std::span<uint8_t>, hid::Millis) override { return 0; }
    void drainInput() override {}
    void interruptRead() override {}

private:
    hid::InterfaceInfo m_info;
    FakeState& m_s;
};

// `listed` is what enumeration reports; `actual`, when given for a path, is
// what the opened interface reports about itself.
class FakeBackend final : public hid::Backend {
public:
    std::vector<hid::InterfaceInfo> listed;
    std::vector<hid::InterfaceInfo> actual;
    std::vector<std::string> unopenable;
    bool enumerateThrows = false;
    FakeState state;

    std::vector<hid::InterfaceInfo> enumerate() override
    {
        if (enumerateThrows)
            throw std::bad_alloc();
        return listed;
    }
    std::unique_ptr<hid::Device> open(const std::string& path) override
    {
        state.opened.push_back(path);
        for (const std::string& p : unopenable)
            if (p == path)
                return nullptr;
        for (const hid::InterfaceInfo& i : actual)
            if (i.path == path)
                return std::make_unique<FakeDevice>(i, state);
        for (const hid::InterfaceInfo& i : listed)
            if (i.path == path)
                return std::make_unique<FakeDevice>(i, state);
        return nullptr;
    }
    std::unique_ptr<hotplug::Monitor> createMonitor() override { return nullptr; }
};

}   // namespace orvane::panelo::test
