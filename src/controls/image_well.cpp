#include "controls/image_well.h"

#include <cstdint>
#include <limits>

#include "base/high_contrast.h"
#include "host_services/events.h"
#include "host_services/instance_data.h"
#include "host_services/pictures.h"
#include "host_services/records.h"
#include "host_services/resolver.h"

namespace image_well {

// Image follows the common picture policy. The setter locks whatever it
// stores, a nil picture too; the description is zeroed with its picture, so
// an empty well never keeps a stale size.
static constexpr PicturePolicy kImagePolicy{true, true};

static InstanceData& dataOf(ControlInstance* instance) {
    return *InstanceDataOf<InstanceData>(instance, gImageWellDefinition);
}

// ---- geometry --------------------------------------------------------------------------

static constexpr int32_t kBorderInset = 1;
static constexpr int32_t kInteriorInset = 2;
// The bevel's lines need two pixels each way to stay inside the bounds.
static constexpr int32_t kBevelMinimumSize = 2;
// drawPicturePrimitive's last argument: the well draws pictures plainly.
static constexpr int32_t kPictureDrawFlag = 0;

static RECT insetBounds(const HostRect& bounds, int32_t inset) {
    return RECT{bounds.left + inset, bounds.top + inset, bounds.right - inset, bounds.bottom - inset};
}

RECT interiorOf(const HostRect& bounds) { return insetBounds(bounds, kInteriorInset); }

// Start of the picture along one direction of the interior.
static int32_t placeAlong(int32_t interiorStart, int32_t interiorLength, int32_t pictureLength) {
    if (pictureLength > interiorLength) return interiorStart;
    return interiorStart + (interiorLength - pictureLength) / 2;
}

bool placePicture(const RECT& interior, int32_t width, int32_t height, RECT* picture) {
    const int32_t interiorWidth = interior.right - interior.left;
    const int32_t interiorHeight = interior.bottom - interior.top;
    if (interiorWidth <= 0 || interiorHeight <= 0 || width <= 0 || height <= 0) return false;
    const int32_t left = placeAlong(interior.left, interiorWidth, width);
    const int32_t top = placeAlong(interior.top, interiorHeight, height);
    const int64_t right = int64_t{left} + width;
    const int64_t bottom = int64_t{top} + height;
    // The destination travels as a HostRect.
    if (right > std::numeric_limits<int16_t>::max() || bottom > std::numeric_limits<int16_t>::max()) {
        return false;
    }
    *picture = RECT{left, top, static_cast<LONG>(right), static_cast<LONG>(bottom)};
    return true;
}

// ---- look ----------------------------------------------------------------------------

static WellLook lookOf(const InstanceData& data, Surface surface) {
    return WellLook{data.image, data.description.width, data.description.height, surface};
}

// ---- painter ---------------------------------------------------------------------------

// The light half is the stock white pen in the classic look; under high
// contrast a pen is made of its system colour.
static void paintBevel(HDC dc, const HostRect& bounds, const Palette& palette) {
    const int32_t left = bounds.left;
    const int32_t top = bounds.top;
    const int32_t right = bounds.right;
    const int32_t bottom = bounds.bottom;
    HPEN shadowPen = CreatePen(PS_SOLID, 1, palette.colour(Element::kWellShadow));
    HGDIOBJ keptPen = SelectObject(dc, shadowPen);
    MoveToEx(dc, left, bottom - 2, nullptr);
    LineTo(dc, left, top);
    LineTo(dc, right - 2, top);
    HPEN lightPen = palette.highContrast() ? CreatePen(PS_SOLID, 1, palette.colour(Element::kWellLight)) : nullptr;
    SelectObject(dc, lightPen != nullptr ? lightPen : GetStockObject(WHITE_PEN));
    MoveToEx(dc, right - 1, top, nullptr);
    LineTo(dc, right - 1, bottom - 1);
    LineTo(dc, left, bottom - 1);
    SelectObject(dc, keptPen);
    DeleteObject(shadowPen);
    if (lightPen != nullptr) DeleteObject(lightPen);
}

// Draws the picture clipped to the part of the interior from its top-left
// corner on.
static void paintPicture(HDC dc, const HostRect& bounds, const RECT& interior, const RECT& picture,
                         const WellLook& look) {
    const RECT clip{picture.left, picture.top, interior.right, interior.bottom};
    const HostRect destination{static_cast<int16_t>(picture.top), static_cast<int16_t>(picture.left),
                               static_cast<int16_t>(picture.bottom), static_cast<int16_t>(picture.right)};
    PaintClipped(dc, clip, bounds, look.surface,
                 [&] { host::drawPicturePrimitive(dc, look.image, &destination, kPictureDrawFlag); });
}

void paintWell(HDC dc, const HostRect& bounds, const WellLook& look) {
    if (bounds.right <= bounds.left || bounds.bottom <= bounds.top) return;
    const Palette palette = Palette::ofSetting();
    if (bounds.right - bounds.left >= kBevelMinimumSize && bounds.bottom - bounds.top >= kBevelMinimumSize) {
        paintBevel(dc, bounds, palette);
    }
    const RECT border = insetBounds(bounds, kBorderInset);
    if (!IsRectEmpty(&border)) FrameRect(dc, &border, palette.brush(Element::kWellBorder));
    const RECT interior = interiorOf(bounds);
    if (IsRectEmpty(&interior)) return;
    FillRect(dc, &interior, palette.brush(Element::kWellInterior));

    RECT picture{};
    if (look.image && placePicture(interior, look.width, look.height, &picture)) {
        paintPicture(dc, bounds, interior, picture, look);
    }
}

// ---- callbacks -------------------------------------------------------------------------

static void drawOn(ControlInstance* instance, HostGraphics graphics, Surface surface) {
    const InstanceData& data = dataOf(instance);
    HostRect bounds{};
    host::GetControlBounds(instance, &bounds);
    const WellLook look = lookOf(data, surface);
    PaintOn(graphics, [&](HDC dc) { paintWell(dc, bounds, look); });
}

void destruct(ControlInstance* instance) {
    // A mouse handler may be destroying the well it was called from.
    control_events::Survival::destroyed(instance);
    InstanceData& data = dataOf(instance);
    ReleasePicture(data.image, data.description, kImagePolicy);
}

void draw(ControlInstance* instance, HostGraphics graphics) { drawOn(instance, graphics, Surface::kOnScreen); }

void drawOffscreen(ControlInstance* instance, HostGraphics graphics) {
    drawOn(instance, graphics, Surface::kOffScreen);
}

HostBoolean mouseDown(ControlInstance* instance, int32_t x, int32_t y) {
    if (!host::ZOKAGetControlEnabled(instance)) return false;
    return control_events::forwardMouseDown(instance, gImageWellDefinition, x, y);
}

void setImage(ControlInstance* instance, int32_t, void* picture) {
    InstanceData& data = dataOf(instance);
    ReplacePicture(data.image, data.description, static_cast<HostObject>(picture), kImagePolicy);
    host::ZOKAInvalidateControl(instance);
}

static void open(ControlInstance*) {}

// ---- record ----------------------------------------------------------------------------

static const PropertyDefinition kProperties[] = {
    records::Property("Appearance", "Image", "Picture", records::kDirect, records::Fn(setImage),
                      offsetof(InstanceData, image)),
};

// clang-format off
static EventDefinition gEvents[] = {MOUSE_EVENT_ROWS};

// The press is the well's own (it is refused while disabled); drag and
// release go straight to the application.
static constexpr ControlCallbacks kCallbacks =
    records::Slots().destruct(destruct).draw(draw).forwardMouse<gImageWellDefinition>().mouseDown(mouseDown)
        .open(open).drawOffscreen(drawOffscreen);

}  // namespace image_well

ControlDefinition gImageWellDefinition =
    records::ClassRecord("ImageWell", sizeof(image_well::InstanceData), 0xD8, 182, 32, 32)
        .properties(image_well::kProperties).events(image_well::gEvents).callbacks(image_well::kCallbacks);
// clang-format on
