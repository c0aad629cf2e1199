#include "password.h"

#include "console.h"
#include "host_path.h"

#include <quorvel/base.h>
#include <quorvel/fl.h>
#include <quorvel/text.h>

#include "platform/win32.h"

#include <cstdio>
#include <memory>

namespace cli {
namespace {

// Longest password taken: room for the salt in one of the library's text
// buffers, as the hosts that pass passwords in such buffers have it.
constexpr size_t kMostUnits = QUORVEL_MAX_TEXT - 16;

// The first line of a file (through the library, so that any name opens),
// without a UTF-8 byte-order mark. False with the reason when it cannot be
// read or is longer than a password can be.
bool first_line(const char *command, const std::string &file, std::string &line) {
    void *handle = Fl_Open(as_exported(library_path(file.c_str())), FL_READ, 0);
    if (!handle) {
        std::fprintf(stderr, "quorvel %s: cannot read %s%s\n", command, file.c_str(),
                     last_error_reason().c_str());
        return false;
    }
    std::string text;
    char buffer[4096];
    uint32_t count;
    while ((count = Fl_Read(handle, buffer, sizeof buffer)) != FL_FAILED && count > 0 &&
           text.find('\n') == std::string::npos && text.size() <= kMostUnits * 4)
        text.append(buffer, count);
    Fl_Close(handle);
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    line = text.substr(0, text.find('\n'));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (count == FL_FAILED || line.find('\0') != std::string::npos ||
        from_utf8(line).size() > kMostUnits) {
        std::fprintf(stderr, "quorvel %s: %s does not hold a password of at most %d characters "
                             "on its first line\n", command, file.c_str(), static_cast<int>(kMostUnits));
        return false;
    }
    return true;
}

}  // namespace

bool read_password(const char *command, const std::string &file, bool confirm,
                   std::u16string &password) {
    if (!file.empty()) {
        std::string line;
        if (!first_line(command, file, line)) return false;
        password = from_utf8(line);
    } else if (!environment_text("QUORVEL_PASSWORD", password)) {
        std::u16string again;
        if (!read_secret("Password: ", password) ||
            (confirm && !read_secret("Password again: ", again))) {
            std::fprintf(stderr, "quorvel %s: no password (no terminal to ask on)\n", command);
            return false;
        }
        if (confirm && again != password) {
            std::fprintf(stderr, "quorvel %s: the passwords differ\n", command);
            return false;
        }
    }
    if (password.empty()) std::fprintf(stderr, "quorvel %s: the password is empty\n", command);
    if (password.size() > kMostUnits) {
        std::fprintf(stderr, "quorvel %s: the password is longer than %d characters\n", command,
                     static_cast<int>(kMostUnits));
        return false;
    }
    return !password.empty();
}

bool read_password_file(const char *command, const std::string &file, std::u16string &password) {
    std::string line;
    if (!first_line(command, file, line)) return false;
    password = from_utf8(line);
    return true;
}

bool password_survives_ansi(const char *command, const std::u16string &password) {
    std::unique_ptr<char[]> ansi(Str_FromUnicode(as_exported(password), 0xFFFFFFFFu));
    std::unique_ptr<unsigned short[]> back(ansi ? Str_ToUnicode(ansi.get(), 0xFFFFFFFFu) : nullptr);
    if (back && password == as_u16(back.get())) return true;
    const bool encrypting = command[0] == 'e';
    std::fprintf(stderr,
                 "quorvel %s: %s: the password does not survive the ANSI code page %u, from "
                 "which the keys are made (other passwords would give the same keys); set "
                 "QUORVEL_ACP to a code page that holds it (932 for Japanese)%s\n",
                 command, encrypting ? "refused" : "warning", static_cast<unsigned>(GetACP()),
                 encrypting ? "" : " if this container was made under one");
    return false;
}

}  // namespace cli
