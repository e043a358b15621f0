// Bevel button state: the InstanceData block the host reserves for every
// instance, and the row and receiver lists hanging off it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "plugin_interface.h"

namespace bevel_button {

struct MenuRow {
    MenuRow* next;
    HostString text;  // nil for a separator
    bool isSeparator;
};

struct ReceiverNode {
    ReceiverNode* next;
    HostObject receiver;
    // Unique to this registration for the life of the process, so that a
    // notification in progress can tell a node it listed from one made later
    // at the same address.
    uint64_t serial;
};

// Fields the host reads and writes directly sit at the offsets their
// property records name; the unused words are part of the host's layout.
// Booleans are bytes: the host writes Value, Bold, Italic and Underline
// directly and may leave any value in them; 0 is false, anything else true.
struct InstanceData {
    int32_t unused0;
    HostString caption;
    int32_t unused2;
    int32_t hasMenu;
    int32_t unused4;
    int32_t iconAlign;
    int32_t captionAlign;
    int32_t captionPlacement;
    int16_t menuValue;
    uint8_t value;
    uint8_t unused11;
    MenuRow* rows;
    HostString textFont;
    int32_t textSize;
    uint8_t bold;
    uint8_t italic;
    uint8_t underline;
    uint8_t unused18;
    PictureDescription iconDescription;
    HostObject icon;
    int32_t iconDX;
    int32_t iconDY;
    int32_t captionDelta;
    int32_t bevel;
    int32_t unused25[3];
    int32_t buttonType;
    ReceiverNode* receivers;
    uint8_t pressed;
    uint8_t hot;
    uint8_t mouseDownHandled;
    uint8_t unused31;
    // The instance's "Toolbar" theme (a ThemeHandle), opened by construct;
    // null draws the classic look. Kept in bytes the host never touches.
    HANDLE themeHandle;
    uint8_t unused32[sizeof(void*) == 4 ? 24 : 16];  // the rest of the 29 unused bytes
};

#if defined(__i386__)
static_assert(sizeof(InstanceData) == 148, "block size");
static_assert(offsetof(InstanceData, caption) == 4, "Caption");
static_assert(offsetof(InstanceData, hasMenu) == 12, "HasMenu");
static_assert(offsetof(InstanceData, iconAlign) == 20, "IconAlign");
static_assert(offsetof(InstanceData, captionAlign) == 24, "CaptionAlign");
static_assert(offsetof(InstanceData, captionPlacement) == 28, "CaptionPlacement");
static_assert(offsetof(InstanceData, menuValue) == 32, "MenuValue");
static_assert(offsetof(InstanceData, value) == 34, "Value");
static_assert(offsetof(InstanceData, rows) == 36, "rows");
static_assert(offsetof(InstanceData, textFont) == 40, "TextFont");
static_assert(offsetof(InstanceData, textSize) == 44, "TextSize");
static_assert(offsetof(InstanceData, bold) == 48, "Bold");
static_assert(offsetof(InstanceData, italic) == 49, "Italic");
static_assert(offsetof(InstanceData, underline) == 50, "Underline");
static_assert(offsetof(InstanceData, iconDescription) == 52, "iconDescription");
static_assert(offsetof(InstanceData, icon) == 76, "Icon");
static_assert(offsetof(InstanceData, iconDX) == 80, "IconDX");
static_assert(offsetof(InstanceData, iconDY) == 84, "IconDY");
static_assert(offsetof(InstanceData, captionDelta) == 88, "CaptionDelta");
static_assert(offsetof(InstanceData, bevel) == 92, "Bevel");
static_assert(offsetof(InstanceData, buttonType) == 108, "ButtonType");
static_assert(offsetof(InstanceData, receivers) == 112, "receivers");
static_assert(offsetof(InstanceData, pressed) == 116, "pressed");
static_assert(offsetof(InstanceData, hot) == 117, "hot");
static_assert(offsetof(InstanceData, mouseDownHandled) == 118, "mouseDownHandled");
static_assert(offsetof(InstanceData, themeHandle) == 120, "themeHandle");
#endif

// The instance's block.
InstanceData& dataOf(ControlInstance* control);

// ---- values with a meaning of their own ----------------------------------------

// Bevel: 0 to 2 draw that many classic rings and one more (a negative value
// draws none); 4 asks for the themed look; 3, 5 and 6 are retired and read
// back 0; 7 is retired too and also turns the button into a toggle button.
enum BevelValue : int32_t { kBevelThemed = 4, kBevelRetiredToggle = 7 };

// ButtonType: a push button forgets the click; a toggle button flips Value;
// a sticky one sets it. Any other value acts as a push button.
enum ButtonTypeValue : int32_t { kButtonTypePush = 0, kButtonTypeToggle = 1, kButtonTypeSticky = 2 };

// HasMenu: 0 has no menu; 1 opens it below the button and every other value
// to the right (only 1 and 2 show a menu arrow).
enum HasMenuValue : int32_t { kNoMenu = 0, kMenuBelow = 1, kMenuRight = 2 };

// The themed toolbar look: the instance has its own "Toolbar" theme and
// Bevel asks for it. Painting and hot tracking both go by it.
bool isThemed(const InstanceData& data);

// Made by every caller before it paints: retired Bevel values become 0 for
// good, and 7 also makes the button a toggle button.
void cleanUpBevel(InstanceData& data);

// ---- callbacks ---------------------------------------------------------------
void construct(ControlInstance* control);
// Gives back the caption, the font name, every row, the icon, every receiver
// and the theme.
void destruct(ControlInstance* control);
// Repaints and hands the host the caption's accelerator again.
void constantChanged(ControlInstance* control);
void defaultsReset(ControlInstance* control);

// ---- properties: (control, param[, value]); param is not used --------------
HostString getCaption(ControlInstance* control, int32_t param);  // locked for the caller
void setCaption(ControlInstance* control, int32_t param, HostString caption);
// The setter of a plain value the picture depends on (CaptionAlign,
// CaptionPlacement, CaptionDelta, IconAlign, IconDX, IconDY): stores it and
// asks for a redraw.
template <int32_t InstanceData::*kField>
void setAndRedraw(ControlInstance* control, int32_t param, int32_t value);
void setIcon(ControlInstance* control, int32_t param, HostObject icon);
void setValue(ControlInstance* control, int32_t param, int32_t value);  // boolean in the low byte
int32_t getMenuValue(ControlInstance* control, int32_t param);
void setMenuValue(ControlInstance* control, int32_t param, int32_t value);  // keeps the low 16 bits
void setTextFont(ControlInstance* control, int32_t param, HostString font);

// ---- methods -------------------------------------------------------------------
// Rows are numbered from 0 at the head, separators included; a missing
// index is ignored.
void deleteAllRows(ControlInstance* control);
void addRow(ControlInstance* control, HostString text);
void addSeparator(ControlInstance* control);
void removeRow(ControlInstance* control, int32_t row);
// row <= 0 inserts at the head, row >= the row count appends.
void insertRow(ControlInstance* control, int32_t row, HostString text);
// The row's text locked for the caller, or nil.
HostString getList(ControlInstance* control, int32_t row);
void setList(ControlInstance* control, int32_t row, HostString text);
}  // namespace bevel_button

extern ControlDefinition gBevelButtonDefinition;
