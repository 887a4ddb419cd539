#pragma once
// The reading side of the keyboard hook: one thread that follows a set of input sources and
// hands every key event, already translated and filtered by mode, to a sink.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace orvane::hook {

// Called on the reader thread.
using KeySink = std::function<void(uint8_t vk, bool release)>;

// Mode filter and translation of one evdev record (type, code, value). Returns false when the
// record is not reported in this mode; vk and release are set otherwise.
bool filterKeyRecord(int mode, uint16_t type, uint16_t code, int32_t value, uint8_t& vk, bool& release);

class InputReader {
public:
    // Every readable keyboard among the event nodes of `folder` (normally /dev/input), through
    // libevdev; keyboards that appear later are opened too. Null when no keyboard can be read.
    static std::unique_ptr<InputReader> openDevices(const std::string& folder, int mode, KeySink sink);

    // The files "event*" of `folder`, read raw as struct input_event streams. Existing bytes are
    // skipped; files created later are read from the start. Null when the folder cannot be watched.
    static std::unique_ptr<InputReader> openFiles(const std::string& folder, int mode, KeySink sink);

    ~InputReader();   // wakes the thread, joins it, closes every descriptor
    InputReader(const InputReader&) = delete;
    InputReader& operator=(const InputReader&) = delete;

    std::size_t sourceCount() const { return m_sourcesAtStart; }

private:
    struct Source;
    enum class Kind { Devices, Files };

    InputReader(Kind kind, std::string folder, int mode, KeySink sink);
    bool setUp();
    void scanFolder(bool initial);
    bool openSource(const std::string& name, bool initial);
    void run();
    void readInotify();
    void readDevice(Source& s);
    void readFile(Source& s);
    bool woken() const;   // removehook has written the wake descriptor
    void closeSource(std::size_t i);
    void deliver(uint16_t type, uint16_t code, int32_t value);

    Kind m_kind;
    std::string m_folder;
    int m_mode;
    KeySink m_sink;
    int m_wakeFd = -1;
    int m_inotifyFd = -1;
    std::vector<std::unique_ptr<Source>> m_sources;
    std::size_t m_sourcesAtStart = 0;
    std::thread m_thread;
};

}   // namespace orvane::hook
