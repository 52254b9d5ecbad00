#pragma once

// A fresh folder under the system's temporary folder, removed with everything in it when
// the test ends; for the cases a committed fixture cannot hold (FIFOs, huge files, many
// small variants of one configuration).

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include <unistd.h>

namespace kw::test {

class TempFolder {
public:
    TempFolder()
    {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("kw_core_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Writes `bytes` to the relative path `name`, creating its folders.
    std::filesystem::path write(const std::string& name, std::string_view bytes) const
    {
        const auto file = path_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }

private:
    std::filesystem::path path_;
};

inline std::filesystem::path dataPath(const std::string& relative)
{
    return std::filesystem::path(KW_TEST_DATA) / relative;
}

} // namespace kw::test
