// Adapters behind the Microsoft-decorated exports whose calling convention or
// types differ from GCC's (docs/windows-abi.md). scripts/msabi.py points each
// such export at quorvel_ms_<Name>; every other decorated name is an alias.
#include <quorvel/paths.h>
#include <quorvel/sequence.h>

#include <new>

// Microsoft's constructors are __thiscall on i686 (as GCC's members are) and
// hand `this` back in the result register, which GCC's do not.
extern "C" tagSEQ *__thiscall quorvel_ms_tagSEQ_tagSEQ(tagSEQ *self) {
    return new (self) tagSEQ;
}

// Microsoft's _stati64 is _stat64 (64-bit times) on both architectures; on
// i686 MinGW's msvcrt record has 32-bit times. Widened field by field.
extern "C" int quorvel_ms_Cfl_GetFileInfo(const unsigned short *path,
                                                     struct _stat64 *status) {
    if (!status) return 0;
    struct _stati64 own;
    const int result = Cfl_GetFileInfo(path, &own);
    status->st_dev = own.st_dev;
    status->st_ino = own.st_ino;
    status->st_mode = own.st_mode;
    status->st_nlink = own.st_nlink;
    status->st_uid = own.st_uid;
    status->st_gid = own.st_gid;
    status->st_rdev = own.st_rdev;
    status->st_size = own.st_size;
    status->st_atime = own.st_atime;
    status->st_mtime = own.st_mtime;
    status->st_ctime = own.st_ctime;
    return result;
}
