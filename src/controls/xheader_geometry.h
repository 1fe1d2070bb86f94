// Pixel geometry of the list header's items, free of any window system: where an item's image and
// caption go, and where separators and the outer frame are drawn.
#pragma once

#include "controls/xlist_geometry.h"

namespace tavelin {

// Horizontal inset of an item's content, and the gap between its image and its caption.
constexpr int kHeaderSpacing = 6;

struct HeaderItemLayout {
    bool hasImage = false;
    CellRect image;  // where the image is drawn; its width is cut to the content's width
    bool hasCaption = false;
    CellRect caption;
};

// `item` is the item's full rectangle. Image index 0 means no image, so image 0 of the list is
// never shown.
HeaderItemLayout LayoutHeaderItem(const CellRect& item, int imageIndex, bool hasImageList, int imageWidth,
                                  int imageHeight, bool hasText);

// The two lines between an item and the next: shadow one pixel inside the item's right edge,
// highlight on it, both 2 pixels short of the top and the bottom.
struct HeaderSeparator {
    VerticalStroke shadow;
    VerticalStroke highlight;
};
HeaderSeparator HeaderSeparatorAt(const CellRect& item);

// The outer frame runs from the client's left edge to the end of the last item, not to the
// window's edge.
CellRect HeaderFrameRect(const CellRect& client, int totalItemWidth);

}  // namespace tavelin
