// What this process holds of the system: its GDI and USER objects, its handles and its memory,
// for the runs that play the game for long and look for what grows. Where the system's own
// counter answers nothing (Wine 8 answers 0 from GetGuiResources, GetProcessHandleCount and
// PrivateUsage), the objects are counted in the process's own tables instead, and the figures
// say so. Header-only, so that the benchmarks, which link no test library, count the same way.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstdint>

struct TProcessResources {
    uint32_t GdiObjects = 0;
    uint32_t UserObjects = 0;
    uint32_t Handles = 0;
    uint64_t PrivateBytes = 0;
    // The blocks allocated on every heap of the process, and what the heaps hold of the system.
    // Wine's HeapWalk leaves out blocks of half a megabyte and more; the private memory has them.
    uint64_t HeapUsedBytes = 0;
    uint64_t HeapCommittedBytes = 0;
    // Whether each count is the system's own counter or a count of the process's tables, and
    // whether the private memory is PrivateUsage or, without it, PagefileUsage.
    bool GdiFromSystem = false;
    bool UserFromSystem = false;
    bool HandlesFromSystem = false;
    bool PrivateFromPrivateUsage = false;
};

namespace resources {

// Wine takes a GDI handle's index alone for the whole handle, so every live object of the
// process answers at its index of the 65536.
inline uint32_t GdiObjectsInTable() {
    uint32_t count = 0;
    for (uintptr_t index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)))
            ++count;
    return count;
}

inline BOOL CALLBACK CountOwnWindow(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) ++*reinterpret_cast<uint32_t*>(count);
    return TRUE;
}

inline BOOL CALLBACK CountOwnWindowAndDescendants(HWND window, LPARAM count) {
    CountOwnWindow(window, count);
    EnumChildWindows(window, CountOwnWindow, count);
    return TRUE;
}

// Top-level windows with all their descendants, and the message-only windows, which no
// enumeration of the desktop lists.
inline uint32_t OwnWindows() {
    uint32_t count = 0;
    EnumWindows(CountOwnWindowAndDescendants, reinterpret_cast<LPARAM>(&count));
    for (HWND window = nullptr; (window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr));)
        CountOwnWindowAndDescendants(window, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Menus and accelerator tables by their place in Wine's table of USER handles: every even value
// from 0x20 up, which Wine takes as the handle of this process's object there. The game makes
// no cursors or icons of its own (the ones it loads are shared and never freed), so these and
// the windows are all the USER objects it makes.
inline uint32_t MenusAndAcceleratorTablesInTable() {
    uint32_t count = 0;
    for (uintptr_t handle = 0x20; handle < 0xfff0; handle += 2) {
        if (IsMenu(reinterpret_cast<HMENU>(handle))) ++count;
        if (CopyAcceleratorTableA(reinterpret_cast<HACCEL>(handle), nullptr, 0) > 0) ++count;
    }
    return count;
}

// A handle table hands out its lowest free entry first, so the live handles sit low: the walk
// ends after a long run of free entries.
inline uint32_t HandlesInTable() {
    const int freeRunThatEnds = 2048;
    uint32_t count = 0;
    int freeRun = 0;
    for (uintptr_t handle = 4; freeRun < freeRunThatEnds; handle += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(handle), &flags)) {
            ++count;
            freeRun = 0;
        } else {
            ++freeRun;
        }
    }
    return count;
}

inline void AddHeapBytes(HANDLE heap, TProcessResources& figures) {
    if (!HeapLock(heap)) return;
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_REGION)
            figures.HeapCommittedBytes += entry.Region.dwCommittedSize;
        else if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            figures.HeapUsedBytes += entry.cbData;
    }
    HeapUnlock(heap);
}

inline void AddEveryHeap(TProcessResources& figures) {
    HANDLE heaps[256];
    const DWORD count = GetProcessHeaps(256, heaps);
    for (DWORD i = 0; i < count && i < 256; ++i) AddHeapBytes(heaps[i], figures);
}

}  // namespace resources

inline TProcessResources CountProcessResources() {
    using namespace resources;
    TProcessResources figures;
    const HANDLE self = GetCurrentProcess();
    figures.GdiObjects = GetGuiResources(self, GR_GDIOBJECTS);
    figures.GdiFromSystem = figures.GdiObjects != 0;
    if (!figures.GdiFromSystem) figures.GdiObjects = GdiObjectsInTable();
    figures.UserObjects = GetGuiResources(self, GR_USEROBJECTS);
    figures.UserFromSystem = figures.UserObjects != 0;
    if (!figures.UserFromSystem) figures.UserObjects = OwnWindows() + MenusAndAcceleratorTablesInTable();
    DWORD handles = 0;
    figures.HandlesFromSystem = GetProcessHandleCount(self, &handles) && handles != 0;
    figures.Handles = figures.HandlesFromSystem ? handles : HandlesInTable();

    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    // Wine leaves PrivateUsage at 0 and gives the process's anonymous memory as its page-file use.
    figures.PrivateFromPrivateUsage = memory.PrivateUsage != 0;
    figures.PrivateBytes = figures.PrivateFromPrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    AddEveryHeap(figures);
    return figures;
}
