#include "controls/mem_dc.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/handles.h"

namespace tavelin {
namespace {

// A 64 x 32 white target clipped to (10, 5)-(40, 25).
class MemDcTest : public ::testing::Test {
protected:
    void SetUp() override {
        HDC screen = GetDC(nullptr);
        m_target.Reset(CreateCompatibleDC(screen));
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = 64;
        info.bmiHeader.biHeight = -32;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_bitmap.Reset(CreateDIBSection(screen, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0));
        ReleaseDC(nullptr, screen);
        m_selection.emplace(m_target.Get(), m_bitmap.Get());
        const RECT all{0, 0, 64, 32};
        FillRect(m_target.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        IntersectClipRect(m_target.Get(), 10, 5, 40, 25);
    }
    COLORREF At(int x, int y) const {
        GdiFlush();
        const DWORD p = m_bits[y * 64 + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    UniqueMemoryDc m_target;
    UniqueGdiObject m_bitmap;
    std::optional<SelectedObject> m_selection;
    DWORD* m_bits = nullptr;
};

TEST_F(MemDcTest, CollectsDrawingAndCopiesItOnceInTargetCoordinates) {
    const RECT block{12, 6, 20, 10};
    const RECT corner{34, 20, 40, 25};  // the clip box's far corner, beyond the buffer's own size
    {
        CMemDC buffer(m_target.Get());
        ASSERT_TRUE(buffer.IsBuffering());
        EXPECT_EQ(buffer.Area().left, 10);
        EXPECT_EQ(buffer.Area().top, 5);
        EXPECT_EQ(buffer.Area().right, 40);
        EXPECT_EQ(buffer.Area().bottom, 25);
        const RECT clip = buffer.Area();
        FillRect(buffer, &clip, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        FillRect(buffer, &block, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        FillRect(buffer, &corner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EXPECT_EQ(At(12, 6), RGB(255, 255, 255)) << "nothing reaches the target before the end";
    }
    struct Case {
        const char* name;
        int x, y;
        COLORREF colour;
    };
    const Case cases[] = {
        {"block's top-left corner", 12, 6, RGB(0, 0, 0)},
        {"block's bottom-right pixel", 19, 9, RGB(0, 0, 0)},
        {"right of the block", 20, 9, RGB(255, 255, 255)},
        {"above the block", 12, 5, RGB(255, 255, 255)},
        {"clip box's last pixel", 39, 24, RGB(0, 0, 0)},
        {"left of the corner block", 33, 24, RGB(255, 255, 255)},
        {"outside the clip box", 40, 25, RGB(255, 255, 255)},
    };
    for (const Case& c : cases) EXPECT_EQ(At(c.x, c.y), c.colour) << c.name;
}

}  // namespace
}  // namespace tavelin
