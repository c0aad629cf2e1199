// File times: FILETIME (100-ns units since 1601) against POSIX timespecs,
// and the creation time, which POSIX keeps only in part.
#pragma once

#include "platform/win32.h"

#include <ctime>
#include <sys/stat.h>
#include <string>

namespace platform {

uint64_t filetime_from_timespec(const timespec &time);
timespec timespec_from_filetime(uint64_t filetime);

// The creation time of the open file `fd`: the one SetFileTime kept, else
// the birth time the file system records, else the earlier of the change
// and modification times. False with errno set when the file cannot be read.
bool creation_time(int fd, timespec &out);
bool creation_time(const std::string &path, timespec &out);

// The pieces of the rule above, for listings that read many files: the
// name of the attribute SetFileTime keeps, the time kept at `path`, and the
// time a statx record taken with STATX_BTIME gives.
extern const char kCreationAttribute[];
bool kept_creation_time(const std::string &path, timespec &out);
bool kept_creation_time(int fd, timespec &out);
timespec creation_time(const struct statx &status);

}  // namespace platform
