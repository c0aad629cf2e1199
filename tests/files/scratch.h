// Scratch files for the file tests: unique names in the system's temporary
// folder (Windows form on both builds), removed at the end of each test.
#pragma once

#include "support/win32.h"

#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace test {

class Scratch {
public:
    Scratch() {
        WCHAR folder[1024] = {};
        GetTempPathW(1024, folder);
        folder_ = std::u16string(reinterpret_cast<const char16_t *>(folder));
        std::random_device random;
        tag_ = u"qv" + to_u16(std::to_string(random() % 1000000));
    }
    ~Scratch() {
        for (const auto &path : made_) remove(path);
    }

    const std::u16string &folder() const { return folder_; }

    // A path that does not exist yet, removed with the scratch.
    std::u16string path(const char16_t *name) {
        std::u16string full = folder_ + tag_ + u"-" + name;
        remove(full);
        made_.push_back(full);
        return full;
    }

    // A file of `size` bytes 0, 1, 2, ...
    std::u16string file(const char16_t *name, size_t size) {
        std::u16string full = path(name);
        std::string body(size, '\0');
        for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>(i);
        write(full, body);
        return full;
    }

    static std::string read(const std::u16string &path) {
        HANDLE file = CreateFileW(win(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  0, nullptr);
        std::string body;
        if (file == INVALID_HANDLE_VALUE) return body;
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got) body.append(chunk, got);
        CloseHandle(file);
        return body;
    }

    static void write(const std::u16string &path, const std::string &body) {
        HANDLE file = CreateFileW(win(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD put = 0;
        WriteFile(file, body.data(), static_cast<DWORD>(body.size()), &put, nullptr);
        CloseHandle(file);
    }

    static const unsigned short *u16(const std::u16string &text) {
        return reinterpret_cast<const unsigned short *>(text.c_str());
    }
    static LPCWSTR win(const std::u16string &text) {
        return reinterpret_cast<LPCWSTR>(text.c_str());
    }

private:
    static std::u16string to_u16(const std::string &text) { return {text.begin(), text.end()}; }

    static void remove(const std::u16string &path) {
#ifdef _WIN32
        DeleteFileW(win(path));
#else
        // "Z:\tmp\x" is /tmp/x.
        std::string native;
        for (char16_t c : path.substr(2)) native += c == u'\\' ? '/' : static_cast<char>(c);
        ::unlink(native.c_str());
#endif
    }

    std::u16string folder_;
    std::u16string tag_;
    std::vector<std::u16string> made_;
};

}  // namespace test
