#include "platform/file_object.h"

#include "platform/last_error.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

struct OpenMode {
    bool readable;
    bool writable;
    DWORD share;
    bool operator==(const OpenMode &o) const {
        return readable == o.readable && writable == o.writable && share == o.share;
    }
};

std::mutex g_share_lock;
std::map<std::pair<dev_t, ino_t>, std::vector<OpenMode>> g_open_files;

// The Windows rule: each side's access must be allowed by the other's
// share mode.
bool compatible(const OpenMode &a, const OpenMode &b) {
    if (a.readable && !(b.share & FILE_SHARE_READ)) return false;
    if (a.writable && !(b.share & FILE_SHARE_WRITE)) return false;
    if (b.readable && !(a.share & FILE_SHARE_READ)) return false;
    if (b.writable && !(a.share & FILE_SHARE_WRITE)) return false;
    return true;
}

}  // namespace

FileObject::FileObject(int fd, dev_t device, ino_t inode, bool readable, bool writable,
                       DWORD share, bool directory)
    : fd_(fd), device_(device), inode_(inode), readable_(readable), writable_(writable),
      share_(share), directory_(directory) {}

FileObject::~FileObject() {
    if (fd_ >= 0) {
        ::close(fd_);
        release();
    }
}

bool FileObject::admit(dev_t device, ino_t inode, bool readable, bool writable, DWORD share) {
    const OpenMode mode{readable, writable, share};
    std::lock_guard<std::mutex> guard(g_share_lock);
    auto &open = g_open_files[{device, inode}];
    for (const auto &other : open)
        if (!compatible(mode, other)) return false;
    open.push_back(mode);
    return true;
}

bool FileObject::deletable(dev_t device, ino_t inode) {
    std::lock_guard<std::mutex> guard(g_share_lock);
    auto found = g_open_files.find({device, inode});
    if (found == g_open_files.end()) return true;
    return std::all_of(found->second.begin(), found->second.end(),
                       [](const OpenMode &mode) { return mode.share & FILE_SHARE_DELETE; });
}

bool FileObject::none_open() {
    std::lock_guard<std::mutex> guard(g_share_lock);
    return g_open_files.empty();
}

void FileObject::release() {
    std::lock_guard<std::mutex> guard(g_share_lock);
    auto found = g_open_files.find({device_, inode_});
    if (found == g_open_files.end()) return;
    auto &open = found->second;
    auto mine = std::find(open.begin(), open.end(), OpenMode{readable_, writable_, share_});
    if (mine != open.end()) open.erase(mine);
    if (open.empty()) g_open_files.erase(found);
}

bool FileObject::close() {
    const int fd = fd_;
    fd_ = -1;
    release();
    if (::close(fd) != 0) {
        set_last_error_from_errno();
        return false;
    }
    return true;
}

std::shared_ptr<FileObject> file_from_handle(HANDLE handle) {
    auto file = find_handle_of<FileObject>(handle);
    if (!file) SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

}  // namespace platform
