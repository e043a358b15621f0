#include "controls/popup_arrow.h"

#include "frame/definitions.h"
#include "frame/host_services.h"
#include "frame/instance_data.h"
#include "frame/surface.h"

namespace popup_arrow {

static const InstanceData& dataOf(ControlInstance* instance) {
    return *InstanceDataOf<InstanceData>(instance, gPopupArrowDefinition);
}

// ---- geometry --------------------------------------------------------------------------

struct Offset {
    int32_t dx;
    int32_t dy;
};

// Vertices from the anchor, in the order they go to Polygon; each small shape
// is its large one with every offset halved.
static constexpr Offset kVertices[kFacingCount][3] = {
    {{0, 0}, {4, 4}, {0, 8}},  // kRightLarge
    {{4, 0}, {0, 4}, {4, 8}},  // kLeftLarge
    {{0, 4}, {4, 0}, {8, 4}},  // kUpLarge
    {{0, 0}, {8, 0}, {4, 4}},  // kDownLarge
    {{0, 0}, {2, 2}, {0, 4}},  // kRightSmall
    {{2, 0}, {0, 2}, {2, 4}},  // kLeftSmall
    {{0, 2}, {2, 0}, {4, 2}},  // kUpSmall
    {{0, 0}, {4, 0}, {2, 2}},  // kDownSmall
};

// ---- painter ---------------------------------------------------------------------------

void paintArrowTriangle(HDC dc, int32_t left, int32_t top, int32_t facing) {
    if (facing < 0 || facing >= kFacingCount) return;
    POINT points[3];
    for (int i = 0; i < 3; ++i) {
        points[i] = POINT{left + kVertices[facing][i].dx, top + kVertices[facing][i].dy};
    }
    HGDIOBJ keptBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    Polygon(dc, points, 3);
    SelectObject(dc, keptBrush);
}

void paintArrowShape(HDC dc, const HostRect& anchor, const ArrowLook& look) {
    paintArrowTriangle(dc, anchor.left, anchor.top, look.facing);
}

// ---- callbacks -------------------------------------------------------------------------

void draw(ControlInstance* instance, HostGraphics graphics) {
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    const ArrowLook look{dataOf(instance).facing};
    PaintOn(graphics, [&](HDC dc) { paintArrowShape(dc, bounds, look); });
}

}  // namespace popup_arrow
