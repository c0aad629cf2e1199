// Global memory blocks, as the clipboard, drag and drop and the print
// dialogs hand them over: fixed blocks are their own address, movable ones
// an opaque handle with a lock count. Every block is in one process-wide
// table, so a stale or made-up handle is found missing, never followed.
#include "platform/win32_desktop.h"

#include <cstdlib>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

struct Block {
    void *bytes = nullptr;
    size_t size = 0;
    bool movable = false;
    unsigned locks = 0;
    ~Block() { std::free(bytes); }
};

struct Table {
    std::mutex lock;
    std::unordered_map<HGLOBAL, std::unique_ptr<Block>> blocks;
};
Table &table() {
    static Table instance;
    return instance;
}

// The block of a handle, the table being locked by the caller; null (and
// ERROR_INVALID_HANDLE) when there is none.
Block *find(HGLOBAL memory) {
    auto &blocks = table().blocks;
    const auto found = blocks.find(memory);
    if (found == blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return found->second.get();
}

}  // namespace

HGLOBAL quorvel_win32::GlobalAlloc(UINT flags, size_t bytes) {
    auto block = std::make_unique<Block>();
    // A block of 0 bytes still has an address, as on Windows.
    block->bytes = (flags & GMEM_ZEROINIT) ? std::calloc(1, bytes ? bytes : 1)
                                           : std::malloc(bytes ? bytes : 1);
    if (!block->bytes) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    block->size = bytes;
    block->movable = (flags & GMEM_MOVEABLE) != 0;
    // A movable block's handle is the address of its bookkeeping, which is
    // never a block's own address.
    HGLOBAL handle = block->movable ? static_cast<HGLOBAL>(block.get()) : block->bytes;
    std::lock_guard<std::mutex> guard(table().lock);
    table().blocks.emplace(handle, std::move(block));
    return handle;
}

LPVOID quorvel_win32::GlobalLock(HGLOBAL memory) {
    std::lock_guard<std::mutex> guard(table().lock);
    Block *block = find(memory);
    if (!block) return nullptr;
    if (block->movable && block->locks < GMEM_LOCKCOUNT) ++block->locks;
    return block->bytes;
}

BOOL quorvel_win32::GlobalUnlock(HGLOBAL memory) {
    std::lock_guard<std::mutex> guard(table().lock);
    Block *block = find(memory);
    if (!block) return FALSE;
    if (!block->movable) return TRUE;
    if (block->locks == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    if (--block->locks == 0) {
        SetLastError(NO_ERROR);
        return FALSE;
    }
    return TRUE;
}

UINT quorvel_win32::GlobalFlags(HGLOBAL memory) {
    std::lock_guard<std::mutex> guard(table().lock);
    Block *block = find(memory);
    return block ? block->locks : GMEM_INVALID_HANDLE;
}

size_t quorvel_win32::GlobalSize(HGLOBAL memory) {
    std::lock_guard<std::mutex> guard(table().lock);
    Block *block = find(memory);
    return block ? block->size : 0;
}

HGLOBAL quorvel_win32::GlobalFree(HGLOBAL memory) {
    if (!memory) return nullptr;
    std::lock_guard<std::mutex> guard(table().lock);
    if (!find(memory)) return memory;
    table().blocks.erase(memory);
    return nullptr;
}
