#pragma once

// A regular file that lives in memory and can be reached by a path, so that each fuzz input
// goes through the same path-based readers as a real file, without touching the disk.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

namespace kw::fuzz {

class MemoryFile {
public:
    MemoryFile() : fd_(::memfd_create("kw_fuzz_input", MFD_CLOEXEC))
    {
        if (fd_ < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // Replaces the whole content.
    void assign(const std::uint8_t* data, std::size_t size)
    {
        if (::ftruncate(fd_, 0) != 0)
            std::abort();
        std::size_t done = 0;
        while (done < size) {
            const ssize_t got = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            if (got <= 0)
                std::abort();
            done += static_cast<std::size_t>(got);
        }
    }

    const std::string& path() const { return path_; }

private:
    int fd_;
    std::string path_;
};

} // namespace kw::fuzz
