#include "controls/separator.h"

#include "host_services/records.h"
#include "host_services/resolver.h"
#include "host_services/surface.h"

namespace separator {

// ---- painter: the line depends on the bounds alone ---------------------------------------

void paintSeparator(HDC dc, const HostRect& bounds) {
    HPEN darkPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HPEN lightPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    HGDIOBJ previousPen = SelectObject(dc, darkPen);

    const int32_t top = bounds.top;
    const int32_t left = bounds.left;
    const int32_t bottom = bounds.bottom;
    const int32_t right = bounds.right;
    if (bottom - top < right - left) {
        const int32_t y = (top + bottom) / 2;
        MoveToEx(dc, left, y, nullptr);
        LineTo(dc, right, y);
        SelectObject(dc, lightPen);
        MoveToEx(dc, left, y + 1, nullptr);
        LineTo(dc, right, y + 1);
    } else {
        const int32_t x = (left + right) / 2;
        MoveToEx(dc, x, top, nullptr);
        LineTo(dc, x, bottom);
        SelectObject(dc, lightPen);
        MoveToEx(dc, x + 1, top, nullptr);
        LineTo(dc, x + 1, bottom);
    }

    SelectObject(dc, previousPen);
    DeleteObject(darkPen);
    DeleteObject(lightPen);
}

// ---- callbacks -------------------------------------------------------------------------

void construct(ControlInstance*) {}

void destruct(ControlInstance*) {}

void open(ControlInstance*) {}

void draw(ControlInstance* instance, HostGraphics graphics) {
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    PaintOn(graphics, [&](HDC dc) { paintSeparator(dc, bounds); });
}

void drawOffscreen(ControlInstance* instance, HostGraphics graphics) { draw(instance, graphics); }

// ---- record ----------------------------------------------------------------------------

// clang-format off
static constexpr ControlCallbacks kCallbacks =
    records::Slots().construct(construct).destruct(destruct).draw(draw).open(open).drawOffscreen(drawOffscreen);

}  // namespace separator

ControlDefinition gSeparatorDefinition =
    records::ClassRecord("Separator", sizeof(separator::InstanceData), 0xD0, 180, 64, 4)
        .callbacks(separator::kCallbacks);
// clang-format on
