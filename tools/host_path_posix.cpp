// POSIX paths in the library's grammar: an absolute native path under Z:\,
// as Wine maps it.
#include "host_path.h"

#include "winapi/winapi.h"

#include <climits>
#include <unistd.h>

namespace cli {

int system_utf8_to_utf16(const char *text, int size, char16_t *out, int capacity) {
    return MultiByteToWideChar(CP_UTF8, 0, text, size, as_wide(out), capacity);
}

std::string host_path(const unsigned short *path) {
    std::string text = utf8(path);
    if (text.size() >= 2 && (text[0] == 'Z' || text[0] == 'z') && text[1] == ':') text.erase(0, 2);
    for (char &c : text)
        if (c == '\\') c = '/';
    return text;
}

std::u16string library_path(const char *argument) {
    std::string native = argument;
    if (native.empty() || native[0] != '/') {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd)) native = std::string(cwd) + "/" + native;
    }
    std::u16string path = u"Z:";
    for (char16_t c : from_utf8(native)) path += c == u'/' ? u'\\' : c;
    return path;
}

}  // namespace cli
