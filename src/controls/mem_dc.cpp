#include "controls/mem_dc.h"

namespace tavelin {

namespace {

bool IsPrinting(HDC dc) {
    const int technology = GetDeviceCaps(dc, TECHNOLOGY);
    return technology == DT_RASPRINTER || technology == DT_PLOTTER;
}

}  // namespace

CMemDC::CMemDC(HDC target) : m_target(target) {
    if (IsPrinting(target)) return;
    if (GetClipBox(target, &m_rect) == ERROR || IsRectEmpty(&m_rect)) return;

    m_memory.Reset(CreateCompatibleDC(target));
    if (!m_memory) return;
    m_bitmap.Reset(CreateCompatibleBitmap(target, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top));
    if (!m_bitmap) {
        m_memory.Reset();
        return;
    }
    m_selection.emplace(m_memory.Get(), m_bitmap.Get());
    SetWindowOrgEx(m_memory.Get(), m_rect.left, m_rect.top, nullptr);
    m_bBuffering = true;
}

CMemDC::~CMemDC() {
    if (!m_bBuffering) return;
    BitBlt(m_target, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top,
           m_memory.Get(), m_rect.left, m_rect.top, SRCCOPY);
}

}  // namespace tavelin
