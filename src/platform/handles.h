// One owner per Win32 handle kind. Copying is deleted, moving transfers ownership; each closes
// its handle with the one call that matches how it was obtained.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace tavelin {

template <typename Handle, typename Traits>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : m_handle(handle) {}
    ~UniqueResource() { Reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : m_handle(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Handle Get() const { return m_handle; }
    bool Valid() const { return Traits::IsValid(m_handle); }
    explicit operator bool() const { return Valid(); }

    Handle Release() { return std::exchange(m_handle, Traits::Invalid()); }
    void Reset(Handle handle = Traits::Invalid()) {
        if (Traits::IsValid(m_handle)) Traits::Close(m_handle);
        m_handle = handle;
    }
    // For out-parameters of the creating call: closes what is held and returns the slot.
    Handle* Receive() {
        Reset();
        return &m_handle;
    }

private:
    Handle m_handle = Traits::Invalid();
};

struct KernelHandleTraits {  // CreateMutex, CreateThread, CreateProcess, OpenProcessToken, ...
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct RegistryKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool IsValid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct ModuleTraits {  // LoadLibrary
    static HMODULE Invalid() { return nullptr; }
    static bool IsValid(HMODULE h) { return h != nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};
struct GdiObjectTraits {  // bitmaps, pens, brushes, fonts, regions
    static HGDIOBJ Invalid() { return nullptr; }
    static bool IsValid(HGDIOBJ h) { return h != nullptr; }
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct MemoryDcTraits {  // CreateCompatibleDC
    static HDC Invalid() { return nullptr; }
    static bool IsValid(HDC h) { return h != nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
struct LocalMemoryTraits {  // memory the system allocated with LocalAlloc (CommandLineToArgvW)
    static HLOCAL Invalid() { return nullptr; }
    static bool IsValid(HLOCAL h) { return h != nullptr; }
    static void Close(HLOCAL h) { LocalFree(h); }
};

struct FindHandleTraits {  // FindFirstFileW
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};

struct ImageListTraits {  // ImageList_Create, ImageList_LoadImage
    static HIMAGELIST Invalid() { return nullptr; }
    static bool IsValid(HIMAGELIST h) { return h != nullptr; }
    static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};

using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;
using UniqueKey = UniqueResource<HKEY, RegistryKeyTraits>;
using UniqueModule = UniqueResource<HMODULE, ModuleTraits>;
using UniqueGdiObject = UniqueResource<HGDIOBJ, GdiObjectTraits>;
using UniqueMemoryDc = UniqueResource<HDC, MemoryDcTraits>;
using UniqueLocalMemory = UniqueResource<HLOCAL, LocalMemoryTraits>;
using UniqueImageList = UniqueResource<HIMAGELIST, ImageListTraits>;
using UniqueFindHandle = UniqueResource<HANDLE, FindHandleTraits>;

// Selects an object into a device context and selects the previous one back when it ends.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (m_previous != nullptr && m_previous != HGDI_ERROR) SelectObject(m_dc, m_previous);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

}  // namespace tavelin
