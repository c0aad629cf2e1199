// An open file behind a HANDLE: the descriptor, the access it was opened
// with and the share mode it grants others in this process.
#pragma once

#include "platform/handles.h"

#include <sys/types.h>

namespace platform {

class FileObject : public KernelObject {
public:
    FileObject(int fd, dev_t device, ino_t inode, bool readable, bool writable, DWORD share,
               bool directory);
    ~FileObject() override;
    bool close() override;

    int fd() const { return fd_; }
    bool readable() const { return readable_; }
    bool writable() const { return writable_; }
    bool directory() const { return directory_; }

    // Whether a new open of (device, inode) with this access and share mode
    // agrees with every handle already open on it; registers it if so.
    static bool admit(dev_t device, ino_t inode, bool readable, bool writable, DWORD share);

private:
    void release();

    int fd_;
    dev_t device_;
    ino_t inode_;
    bool readable_;
    bool writable_;
    DWORD share_;
    bool directory_;
};

// The file object of `handle`, or null with ERROR_INVALID_HANDLE set.
std::shared_ptr<FileObject> file_from_handle(HANDLE handle);

}  // namespace platform
