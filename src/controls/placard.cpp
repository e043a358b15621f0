#include "controls/placard.h"

#include "base/high_contrast.h"
#include "host_services/events.h"
#include "host_services/instance_data.h"
#include "host_services/records.h"
#include "host_services/resolver.h"
#include "host_services/surface.h"

namespace placard {

static InstanceData& dataOf(ControlInstance* instance) {
    return *InstanceDataOf<InstanceData>(instance, gPlacardDefinition);
}

// ---- look ------------------------------------------------------------------------------

// System colours of the enabled look, by Value.
struct Bevel {
    int fill;
    int light;
    int dark;
};
static constexpr Bevel kRaised{COLOR_BTNFACE, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
static constexpr Bevel kPushedIn{COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW};

// ---- painter ---------------------------------------------------------------------------

static void paintEnabled(HDC dc, const RECT& outer, const RECT& inner, const Bevel& bevel, const Palette& palette) {
    HBRUSH fill = CreateSolidBrush(GetSysColor(bevel.fill));
    HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(bevel.light));
    HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(bevel.dark));

    FrameRect(dc, &outer, palette.brush(Element::kFrame));
    // The edges run along the inner rectangle and need it to exist.
    if (!IsRectEmpty(&inner)) {
        FillRect(dc, &inner, fill);
        HGDIOBJ keptPen = SelectObject(dc, light);
        MoveToEx(dc, inner.left, inner.bottom - 2, nullptr);
        LineTo(dc, inner.left, inner.top);
        LineTo(dc, inner.right - 1, inner.top);
        SelectObject(dc, dark);
        MoveToEx(dc, inner.right - 1, inner.top + 1, nullptr);
        LineTo(dc, inner.right - 1, inner.bottom - 1);
        LineTo(dc, inner.left, inner.bottom - 1);
        SelectObject(dc, keptPen);
    }

    DeleteObject(fill);
    DeleteObject(light);
    DeleteObject(dark);
}

static void paintDisabled(HDC dc, const RECT& outer, const RECT& inner, const Palette& palette) {
    HBRUSH fill = CreateSolidBrush(palette.colour(Element::kDisabledPlacardFace));
    HBRUSH frame = CreateSolidBrush(palette.colour(Element::kDisabledPlacardFrame));
    FrameRect(dc, &outer, frame);
    if (!IsRectEmpty(&inner)) FillRect(dc, &inner, fill);
    DeleteObject(fill);
    DeleteObject(frame);
}

void paintPlacard(HDC dc, const HostRect& bounds, const PlacardLook& look) {
    const RECT outer{bounds.left, bounds.top, bounds.right, bounds.bottom};
    if (IsRectEmpty(&outer)) return;
    const Palette palette = Palette::ofSetting();
    RECT inner = outer;
    InflateRect(&inner, -1, -1);
    if (look.enabled) {
        paintEnabled(dc, outer, inner, look.value ? kPushedIn : kRaised, palette);
    } else {
        paintDisabled(dc, outer, inner, palette);
    }
}

// ---- callbacks -------------------------------------------------------------------------

void draw(ControlInstance* instance, HostGraphics graphics) {
    const InstanceData& data = dataOf(instance);
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    const PlacardLook look{data.value != 0, host::ZOKAGetControlEnabled(instance)};
    PaintOn(graphics, [&](HDC dc) { paintPlacard(dc, bounds, look); });
}

void setValue(ControlInstance* instance, int32_t, int32_t value) {
    dataOf(instance).value = static_cast<uint8_t>(value & 0xFF);
    host::ZOKAInvalidateControl(instance);
}

// ---- record ----------------------------------------------------------------------------

static const PropertyDefinition kProperties[] = {
    records::Property("Initial State", "Value", "Boolean", records::kDirect, records::Fn(setValue),
                      offsetof(InstanceData, value)),
};

// clang-format off
static EventDefinition gEvents[] = {MOUSE_EVENT_ROWS};

// The one class with a callback in slot 13, and the one without open.
static constexpr ControlCallbacks kCallbacks =
    records::Slots().draw(draw).forwardMouse<gPlacardDefinition>().drawOffscreen(draw).slot13(records::Slot13NoOp);

}  // namespace placard

ControlDefinition gPlacardDefinition =
    records::ClassRecord("Placard", sizeof(placard::InstanceData), 0x58, 186, 64, 64)
        .properties(placard::kProperties).events(placard::gEvents).callbacks(placard::kCallbacks);
// clang-format on
