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
    // Whether every handle open on (device, inode) lets others delete or
    // rename it (FILE_SHARE_DELETE), as Windows asks before either.
    static bool deletable(dev_t device, ino_t inode);
    // Whether no file at all is open through this layer.
    static bool none_open();

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

// Asks the tests' fault hook, if any, how many of `count` bytes may move on
// `file` (operation 0 read, 1 write): sets `allowed` and returns the Win32
// error to fail with afterwards, or 0.
DWORD consult_file_fault(int operation, HANDLE file, DWORD count, DWORD &allowed);

}  // namespace platform
