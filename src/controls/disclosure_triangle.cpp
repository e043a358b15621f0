#include "controls/disclosure_triangle.h"

#include "base/high_contrast.h"
#include "host_services/events.h"
#include "host_services/host_helpers.h"
#include "host_services/instance_data.h"
#include "host_services/records.h"
#include "host_services/resolver.h"
#include "host_services/surface.h"

namespace disclosure_triangle {

static constexpr int32_t kActionEvent = 0;

static InstanceData& dataOf(ControlInstance* instance) {
    return *InstanceDataOf<InstanceData>(instance, gDisclosureTriangleDefinition);
}

// ---- geometry: offsets from the anchor (the bounds' top-left corner) ----------

struct Offset {
    int32_t dx;
    int32_t dy;
};

struct Shape {
    Offset vertices[3];
    Offset highlightFrom;
    Offset highlightTo;
    Offset shadowFrom;
    Offset shadowTo;
};

enum ShapeIndex { kPointsRight, kPointsLeft, kPointsDown };

static constexpr Shape kShapes[] = {
    // kPointsRight
    {{{2, 0}, {7, 5}, {2, 10}}, {3, 2}, {3, 9}, {6, 5}, {3, 8}},
    // kPointsLeft
    {{{7, 0}, {2, 5}, {7, 10}}, {6, 2}, {6, 9}, {3, 5}, {7, 9}},
    // kPointsDown
    {{{0, 2}, {10, 2}, {5, 7}}, {2, 3}, {9, 3}, {8, 3}, {5, 6}},
};

// Any non-zero Value byte counts as expanded, as the toggle does.
static ShapeIndex shapeFor(int32_t facing, uint8_t value) {
    if (value != 0) return kPointsDown;
    return facing == 0 ? kPointsRight : kPointsLeft;
}

// ---- look ----------------------------------------------------------------------------

static TriangleLook lookOf(const InstanceData& data, bool enabled) {
    return TriangleLook{data.facing, data.value, enabled, data.pressed != 0};
}

// ---- painter ---------------------------------------------------------------------------

static void drawLine(HDC dc, int32_t left, int32_t top, COLORREF colour, Offset from, Offset to) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ keptPen = SelectObject(dc, pen);
    MoveToEx(dc, left + from.dx, top + from.dy, nullptr);
    LineTo(dc, left + to.dx, top + to.dy);
    SelectObject(dc, keptPen);
    DeleteObject(pen);
}

void paintTriangle(HDC dc, const HostRect& bounds, const TriangleLook& look) {
    const int32_t left = bounds.left;
    const int32_t top = bounds.top;
    const Shape& shape = kShapes[shapeFor(look.facing, look.value)];
    const bool dimmed = !look.enabled || look.pressed;
    const Palette palette = Palette::ofSetting();

    HBRUSH brush = CreateSolidBrush(GetSysColor(dimmed ? COLOR_BTNSHADOW : COLOR_BTNFACE));
    HGDIOBJ keptBrush = SelectObject(dc, brush);
    POINT points[3];
    for (int i = 0; i < 3; ++i) points[i] = POINT{left + shape.vertices[i].dx, top + shape.vertices[i].dy};
    PaintOutlined(dc, palette, [&] { Polygon(dc, points, 3); });
    SelectObject(dc, keptBrush);
    DeleteObject(brush);

    if (dimmed) return;
    drawLine(dc, left, top, GetSysColor(COLOR_BTNHIGHLIGHT), shape.highlightFrom, shape.highlightTo);
    drawLine(dc, left, top, GetSysColor(COLOR_BTNSHADOW), shape.shadowFrom, shape.shadowTo);
}

// ---- callbacks -------------------------------------------------------------------------

// Immediate feedback while tracking: painted as enabled.
static void repaintNow(ControlInstance* instance, const HostRect& bounds, const InstanceData& data) {
    const TriangleLook look = lookOf(data, true);
    RepaintNow(instance, [&](HDC dc) { paintTriangle(dc, bounds, look); });
}

void construct(ControlInstance* instance) { dataOf(instance).pressed = 0; }

void draw(ControlInstance* instance, HostGraphics graphics) {
    const InstanceData& data = dataOf(instance);
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    const TriangleLook look = lookOf(data, host::ZOKAGetControlEnabled(instance));
    PaintOn(graphics, [&](HDC dc) { paintTriangle(dc, bounds, look); });
}

// The press and the release are tested as the host's point, the low 16 bits
// of each coordinate; the drag compares all 32.
static bool pressOrReleaseInside(int32_t x, int32_t y, const HostRect& bounds) {
    return PointInHostRect(HostPointOf(x, y), bounds);
}

HostBoolean mouseDown(ControlInstance* instance, int32_t x, int32_t y) {
    // A disabled triangle takes the click and does nothing with it.
    if (!host::ZOKAGetControlEnabled(instance)) return true;
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    if (!pressOrReleaseInside(x, y, bounds)) return false;
    InstanceData& data = dataOf(instance);
    data.pressed = 1;
    repaintNow(instance, bounds, data);
    return true;
}

void mouseDrag(ControlInstance* instance, int32_t x, int32_t y) {
    if (!host::ZOKAGetControlEnabled(instance)) return;
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    InstanceData& data = dataOf(instance);
    const uint8_t pressed = PointInHostRect(x, y, bounds) ? 1 : 0;
    if (pressed == data.pressed) return;
    data.pressed = pressed;
    repaintNow(instance, bounds, data);
}

void mouseUp(ControlInstance* instance, int32_t x, int32_t y) {
    InstanceData& data = dataOf(instance);
    const bool enabled = host::ZOKAGetControlEnabled(instance);
    HostRect bounds{};
    if (enabled) host::GetControlBounds(instance, &bounds);
    if (enabled && pressOrReleaseInside(x, y, bounds)) {
        data.value = data.value == 0 ? 1 : 0;
        data.pressed = 0;
        host::ZOKAInvalidateControl(instance);
        // Fired last so that the handler reads the new Value.
        control_events::firePlainEvent(instance, gDisclosureTriangleDefinition.events[kActionEvent]);
        return;
    }
    // A release elsewhere ends the press too: without a drag out (or when the
    // control was disabled meanwhile) the pressed look would otherwise stay.
    if (data.pressed != 0) {
        data.pressed = 0;
        host::ZOKAInvalidateControl(instance);
    }
}

void action(ControlInstance* instance, int32_t) {
    control_events::firePlainEvent(instance, gDisclosureTriangleDefinition.events[kActionEvent]);
}

void setValue(ControlInstance* instance, int32_t, int32_t value) {
    dataOf(instance).value = static_cast<uint8_t>(value & 0xFF);
    host::ZOKAInvalidateControl(instance);
}

static void open(ControlInstance*) {}

// ---- record ----------------------------------------------------------------------------

static const char* const kFacingEntries[] = {"=#497", "=#498"};

static const PropertyDefinition kProperties[] = {
    records::Property("Initial State", "Value", "Boolean", records::kDirect, records::Fn(setValue),
                      offsetof(InstanceData, value), records::kNoEnumeration, records::kPlainPropertyFlags),
    records::Property("Appearance", "Facing", "Integer", records::kDirect, records::kDirect,
                      offsetof(InstanceData, facing), records::Entries(kFacingEntries)),
};

// clang-format off
static EventDefinition gEvents[] = {{"Action", 0}};

static constexpr ControlCallbacks kCallbacks =
    records::Slots().construct(construct).draw(draw).mouseDown(mouseDown).mouseDrag(mouseDrag).mouseUp(mouseUp)
        .open(open).drawOffscreen(draw).action(action);

}  // namespace disclosure_triangle

ControlDefinition gDisclosureTriangleDefinition =
    records::ClassRecord("DisclosureTriangle", sizeof(disclosure_triangle::InstanceData), 0xD0, 174, 12, 12)
        .properties(disclosure_triangle::kProperties).events(disclosure_triangle::gEvents)
        .callbacks(disclosure_triangle::kCallbacks);
// clang-format on
