#pragma once

// The floor for showing a folder: what a program that knows nothing of
// locales or widgets does to list it. One pass of std::filesystem, a plain
// test of the name's ending (the name first, so no stat for the rest), and a
// byte-order sort.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace barescan {

inline bool endsWithNoCase(std::string_view name, std::string_view ending)
{
    if (name.size() < ending.size())
        return false;
    const std::string_view tail = name.substr(name.size() - ending.size());
    return std::equal(tail.begin(), tail.end(), ending.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

inline bool isAudio(std::string_view name)
{
    return endsWithNoCase(name, ".wav") || endsWithNoCase(name, ".mp3") ||
           endsWithNoCase(name, ".wma");
}

// The visible audio files of folder (folders = false) or its visible
// subfolders (folders = true), sorted by bytes.
inline std::vector<std::string> list(const std::filesystem::path &folder, bool folders)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = it->path().filename().native();
        if (name.empty() || name.front() == '.')
            continue;
        std::error_code ignored;
        const bool keep =
            folders ? it->is_directory(ignored) : isAudio(name) && it->is_regular_file(ignored);
        if (keep)
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace barescan
