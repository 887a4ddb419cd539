#include "hook/InputReader.h"

#include "hook/KeyTranslation.h"
#include "hook/RawEventStream.h"

#include <libevdev/libevdev.h>
#include <linux/input.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orvane::hook {

namespace {

constexpr int kValueRelease = 0;
constexpr int kValuePress = 1;
constexpr int kValueRepeat = 2;
constexpr std::size_t kRecordSize = RawEventStream::kRecordSize;
// A file is read at most this much per round, so that an endless one (a link to /dev/zero)
// neither starves the other files nor keeps the thread from its wake descriptor.
constexpr std::size_t kFileBytesPerRound = 1024 * kRecordSize;
// Files give no poll readiness: their growth is seen through inotify and, in case a
// notification was lost, by re-reading them at this interval.
constexpr int kFileRescanMs = 100;

constexpr uint32_t kDeviceWatchMask = IN_CREATE | IN_ATTRIB | IN_MOVED_TO;
constexpr uint32_t kFileWatchMask = IN_CREATE | IN_MODIFY | IN_MOVED_TO | IN_CLOSE_WRITE;

bool isEventNodeName(const char* name)
{
    return std::strncmp(name, "event", 5) == 0;
}

// A keyboard has keys, and among them the letters (macro pads, mice and power buttons do not).
bool isKeyboard(const libevdev* dev)
{
    if (!libevdev_has_event_type(dev, EV_KEY))
        return false;
    for (unsigned code = KEY_Q; code <= KEY_P; ++code)
        if (!libevdev_has_event_code(dev, EV_KEY, code))
            return false;
    for (unsigned code = KEY_A; code <= KEY_L; ++code)
        if (!libevdev_has_event_code(dev, EV_KEY, code))
            return false;
    for (unsigned code = KEY_Z; code <= KEY_M; ++code)
        if (!libevdev_has_event_code(dev, EV_KEY, code))
            return false;
    return true;
}

}   // namespace

bool filterKeyRecord(int mode, uint16_t type, uint16_t code, int32_t value, uint8_t& vk, bool& release)
{
    if (type != EV_KEY)
        return false;
    vk = vkFromEvdev(code);
    if (vk == 0)
        return false;
    release = value == kValueRelease;
    if (value == kValuePress)
        return true;
    if (value == kValueRepeat || value == kValueRelease)
        return mode == 1;
    return false;
}

struct InputReader::Source {
    std::string name;
    int fd = -1;
    libevdev* dev = nullptr;   // devices only
    RawEventStream stream;     // files only
};

InputReader::InputReader(Kind kind, std::string folder, int mode, KeySink sink)
    : m_kind(kind), m_folder(std::move(folder)), m_mode(mode), m_sink(std::move(sink))
{}

std::unique_ptr<InputReader> InputReader::openDevices(const std::string& folder, int mode, KeySink sink)
{
    std::unique_ptr<InputReader> r(new InputReader(Kind::Devices, folder, mode, std::move(sink)));
    if (!r->setUp() || r->m_sources.empty())
        return nullptr;
    r->m_thread = std::thread(&InputReader::run, r.get());
    return r;
}

std::unique_ptr<InputReader> InputReader::openFiles(const std::string& folder, int mode, KeySink sink)
{
    std::unique_ptr<InputReader> r(new InputReader(Kind::Files, folder, mode, std::move(sink)));
    if (!r->setUp())
        return nullptr;
    r->m_thread = std::thread(&InputReader::run, r.get());
    return r;
}

// Watch first, then list: a node created in between is seen by one or the other.
bool InputReader::setUp()
{
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_inotifyFd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (m_wakeFd < 0 || m_inotifyFd < 0)
        return false;
    const uint32_t mask = m_kind == Kind::Devices ? kDeviceWatchMask : kFileWatchMask;
    if (inotify_add_watch(m_inotifyFd, m_folder.c_str(), mask) < 0)
        return false;
    scanFolder(true);
    m_sourcesAtStart = m_sources.size();
    return true;
}

InputReader::~InputReader()
{
    if (m_thread.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(m_wakeFd, &one, sizeof one);
        m_thread.join();
    }
    while (!m_sources.empty())
        closeSource(m_sources.size() - 1);
    if (m_inotifyFd >= 0)
        close(m_inotifyFd);
    if (m_wakeFd >= 0)
        close(m_wakeFd);
}

void InputReader::scanFolder(bool initial)
{
    DIR* dir = opendir(m_folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir))
        if (isEventNodeName(entry->d_name))
            openSource(entry->d_name, initial);
    closedir(dir);
}

bool InputReader::openSource(const std::string& name, bool initial)
{
    for (const auto& s : m_sources)
        if (s->name == name)
            return true;
    const std::string path = m_folder + "/" + name;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;   // no permission yet (udev may still be setting it) or gone again
    auto source = std::make_unique<Source>();
    source->name = name;
    source->fd = fd;
    if (m_kind == Kind::Devices) {
        if (libevdev_new_from_fd(fd, &source->dev) < 0 || !isKeyboard(source->dev)) {
            if (source->dev)
                libevdev_free(source->dev);
            close(fd);
            return false;
        }
    } else if (initial) {
        lseek(fd, 0, SEEK_END);   // events written before the hook was installed are not replayed
    }
    m_sources.push_back(std::move(source));
    return true;
}

void InputReader::closeSource(std::size_t i)
{
    Source& s = *m_sources[i];
    if (s.dev)
        libevdev_free(s.dev);
    close(s.fd);
    m_sources.erase(m_sources.begin() + static_cast<std::ptrdiff_t>(i));
}

void InputReader::run()
{
    std::vector<pollfd> fds;
    for (;;) {
        fds.assign({{m_wakeFd, POLLIN, 0}, {m_inotifyFd, POLLIN, 0}});
        if (m_kind == Kind::Devices)
            for (const auto& s : m_sources)
                fds.push_back({s->fd, POLLIN, 0});
        const int timeout = m_kind == Kind::Files ? kFileRescanMs : -1;
        const int n = poll(fds.data(), fds.size(), timeout);
        if (n < 0 && errno != EINTR)
            return;
        if (fds[0].revents)
            return;   // removehook
        if (fds[1].revents)
            readInotify();
        if (m_kind == Kind::Files) {
            for (auto& s : m_sources)
                readFile(*s);
            if (woken())
                return;   // removehook while the files were read
            continue;
        }
        // Devices in the poll set are the first fds.size() - 2 sources; new ones wait a round.
        for (std::size_t i = fds.size() - 2; i-- > 0;) {
            const short ev = fds[i + 2].revents;
            if (ev & (POLLERR | POLLHUP | POLLNVAL))
                closeSource(i);
            else if (ev & POLLIN)
                readDevice(*m_sources[i]);
        }
    }
}

void InputReader::readInotify()
{
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t len = read(m_inotifyFd, buffer, sizeof buffer);
        if (len <= 0)
            break;
        for (ssize_t off = 0; off < len;) {
            const auto* ev = reinterpret_cast<const inotify_event*>(buffer + off);
            if (ev->len > 0 && isEventNodeName(ev->name) && !(ev->mask & IN_MODIFY))
                openSource(ev->name, false);
            if (ev->mask & IN_Q_OVERFLOW)
                scanFolder(false);
            off += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
        }
    }
}

void InputReader::readDevice(Source& s)
{
    input_event ev;
    unsigned flags = LIBEVDEV_READ_FLAG_NORMAL;
    for (;;) {
        const int rc = libevdev_next_event(s.dev, flags, &ev);
        if (rc == LIBEVDEV_READ_STATUS_SYNC) {
            // Events were dropped: libevdev replays the state changes; they keep presses and
            // releases paired, so they are reported like the others.
            flags = LIBEVDEV_READ_FLAG_SYNC;
            deliver(ev.type, ev.code, ev.value);
        } else if (rc == LIBEVDEV_READ_STATUS_SUCCESS) {
            deliver(ev.type, ev.code, ev.value);
        } else if (rc == -EAGAIN && flags == LIBEVDEV_READ_FLAG_SYNC) {
            flags = LIBEVDEV_READ_FLAG_NORMAL;
        } else {
            // -EAGAIN: drained. Anything else (-ENODEV: unplugged) ends in POLLERR/POLLHUP.
            return;
        }
    }
}

bool InputReader::woken() const
{
    pollfd wake{m_wakeFd, POLLIN, 0};
    return poll(&wake, 1, 0) > 0;
}

void InputReader::readFile(Source& s)
{
    uint8_t buffer[64 * kRecordSize];
    for (std::size_t taken = 0; taken < kFileBytesPerRound && !woken();) {
        const ssize_t len = read(s.fd, buffer, sizeof buffer);
        if (len <= 0)
            return;
        taken += std::size_t(len);
        s.stream.feed({buffer, std::size_t(len)},
                      [this](uint16_t type, uint16_t code, int32_t value) { deliver(type, code, value); });
    }
}

void InputReader::deliver(uint16_t type, uint16_t code, int32_t value)
{
    uint8_t vk = 0;
    bool release = false;
    if (filterKeyRecord(m_mode, type, code, value, vk, release))
        m_sink(vk, release);
}

}   // namespace orvane::hook
