#include "password.h"

#include "console.h"
#include "host_path.h"

#include <quorvel/fl.h>

#include <cstdio>

namespace cli {
namespace {

// The first line of a file (through the library, so that any name opens).
bool first_line(const std::string &file, std::string &line) {
    void *handle = Fl_Open(u16(library_path(file.c_str())), FL_READ, 0);
    if (!handle) return false;
    char buffer[4096];
    const uint32_t count = Fl_Read(handle, buffer, sizeof buffer);
    Fl_Close(handle);
    if (count == FL_FAILED) return false;
    line.assign(buffer, count);
    line = line.substr(0, line.find('\n'));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

}  // namespace

bool read_password(const char *command, const std::string &file, bool confirm,
                   std::u16string &password) {
    if (!file.empty()) {
        std::string line;
        if (!first_line(file, line)) {
            std::fprintf(stderr, "quorvel %s: cannot read %s\n", command, file.c_str());
            return false;
        }
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
    return !password.empty();
}

}  // namespace cli
