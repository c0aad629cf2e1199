// The process-wide state of encryption runs: the host's callbacks and the
// open log, with the log's two line forms.
#pragma once

#include <quorvel/encrypt.h>

#include "platform/win32.h"

#include <cstdint>
#include <string>

namespace encrypt {

struct Callbacks {
    ENC_FUNC_START start = nullptr;
    ENC_FUNC_RESULT result = nullptr;
    ENC_FUNC_LOGGING logging = nullptr;
    ENC_FUNC_VERIFY verify = nullptr;
};
Callbacks &callbacks();

// Opens a restored file (OPEN_ALWAYS) or folder, or the log (CREATE_ALWAYS),
// for writing without following a link in the last component: a link
// placed where they go would send them outside the output folder. Null,
// with ERROR_CANT_ACCESS_FILE, for a link there. `created`, when given,
// tells whether the open made a new file.
HANDLE open_unlinked(const std::u16string &path, bool folder, DWORD disposition = OPEN_ALWAYS,
                     bool *created = nullptr);

// Opens (empties) the log at the long-path form of `path`; without a log
// the line writers do nothing. A log that cannot be made is no failure of
// the run, as a runtime library's "wb" open that fails is not.
void open_log(const unsigned short *path);
void close_log();
// "%03d [%12I64d] %s\n" and "%03d [%12s] %s\n" with an empty size, in
// UTF-16LE.
void log_file(unsigned level, int64_t size, const unsigned short *path);
void log_folder(unsigned level, const unsigned short *path);

}  // namespace encrypt
