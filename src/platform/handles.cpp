#include "platform/handles.h"

#include <mutex>
#include <unordered_map>

namespace {

std::mutex g_lock;
std::unordered_map<uintptr_t, std::shared_ptr<platform::KernelObject>> g_objects;
uintptr_t g_next = 0x100;  // multiples of 4, as Windows hands them out

}  // namespace

namespace platform {

HANDLE insert_handle(std::shared_ptr<KernelObject> object) {
    std::lock_guard<std::mutex> guard(g_lock);
    uintptr_t value;
    do {
        value = g_next;
        g_next = g_next + 4 > 0x7FFFFFF0 ? 0x100 : g_next + 4;
    } while (g_objects.count(value));
    g_objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> find_handle(HANDLE handle) {
    std::lock_guard<std::mutex> guard(g_lock);
    auto found = g_objects.find(reinterpret_cast<uintptr_t>(handle));
    if (found == g_objects.end()) return nullptr;
    return found->second;
}

}  // namespace platform

BOOL quorvel_win32::CloseHandle(HANDLE handle) {
    std::shared_ptr<platform::KernelObject> object;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        auto found = g_objects.find(reinterpret_cast<uintptr_t>(handle));
        if (found == g_objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        object = std::move(found->second);
        g_objects.erase(found);
    }
    return object->close() ? TRUE : FALSE;
}
