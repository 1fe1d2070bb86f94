#include "controls/xheader_geometry.h"

#include <algorithm>

namespace tavelin {

HeaderItemLayout LayoutHeaderItem(const CellRect& item, int imageIndex, bool hasImageList, int imageWidth,
                                  int imageHeight, bool hasText) {
    HeaderItemLayout layout;
    CellRect content = item;
    content.left += kHeaderSpacing;
    content.right -= kHeaderSpacing;

    int captionLeft = content.left;
    if (imageIndex != 0 && hasImageList && content.Width() > 0) {
        layout.hasImage = true;
        layout.image.left = content.left;
        layout.image.top = (content.top + content.bottom) / 2 - imageHeight / 2;
        layout.image.right = layout.image.left + std::min(content.Width(), imageWidth);
        layout.image.bottom = layout.image.top + imageHeight;
        captionLeft += imageWidth + kHeaderSpacing;
    }
    layout.caption = {captionLeft, content.top, content.right, content.bottom};
    layout.hasCaption = hasText && layout.caption.Width() > 0;
    return layout;
}

HeaderSeparator HeaderSeparatorAt(const CellRect& item) {
    return {{item.right - 1, item.top + 2, item.bottom - 2}, {item.right, item.top + 2, item.bottom - 2}};
}

CellRect HeaderFrameRect(const CellRect& client, int totalItemWidth) {
    return {client.left, client.top, client.left + totalItemWidth, client.bottom};
}

}  // namespace tavelin
