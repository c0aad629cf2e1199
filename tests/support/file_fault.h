// POSIX only: lets `budget` bytes of reads (operation 0) or writes (1) of
// one file, or of any when `file` is null, through, then fails with `code`;
// a code of 0 makes the transfer come up short instead. Lives for a scope.
#pragma once

#include "support/win32.h"

namespace test {

class FileFault {
public:
    FileFault(int operation, DWORD budget, DWORD code, void *file = nullptr)
        : operation_(operation), budget_(budget), code_(code), file_(file) {
        Quorvel_SetFileFaultHook(&FileFault::hook, this);
    }
    ~FileFault() { Quorvel_SetFileFaultHook(nullptr, nullptr); }
    FileFault(const FileFault &) = delete;
    FileFault &operator=(const FileFault &) = delete;

private:
    static DWORD hook(void *context, int operation, HANDLE file, DWORD requested, DWORD *allowed) {
        auto *self = static_cast<FileFault *>(context);
        if (operation != self->operation_ || (self->file_ && file != self->file_)) return 0;
        if (requested <= self->budget_) {
            self->budget_ -= requested;
            return 0;
        }
        *allowed = self->budget_;
        self->budget_ = 0;
        return self->code_;
    }
    int operation_;
    DWORD budget_, code_;
    void *file_;
};

}  // namespace test
