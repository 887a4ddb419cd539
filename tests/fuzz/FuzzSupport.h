#pragma once
// Shared by the libFuzzer targets: a private scratch folder for targets whose input is a file,
// and the check that ends a run the moment an invariant does not hold.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace orvane::fuzz {

inline void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// Made once per process (in /dev/shm when there is one, so files cost no disk), removed at exit.
inline const std::string& scratchFolder()
{
    static const std::string folder = [] {
        std::string base =
            ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
        std::string pattern = base + "/orvane-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        static std::string made;
        made = pattern;
        std::atexit([] {
            const std::string cmd = "rm -rf '" + made + "'";
            (void)std::system(cmd.c_str());
        });
        return pattern;
    }();
    return folder;
}

// Writes `size` bytes to `path` (replacing it); aborts when it cannot, which is no fault of the code
// under test but would make every later run meaningless.
inline void writeFile(const std::string& path, const uint8_t* data, std::size_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        std::abort();
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0)
            std::abort();
        done += std::size_t(n);
    }
    ::close(fd);
}

// The whole of `path` (empty when it cannot be read).
inline std::vector<uint8_t> readFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return bytes;
    uint8_t chunk[65536];
    for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    ::close(fd);
    return bytes;
}

}   // namespace orvane::fuzz
