// SPDX-License-Identifier: MIT
#pragma once
// A fresh folder under the user's temporary folder for one test, removed
// with everything in it afterwards; and small file helpers on wide paths.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace lq3860 {

class TestFolder {
public:
    TestFolder() {
        static unsigned counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                (L"lq3860-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) +
                 L"-" + std::to_wstring(++counter));
        std::error_code error;
        std::filesystem::create_directories(path_, error);
    }
    ~TestFolder() {
        // Read-only files would stop the removal.
        std::error_code error;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, error)) {
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        std::filesystem::remove_all(path_, error);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The full path of a name in the folder, as UTF-8 for the code under test.
    std::string Utf8(const std::wstring& name) const {
        const std::u8string text = (path_ / name).u8string();
        return std::string(text.begin(), text.end());
    }
    // The names in the folder.
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(path_, error)) {
            names.push_back(entry.path().filename().wstring());
        }
        return names;
    }

private:
    std::filesystem::path path_;
};

inline bool WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    return static_cast<bool>(std::ofstream(path, std::ios::binary) << bytes);
}

// The whole file, or "<unreadable>".
inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<unreadable>";
}

}  // namespace lq3860
