#pragma once

// What the fuzz targets share: a property that fails aborts the run (libFuzzer
// then keeps the input), and a folder of the process's own for the files a
// target has to write.

#include "core/utf8.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include <unistd.h>

#define FUZZ_REQUIRE(condition)                                                                                   \
    do {                                                                                                          \
        if (!(condition)) {                                                                                       \
            std::fprintf(stderr, "property does not hold: %s (%s:%d)\n", #condition, __FILE__, __LINE__);         \
            std::abort();                                                                                         \
        }                                                                                                         \
    } while (false)

namespace pelanova::fuzz {

// A folder of this process's own, removed when the process ends normally.
// In /dev/shm where there is one: the targets write a file on every run.
inline const std::filesystem::path &scratchFolder()
{
    static const std::filesystem::path folder = [] {
        std::error_code ec;
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                          : std::filesystem::temp_directory_path();
        std::string pattern = (base / "pelanova-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        static const std::string made = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

inline void writeFile(const std::filesystem::path &path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_REQUIRE(out.good());
}

inline bool isUtf8(std::string_view text)
{
    for (size_t pos = 0; pos < text.size();) {
        if (utf8::next(text, pos) == utf8::kInvalid)
            return false;
    }
    return true;
}

inline std::string_view bytesOf(const uint8_t *data, size_t size)
{
    return {reinterpret_cast<const char *>(data), size};
}

} // namespace pelanova::fuzz
