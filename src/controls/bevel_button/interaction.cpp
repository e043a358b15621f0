#include "controls/bevel_button/interaction.h"

#include <windows.h>

#include "base/TextEncodingUtil.h"
#include "base/ampersands.h"
#include "base/case_compare.h"
#include "base/string.h"
#include "base/windows_version.h"
#include "controls/bevel_button/layout.h"
#include "controls/bevel_button/look.h"
#include "controls/bevel_button/receivers.h"
#include "host_services/events.h"
#include "host_services/host_helpers.h"
#include "host_services/resolver.h"

namespace bevel_button {

// Top-left corner of the menu at the anchor point; the choice comes back as
// the result instead of a message.
static constexpr UINT kPopupFlags = TPM_NONOTIFY | TPM_RETURNCMD;

// GetKeyState's sign bit: the key is down.
static constexpr SHORT kKeyDown = SHORT(0x8000);

static HostRect boundsOf(ControlInstance* control) {
    HostRect bounds{};
    host::GetControlBounds(control, &bounds);
    return bounds;
}

// Shows the new state at once on the control's own surface.
static void repaint(ControlInstance* control, InstanceData& data, const HostRect& bounds) {
    cleanUpBevel(data);
    paintBevelButton(control, nullptr, data, bounds, Surface::kOnScreen);
}

static const EventDefinition& eventAt(int32_t index) { return gBevelButtonDefinition.events[index]; }

// The application's MouseDown or MouseUp handler (both Boolean events);
// false without a handler.
static control_events::Fired fireMouseEvent(ControlInstance* control, int32_t eventIndex, int32_t x, int32_t y) {
    return control_events::fireBooleanMouseEvent(control, eventAt(eventIndex), x, y);
}

// Alt and the caption's accelerator key are both held down.
static bool acceleratorHeld(const InstanceData& data) {
    const char key = acceleratorChar(HostStringText(data.caption));
    if (key == 0) {
        return false;
    }
    // Virtual-key codes are 0 to 255: a byte above 127 is asked for as such,
    // never as a negative code.
    const int virtualKey = static_cast<unsigned char>(key);
    return (GetKeyState(VK_MENU) & kKeyDown) != 0 && (GetKeyState(virtualKey) & kKeyDown) != 0;
}

bool fireAction(ControlInstance* control) {
    // A receiver that destroyed the button ends the action: the button is
    // gone, and so are its receivers and its Action.
    if (!notifyReceivers(control, dataOf(control))) return false;
    return control_events::firePlainEvent(control, eventAt(kActionEvent)).survived;
}

// Appends one text row, converted from the encoding the host reports for it
// to UTF-16 on NT and to the user's narrow encoding elsewhere.
static void appendTextRow(HMENU menu, UINT flags, UINT id, HostString text) {
    const char* bytes = text != nullptr ? host::StringGetCString(text) : nullptr;
    PluginString row;
    if (bytes != nullptr) {
        row = MakePluginString(bytes, CStringLength(bytes), host::ZOKAGetStringEncoding(text));
    }
    if (isWindowsNT()) {
        // A row whose bytes were tagged UTF-16 need not end in a zero unit.
        const TextUnits<wchar_t> wide = ToUtf16(row).wideCopy();
        if (wide.units() == nullptr) {
            return;
        }
        AppendMenuW(menu, flags, id, wide.units());
    } else {
        const PluginString narrow = ToUserDefaultEncoding(row);
        AppendMenuA(menu, flags, id, narrow.text());
    }
}

static HMENU buildMenu(const InstanceData& data) {
    HMENU menu = CreatePopupMenu();
    UINT id = kFirstMenuItemId;
    for (const MenuRow* row = data.rows; row != nullptr; row = row->next, ++id) {
        if (row->isSeparator) {
            AppendMenuA(menu, MF_SEPARATOR, id, nullptr);
            continue;
        }
        const bool checked = static_cast<int32_t>(id - kFirstMenuItemId) == data.menuValue;
        appendTextRow(menu, checked ? MF_CHECKED : MF_STRING, id, row->text);
    }
    return menu;
}

// Runs the popup menu modally at the anchor the layout gives; answers the
// chosen identifier or 0.
static UINT trackMenu(ControlInstance* control, const InstanceData& data, const HostRect& bounds) {
    HMENU menu = buildMenu(data);
    POINT anchor = layOutButton(bounds, shapeOf(data, true)).menuAnchor;
    HWND owner = host::ZOKAGetWindowHandle(host::getControlWindow(control));
    ClientToScreen(owner, &anchor);
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, kPopupFlags, anchor.x, anchor.y, 0, owner, nullptr));
    DestroyMenu(menu);
    return chosen;
}

HostBoolean mouseDown(ControlInstance* control, int32_t x, int32_t y) {
    if (!host::ZOKAGetControlEnabled(control)) {
        return true;
    }
    InstanceData& data = dataOf(control);
    const HostRect bounds = boundsOf(control);

    // A handler that destroys the button ends the click there: mouseDown
    // answers false, so that the host tracks no press of a destroyed control.
    if (acceleratorHeld(data)) {
        data.mouseDownHandled = false;
        if (data.hasMenu == kNoMenu) {
            if (!fireAction(control)) return false;
            data.pressed = false;
            host::ZOKAInvalidateControl(control);
            return true;
        }
    } else {
        const control_events::Fired taken = fireMouseEvent(control, kMouseDownEvent, x, y);
        if (!taken.survived) return false;
        data.mouseDownHandled = taken.answer;
        if (data.mouseDownHandled) {
            data.pressed = false;
            return true;
        }
    }

    data.pressed = true;
    repaint(control, data, bounds);
    if (data.hasMenu == kNoMenu) {
        return true;  // the click goes on in mouseDrag and mouseUp
    }

    // Stays pressed while the menu is open: the host may repaint meanwhile,
    // and may destroy the button (its window closed) before the menu closes.
    control_events::Survival survival(control);
    const UINT chosen = trackMenu(control, data, bounds);
    if (!survival.survived()) return false;
    data.pressed = false;
    repaint(control, data, bounds);
    if (chosen >= kFirstMenuItemId) {
        setMenuValue(control, 0, static_cast<int32_t>(chosen - kFirstMenuItemId));
        fireAction(control);
    }
    return false;
}

void mouseDrag(ControlInstance* control, int32_t x, int32_t y) {
    InstanceData& data = dataOf(control);
    if (data.hasMenu != kNoMenu || !host::ZOKAGetControlEnabled(control) || data.mouseDownHandled) {
        return;
    }
    const HostRect bounds = boundsOf(control);
    const bool inside = PointInHostRect(x, y, bounds);
    if (inside != (data.pressed != 0)) {
        data.pressed = inside ? 1 : 0;
        repaint(control, data, bounds);
    }
}

void mouseUp(ControlInstance* control, int32_t x, int32_t y) {
    if (!host::ZOKAGetControlEnabled(control)) {
        return;
    }
    InstanceData& data = dataOf(control);
    const HostRect bounds = boundsOf(control);
    if (data.hasMenu != kNoMenu) {
        data.pressed = false;
        repaint(control, data, bounds);
        return;
    }

    if (data.pressed) {
        data.pressed = false;
        if (data.buttonType == kButtonTypeToggle) {
            data.value = data.value != 0 ? 0 : 1;
        } else if (data.buttonType == kButtonTypeSticky) {
            data.value = 1;
        }
        repaint(control, data, bounds);
    }

    // The release counts the right and bottom edges as inside; the drag test
    // does not. A handler that destroys the button leaves nothing to reset.
    bool survived = true;
    if (data.mouseDownHandled) {
        survived = fireMouseEvent(control, kMouseUpEvent, x, y).survived;
    } else if (PointInHostRect(x, y, bounds, FarEdges::kInside)) {
        survived = fireAction(control);
    }
    if (survived) data.mouseDownHandled = false;
}

// Hot tracking applies to the themed look only.
static void setHot(ControlInstance* control, bool hot) {
    InstanceData& data = dataOf(control);
    if (!isThemed(data)) {
        return;
    }
    data.hot = hot;
    host::ZOKAInvalidateControl(control);
}

void mouseEnter(ControlInstance* control) { setHot(control, true); }

void mouseExit(ControlInstance* control) { setHot(control, false); }

void action(ControlInstance* control, int32_t) { fireAction(control); }

}  // namespace bevel_button
