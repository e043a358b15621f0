#include "controls/bevel_button/look.h"

#include <vsstyle.h>

#include "base/TextEncodingUtil.h"
#include "base/case_compare.h"
#include "base/win32.h"
#include "base/windows_version.h"
#include "controls/bevel_button/paint.h"
#include "host_services/host_helpers.h"
#include "host_services/resolver.h"

namespace bevel_button {

// ---- look -------------------------------------------------------------------------

enum class SizeRule { kPixels, kPoints };

struct FontMapping {
    const char* textFont;
    const char* faceName;
    SizeRule rule;
};

// Tried in order; the first name that matches (in any letter case) decides.
// clang-format off
static constexpr FontMapping kFontMappings[] = {
    {"System", "MS Sans Serif", SizeRule::kPixels},
    {"Application", "MS Sans Serif", SizeRule::kPixels},
    {"Geneva", "MS Sans Serif", SizeRule::kPixels},
    {"SmallSystem", "Times New Roman", SizeRule::kPoints},
    {"Courier", "Courier New", SizeRule::kPixels},
    {"Times", "Times New Roman", SizeRule::kPixels},
    {"Helvetica", "Arial", SizeRule::kPixels},
    {"Osaka", "MS UI Gothic", SizeRule::kPixels},
};
// clang-format on

static PluginString asciiString(const char* text) { return MakePluginString(text, CStringLength(text), EncodingAscii); }

static FontRequest fontOf(const InstanceData& data) {
    FontRequest font{};
    font.name = asciiString(HostStringText(data.textFont));
    for (const FontMapping& candidate : kFontMappings) {
        if (CompareStrings(font.name, asciiString(candidate.textFont)) == 0) {
            font.mappedFace = candidate.faceName;
            font.pointRule = candidate.rule == SizeRule::kPoints;
            break;
        }
    }
    font.textSize = data.textSize;
    font.weight = data.bold != 0 ? FW_BOLD : FW_NORMAL;
    font.italic = data.italic != 0 ? 1 : 0;
    font.underline = data.underline != 0 ? 1 : 0;
    return font;
}

// The caption with a constant reference resolved, tagged with the host's
// encoding for it; empty for a nil caption.
PluginString captionText(const InstanceData& data) {
    if (data.caption == nullptr) return PluginString();
    HostString interpreted = host::PluginInterpretConstantValue(data.caption);
    const char* bytes = HostStringText(interpreted);
    PluginString caption = MakePluginString(bytes, CStringLength(bytes), host::ZOKAGetStringEncoding(interpreted));
    host::ZOKAUnlockString(interpreted);
    return caption;
}

// The Toolbar state, by its <vsstyle.h> name.
static int32_t toolbarStateOf(const InstanceData& data) {
    if (data.pressed != 0) return TS_PRESSED;
    if (data.value != 0 && data.hot != 0) return TS_HOTCHECKED;
    if (data.value != 0) return TS_CHECKED;
    if (data.hot != 0) return TS_HOT;
    return TS_NORMAL;
}

// The parent's background under a normal themed button; inside a tab control
// it is the tab control's own, at its place in the host window.
static ParentBackground parentBackgroundOf(ControlInstance* control, const HostRect& bounds) {
    ParentBackground parent{};
    parent.painted = true;
    parent.window = host::ZOKAGetControlHandle(control);
    HWND tabControl = FindTabControlAncestor(parent.window);
    if (tabControl == nullptr) return parent;
    RECT area;
    GetWindowRect(tabControl, &area);
    HWND hostWindow = host::ZOKAGetWindowHandle(host::getControlWindow(control));
    POINT topLeft{area.left, area.top};
    POINT bottomRight{area.right, area.bottom};
    ScreenToClient(hostWindow, &topLeft);
    ScreenToClient(hostWindow, &bottomRight);
    parent.hasArea = true;
    parent.area =
        RECT{topLeft.x, topLeft.y, topLeft.x + (bounds.right - bounds.left), topLeft.y + (bounds.bottom - bounds.top)};
    return parent;
}

ButtonLook gatherLook(ControlInstance* control, const InstanceData& data, const PluginString& caption,
                      const HostRect& bounds, Surface surface) {
    ButtonLook look{};
    look.caption = caption;
    look.shape = shapeOf(data, host::ZOKAGetControlEnabled(control));
    look.wideText = isWindowsNT();
    look.pushedIn = data.pressed != 0 || data.value != 0;
    look.theme = data.themeHandle;
    look.toolbarState = toolbarStateOf(data);
    if (look.shape.themed && look.shape.enabled && look.toolbarState == TS_NORMAL) {
        look.parent = parentBackgroundOf(control, bounds);
    }
    look.font = fontOf(data);
    look.font.charset = static_cast<DWORD>(host::ZOKAGetWin32Charset());
    look.icon = data.icon;
    look.iconFlag = data.icon != nullptr ? static_cast<int32_t>(data.iconDescription.drawFlag) : 0;
    look.surface = surface;
    return look;
}

void paintBevelButton(ControlInstance* control, HostGraphics graphics, const InstanceData& data, const HostRect& bounds,
                      Surface surface) {
    const PluginString caption = captionText(data);
    const auto paint = [&](HDC dc) { paintButton(dc, bounds, gatherLook(control, data, caption, bounds, surface)); };
    if (graphics != nullptr) {
        PaintOn(graphics, paint);
    } else {
        RepaintNow(control, paint);
    }
}

// ---- callbacks --------------------------------------------------------------------

static void drawOn(ControlInstance* control, HostGraphics graphics, Surface surface) {
    HostRect bounds{};
    host::GetControlBounds(control, &bounds);
    InstanceData& data = dataOf(control);
    cleanUpBevel(data);
    paintBevelButton(control, graphics, data, bounds, surface);
}

void draw(ControlInstance* control, HostGraphics graphics) { drawOn(control, graphics, Surface::kOnScreen); }

void drawOffscreen(ControlInstance* control, HostGraphics graphics) { drawOn(control, graphics, Surface::kOffScreen); }

}  // namespace bevel_button
