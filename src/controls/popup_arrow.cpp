#include "controls/popup_arrow.h"

#include "host_services/events.h"
#include "host_services/instance_data.h"
#include "host_services/records.h"
#include "host_services/resolver.h"
#include "host_services/surface.h"

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

void paintArrowTriangle(HDC dc, int32_t left, int32_t top, int32_t facing, const Palette& palette) {
    if (facing < 0 || facing >= kFacingCount) return;
    POINT points[3];
    for (int i = 0; i < 3; ++i) {
        points[i] = POINT{left + kVertices[facing][i].dx, top + kVertices[facing][i].dy};
    }
    PaintOutlined(dc, palette, [&] {
        HGDIOBJ keptBrush = SelectObject(dc, palette.brush(Element::kArrow));
        Polygon(dc, points, 3);
        SelectObject(dc, keptBrush);
    });
}

void paintArrowShape(HDC dc, const HostRect& anchor, const ArrowLook& look) {
    paintArrowTriangle(dc, anchor.left, anchor.top, look.facing, Palette::ofSetting());
}

// ---- callbacks -------------------------------------------------------------------------

void draw(ControlInstance* instance, HostGraphics graphics) {
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    const ArrowLook look{dataOf(instance).facing};
    PaintOn(graphics, [&](HDC dc) { paintArrowShape(dc, bounds, look); });
}

static void open(ControlInstance*) {}

// ---- record ----------------------------------------------------------------------------

// clang-format off
static const char* const kFacingEntries[] = {"=#499", "=#500", "=#501", "=#502",
                                             "=#503", "=#504", "=#505", "=#506"};
// clang-format on

static const PropertyDefinition kProperties[] = {
    records::Property("Appearance", "Facing", "Integer", records::kDirect, records::kDirect,
                      offsetof(InstanceData, facing), records::Entries(kFacingEntries)),
};

// clang-format off
static EventDefinition gEvents[] = {MOUSE_EVENT_ROWS};

static constexpr ControlCallbacks kCallbacks =
    records::Slots().draw(draw).forwardMouse<gPopupArrowDefinition>().open(open).drawOffscreen(draw);

}  // namespace popup_arrow

ControlDefinition gPopupArrowDefinition =
    records::ClassRecord("PopupArrow", sizeof(popup_arrow::InstanceData), 0xD0, 184, 10, 10)
        .properties(popup_arrow::kProperties).events(popup_arrow::gEvents).callbacks(popup_arrow::kCallbacks);
// clang-format on
