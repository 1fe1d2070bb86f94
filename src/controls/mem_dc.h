// An off-screen drawing context for one paint: everything drawn into it for the target's clip box
// is collected in a bitmap and copied to the target in one block when it goes out of scope, so
// the user never sees the intermediate steps. A printing context is drawn into directly.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/handles.h"

namespace tavelin {

class CMemDC {
public:
    explicit CMemDC(HDC target);
    ~CMemDC();
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    // The context to draw into, in the target's coordinates.
    HDC Get() const { return m_bBuffering ? m_memory.Get() : m_target; }
    operator HDC() const { return Get(); }
    bool IsBuffering() const { return m_bBuffering; }
    // The area that is buffered: the target's clip box.
    const RECT& Area() const { return m_rect; }

private:
    HDC m_target;
    RECT m_rect{};
    bool m_bBuffering = false;
    // Declared in the order of creation, so that the bitmap is selected out before it is deleted
    // and deleted before its context.
    UniqueMemoryDc m_memory;
    UniqueGdiObject m_bitmap;
    std::optional<SelectedObject> m_selection;
};

}  // namespace tavelin
