#include "toolkit/bitmap.h"

#include "resources/resources.h"
#include "toolkit/bmp_decoder.h"
#include "toolkit/draw_context.h"

namespace tavolu {

CBitmap::CBitmap(int id) : CBitmap(resources::bitmapResource(id)) {
    resourceId = id;
}

CBitmap::CBitmap(std::span<const uint8_t> bmpBytes) {
    DecodedImage image = decodeBmp(bmpBytes);
    width = image.width;
    height = image.height;
    pixels = std::move(image.pixels);
}

void CBitmap::forget() {
    if (--referenceCount <= 0) delete this;
}

void CBitmap::draw(CDrawContext* context, const CRect& dest, CPoint offset) const {
    if (context) context->drawBitmap(*this, dest, offset, false);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& dest, CPoint offset) const {
    if (context) context->drawBitmap(*this, dest, offset, true);
}

}  // namespace tavolu
