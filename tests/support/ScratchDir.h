#pragma once
// A new empty folder under the system's temporary folder, for one test: the
// same on Linux and Windows (where there is no mkdtemp).

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

inline std::filesystem::path MakeScratchDir(const std::string& prefix)
{
    static std::mt19937_64 random{std::random_device{}()};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path dir = base / (prefix + "-" + std::to_string(random() % 1000000000));
        std::error_code error;
        if (std::filesystem::create_directory(dir, error))
            return dir;
    }
    throw std::runtime_error("no scratch folder could be made in " + base.string());
}

// Paths from and to the UTF-8 texts of a test. A plain char string is taken
// in the ANSI code page on Windows, which misspells a Cyrillic name.
inline std::filesystem::path U8Path(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}
inline std::string U8Text(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
