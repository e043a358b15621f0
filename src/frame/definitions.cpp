// The eight control classes as the host reads them: names, sizes, default
// sizes, properties, methods, events and callback tables. The host writes
// dataOffset and the event ids into these records, so they stay writable.
#include "frame/definitions.h"

#include <cstddef>

#include "controls/bevel_button/interaction.h"
#include "controls/bevel_button/model.h"
#include "controls/bevel_button/painter.h"
#include "controls/chasing_arrows.h"
#include "controls/disclosure_triangle.h"
#include "controls/image_well.h"
#include "controls/little_arrows.h"
#include "controls/placard.h"
#include "controls/popup_arrow.h"
#include "controls/separator.h"
#include "frame/shared_callbacks.h"

namespace {

constexpr int32_t kRecordVersion = kPluginInterfaceVersion;
constexpr int32_t kDefaultPropertyFlags = 1;

template <typename Function>
const void* Fn(Function function) {
    return reinterpret_cast<const void*>(function);
}

template <typename T, size_t N>
constexpr int32_t CountOf(T (&)[N]) {
    return static_cast<int32_t>(N);
}

// Each class's own empty open callback.
void BevelButtonOpen(ControlInstance*) {}
void DisclosureTriangleOpen(ControlInstance*) {}
void LittleArrowsOpen(ControlInstance*) {}
void ChasingArrowsOpen(ControlInstance*) {}
void ImageWellOpen(ControlInstance*) {}
void PopupArrowOpen(ControlInstance*) {}

// ---- enumerations: the entry's position is the property's value ----------

// clang-format off
const char* const kCaptionAlignEntries[] = {"=#484", "=#485", "=#486", "=#487"};
const char* const kCaptionPlacementEntries[] = {"=#488", "=#489", "=#490", "=#491", "=#492", "=#493"};
const char* const kIconAlignEntries[] = {"=#474", "=#475", "=#476", "=#477", "=#478",
                                         "=#479", "=#480", "=#481", "=#482", "=#483"};
const char* const kBevelEntries[] = {"=#468", "=#469", "=#470", "=#241", "=#240", "=#242", "=#243", "=#244"};
const char* const kButtonTypeEntries[] = {"=#471", "=#472", "=#473"};
const char* const kMenuEntries[] = {"=#494", "=#495", "=#496"};
const char* const kFacingEntries[] = {"=#497", "=#498"};
const char* const kArrowFacingEntries[] = {"=#499", "=#500", "=#501", "=#502",
                                           "=#503", "=#504", "=#505", "=#506"};

// ---- BevelButton -------------------------------------------------------------

using bevel_button::InstanceData;
#define BEVEL_FIELD(field) static_cast<int32_t>(offsetof(bevel_button::InstanceData, field))

const PropertyDefinition kBevelButtonProperties[] = {
    {"Appearance", "Caption", "String", 0, Fn(bevel_button::getCaption), Fn(bevel_button::setCaption), 0, 0, 0,
     nullptr},
    {"Appearance", "CaptionAlign", "Integer", kDefaultPropertyFlags, kDirectAccess, Fn(bevel_button::setCaptionAlign),
     BEVEL_FIELD(captionAlign), 0, CountOf(kCaptionAlignEntries), kCaptionAlignEntries},
    {"Appearance", "CaptionPlacement", "Integer", kDefaultPropertyFlags, kDirectAccess,
     Fn(bevel_button::setCaptionPlacement),
     BEVEL_FIELD(captionPlacement), 0, CountOf(kCaptionPlacementEntries), kCaptionPlacementEntries},
    {"Appearance", "CaptionDelta", "Integer", kDefaultPropertyFlags, kDirectAccess, Fn(bevel_button::setCaptionDelta),
     BEVEL_FIELD(captionDelta), 0, 0, nullptr},
    {"Appearance", "Icon", "Picture", kDefaultPropertyFlags, kDirectAccess, Fn(bevel_button::setIcon),
     BEVEL_FIELD(icon), 0, 0, nullptr},
    {"Appearance", "IconAlign", "Integer", kDefaultPropertyFlags, kDirectAccess, Fn(bevel_button::setIconAlign),
     BEVEL_FIELD(iconAlign), 0, CountOf(kIconAlignEntries), kIconAlignEntries},
    {"Appearance", "IconDX", "Integer", kDefaultPropertyFlags, kDirectAccess, Fn(bevel_button::setIconDX),
     BEVEL_FIELD(iconDX), 0, 0, nullptr},
    {"Appearance", "IconDY", "Integer", kDefaultPropertyFlags, kDirectAccess, Fn(bevel_button::setIconDY),
     BEVEL_FIELD(iconDY), 0, 0, nullptr},
    {"Appearance", "Bevel", "Integer", kDefaultPropertyFlags, kDirectAccess, kDirectAccess,
     BEVEL_FIELD(bevel), 0, CountOf(kBevelEntries), kBevelEntries},
    {"Appearance", "HasMenu", "Integer", kDefaultPropertyFlags, kDirectAccess, kDirectAccess,
     BEVEL_FIELD(hasMenu), 0, CountOf(kMenuEntries), kMenuEntries},
    {"Initial State", "Value", "Boolean", kDefaultPropertyFlags, kDirectAccess, Fn(bevel_button::setValue),
     BEVEL_FIELD(value), 0, 0, nullptr},
    {"Initial State", "MenuValue", "Integer", kDefaultPropertyFlags, Fn(bevel_button::getMenuValue),
     Fn(bevel_button::setMenuValue), 0, 0, 0, nullptr},
    {"Behavior", "ButtonType", "integer", kDefaultPropertyFlags, kDirectAccess, kDirectAccess,
     BEVEL_FIELD(buttonType), 0, CountOf(kButtonTypeEntries), kButtonTypeEntries},
    {"Font", "TextFont", "string", kDefaultPropertyFlags, kDirectAccess, Fn(bevel_button::setTextFont),
     BEVEL_FIELD(textFont), 0, 0, nullptr},
    {"Font", "TextSize", "integer", kDefaultPropertyFlags, kDirectAccess, kDirectAccess,
     BEVEL_FIELD(textSize), 0, 0, nullptr},
    {"Font", "Bold", "boolean", kDefaultPropertyFlags, kDirectAccess, kDirectAccess,
     BEVEL_FIELD(bold), 0, 0, nullptr},
    {"Font", "Italic", "boolean", kDefaultPropertyFlags, kDirectAccess, kDirectAccess,
     BEVEL_FIELD(italic), 0, 0, nullptr},
    {"Font", "Underline", "boolean", kDefaultPropertyFlags, kDirectAccess, kDirectAccess,
     BEVEL_FIELD(underline), 0, 0, nullptr},
};
#undef BEVEL_FIELD

const MethodDefinition kBevelButtonMethods[] = {
    {Fn(bevel_button::deleteAllRows), nullptr, "DeleteAllRows"},
    {Fn(bevel_button::addRow), nullptr, "AddRow(text As String)"},
    {Fn(bevel_button::addSeparator), nullptr, "AddSeparator"},
    {Fn(bevel_button::removeRow), nullptr, "RemoveRow(row As Integer)"},
    {Fn(bevel_button::insertRow), nullptr, "InsertRow(row As Integer, text As String)"},
    {Fn(bevel_button::getList), Fn(bevel_button::setList), "List(row As Integer) As String"},
    {Fn(bevel_button::addActionNotificationReceiver), nullptr,
     "addActionNotificationReceiver(receiver As actionNotificationReceiver)"},
    {Fn(bevel_button::removeActionNotificationReceiver), nullptr,
     "removeActionNotificationReceiver(receiver As actionNotificationReceiver)"},
};

EventDefinition gBevelButtonEvents[] = {
    {"MouseUp(X As Integer, Y As Integer) As Boolean", 0},
    {"MouseDown(X As Integer, Y As Integer) As Boolean", 0},
    {"Action", 0},
};

const BindingDefinition kBevelButtonBindings[] = {
    {"ActionSource", "%1 pressed", ""},
};

const ControlCallbacks kBevelButtonCallbacks = {
    .construct = bevel_button::construct,
    .destruct = bevel_button::destruct,
    .draw = bevel_button::draw,
    .mouseDown = bevel_button::mouseDown,
    .mouseDrag = bevel_button::mouseDrag,
    .mouseUp = bevel_button::mouseUp,
    .open = BevelButtonOpen,
    .close = CloseNoOp,
    .drawOffscreen = bevel_button::drawOffscreen,
    .constantChanged = bevel_button::constantChanged,
    .defaultsReset = bevel_button::defaultsReset,
    .mouseEnter = bevel_button::mouseEnter,
    .mouseExit = bevel_button::mouseExit,
    .stateChanged = StateChangedNoOp,
    .action = bevel_button::action,
    .handleQuery = HandleQueryZero,
};

// ---- DisclosureTriangle ---------------------------------------------------------

const PropertyDefinition kDisclosureTriangleProperties[] = {
    {"Initial State", "Value", "Boolean", 0, kDirectAccess, Fn(disclosure_triangle::setValue),
     static_cast<int32_t>(offsetof(disclosure_triangle::InstanceData, value)), 0, 0, nullptr},
    {"Appearance", "Facing", "Integer", kDefaultPropertyFlags, kDirectAccess, kDirectAccess,
     static_cast<int32_t>(offsetof(disclosure_triangle::InstanceData, facing)), 0, CountOf(kFacingEntries),
     kFacingEntries},
};

EventDefinition gDisclosureTriangleEvents[] = {
    {"Action", 0},
};

const ControlCallbacks kDisclosureTriangleCallbacks = {
    .construct = disclosure_triangle::construct,
    .draw = disclosure_triangle::draw,
    .mouseDown = disclosure_triangle::mouseDown,
    .mouseDrag = disclosure_triangle::mouseDrag,
    .mouseUp = disclosure_triangle::mouseUp,
    .open = DisclosureTriangleOpen,
    .close = CloseNoOp,
    .drawOffscreen = disclosure_triangle::draw,
    .stateChanged = StateChangedNoOp,
    .action = disclosure_triangle::action,
    .handleQuery = HandleQueryZero,
};

// ---- LittleArrows -----------------------------------------------------------------

EventDefinition gLittleArrowsEvents[] = {
    {"Up", 0},
    {"Down", 0},
};

const ControlCallbacks kLittleArrowsCallbacks = {
    .construct = little_arrows::construct,
    .destruct = little_arrows::destruct,
    .draw = little_arrows::draw,
    .mouseDown = little_arrows::mouseDown,
    .mouseDrag = little_arrows::mouseDrag,
    .mouseUp = little_arrows::mouseUp,
    .open = LittleArrowsOpen,
    .close = CloseNoOp,
    .drawOffscreen = little_arrows::drawOffscreen,
    .mouseExit = little_arrows::mouseExit,
    .mouseMove = little_arrows::mouseMove,
    .stateChanged = StateChangedNoOp,
    .handleQuery = HandleQueryZero,
};

// ---- ChasingArrows ----------------------------------------------------------------

const ControlCallbacks kChasingArrowsCallbacks = {
    .construct = chasing_arrows::construct,
    .destruct = chasing_arrows::destruct,
    .draw = chasing_arrows::draw,
    .open = ChasingArrowsOpen,
    .close = CloseNoOp,
    .idle = chasing_arrows::idle,
    .drawOffscreen = chasing_arrows::draw,
    .stateChanged = StateChangedNoOp,
    .handleQuery = HandleQueryZero,
};

// ---- Separator ----------------------------------------------------------------------

const ControlCallbacks kSeparatorCallbacks = {
    .construct = separator::construct,
    .destruct = separator::destruct,
    .draw = separator::draw,
    .open = separator::open,
    .close = CloseNoOp,
    .drawOffscreen = separator::drawOffscreen,
    .stateChanged = StateChangedNoOp,
    .handleQuery = HandleQueryZero,
};

// ---- ImageWell ------------------------------------------------------------------------

// The three mouse events that ImageWell, PopupArrow and Placard declare.
#define MOUSE_EVENTS                                            \
    {"MouseDown(X As Integer, Y As Integer) As Boolean", 0},    \
    {"MouseDrag(X As Integer, Y As Integer)", 0},               \
    {"MouseUp(X As Integer, Y As Integer)", 0}

const PropertyDefinition kImageWellProperties[] = {
    {"Appearance", "Image", "Picture", kDefaultPropertyFlags, kDirectAccess, Fn(image_well::setImage),
     static_cast<int32_t>(offsetof(image_well::InstanceData, image)), 0, 0, nullptr},
};

EventDefinition gImageWellEvents[] = {MOUSE_EVENTS};

const ControlCallbacks kImageWellCallbacks = {
    .destruct = image_well::destruct,
    .draw = image_well::draw,
    .mouseDown = image_well::mouseDown,
    .mouseDrag = image_well::mouseDrag,
    .mouseUp = image_well::mouseUp,
    .open = ImageWellOpen,
    .close = CloseNoOp,
    .drawOffscreen = image_well::drawOffscreen,
    .stateChanged = StateChangedNoOp,
    .handleQuery = HandleQueryZero,
};

// ---- PopupArrow -------------------------------------------------------------------------

const PropertyDefinition kPopupArrowProperties[] = {
    {"Appearance", "Facing", "Integer", kDefaultPropertyFlags, kDirectAccess, kDirectAccess,
     static_cast<int32_t>(offsetof(popup_arrow::InstanceData, facing)), 0, CountOf(kArrowFacingEntries),
     kArrowFacingEntries},
};

EventDefinition gPopupArrowEvents[] = {MOUSE_EVENTS};

const ControlCallbacks kPopupArrowCallbacks = {
    .draw = popup_arrow::draw,
    .mouseDown = popup_arrow::mouseDown,
    .mouseDrag = popup_arrow::mouseDrag,
    .mouseUp = popup_arrow::mouseUp,
    .open = PopupArrowOpen,
    .close = CloseNoOp,
    .drawOffscreen = popup_arrow::draw,
    .stateChanged = StateChangedNoOp,
    .handleQuery = HandleQueryZero,
};

// ---- Placard ------------------------------------------------------------------------------

const PropertyDefinition kPlacardProperties[] = {
    {"Initial State", "Value", "Boolean", kDefaultPropertyFlags, kDirectAccess, Fn(placard::setValue),
     static_cast<int32_t>(offsetof(placard::InstanceData, value)), 0, 0, nullptr},
};

EventDefinition gPlacardEvents[] = {MOUSE_EVENTS};
#undef MOUSE_EVENTS

const ControlCallbacks kPlacardCallbacks = {
    .draw = placard::draw,
    .mouseDown = placard::mouseDown,
    .mouseDrag = placard::mouseDrag,
    .mouseUp = placard::mouseUp,
    .close = CloseNoOp,
    .drawOffscreen = placard::draw,
    .slot13 = Slot13NoOp,
    .stateChanged = StateChangedNoOp,
    .handleQuery = HandleQueryZero,
};

}  // namespace

// version, name, size, flags, pictures, default size, properties, methods,
// events, callbacks, dataOffset (host), reserved, interfaces, bindings, reserved
ControlDefinition gBevelButtonDefinition = {
    kRecordVersion, "BevelButton", sizeof(bevel_button::InstanceData), 0xD8, 172, 173, 60, 22,
    kBevelButtonProperties, CountOf(kBevelButtonProperties),
    kBevelButtonMethods, CountOf(kBevelButtonMethods),
    gBevelButtonEvents, CountOf(gBevelButtonEvents),
    &kBevelButtonCallbacks, 0, 0, 0,
    "ActionSource", kBevelButtonBindings, CountOf(kBevelButtonBindings), 0, 0,
};

ControlDefinition gDisclosureTriangleDefinition = {
    kRecordVersion, "DisclosureTriangle", sizeof(disclosure_triangle::InstanceData), 0xD0, 174, 175, 12, 12,
    kDisclosureTriangleProperties, CountOf(kDisclosureTriangleProperties),
    nullptr, 0,
    gDisclosureTriangleEvents, CountOf(gDisclosureTriangleEvents),
    &kDisclosureTriangleCallbacks, 0, 0, 0,
    nullptr, nullptr, 0, 0, 0,
};

ControlDefinition gLittleArrowsDefinition = {
    kRecordVersion, "LittleArrows", sizeof(little_arrows::InstanceData), 0xD0, 176, 177, 13, 23,
    nullptr, 0,
    nullptr, 0,
    gLittleArrowsEvents, CountOf(gLittleArrowsEvents),
    &kLittleArrowsCallbacks, 0, 0, 0,
    nullptr, nullptr, 0, 0, 0,
};

ControlDefinition gChasingArrowsDefinition = {
    kRecordVersion, "ChasingArrows", sizeof(chasing_arrows::InstanceData), 0xD0, 178, 179, 16, 16,
    nullptr, 0,
    nullptr, 0,
    nullptr, 0,
    &kChasingArrowsCallbacks, 0, 0, 0,
    nullptr, nullptr, 0, 0, 0,
};

ControlDefinition gSeparatorDefinition = {
    kRecordVersion, "Separator", sizeof(separator::InstanceData), 0xD0, 180, 181, 64, 4,
    nullptr, 0,
    nullptr, 0,
    nullptr, 0,
    &kSeparatorCallbacks, 0, 0, 0,
    nullptr, nullptr, 0, 0, 0,
};

ControlDefinition gImageWellDefinition = {
    kRecordVersion, "ImageWell", sizeof(image_well::InstanceData), 0xD8, 182, 183, 32, 32,
    kImageWellProperties, CountOf(kImageWellProperties),
    nullptr, 0,
    gImageWellEvents, CountOf(gImageWellEvents),
    &kImageWellCallbacks, 0, 0, 0,
    nullptr, nullptr, 0, 0, 0,
};

ControlDefinition gPopupArrowDefinition = {
    kRecordVersion, "PopupArrow", sizeof(popup_arrow::InstanceData), 0xD0, 184, 185, 10, 10,
    kPopupArrowProperties, CountOf(kPopupArrowProperties),
    nullptr, 0,
    gPopupArrowEvents, CountOf(gPopupArrowEvents),
    &kPopupArrowCallbacks, 0, 0, 0,
    nullptr, nullptr, 0, 0, 0,
};

ControlDefinition gPlacardDefinition = {
    kRecordVersion, "Placard", sizeof(placard::InstanceData), 0x58, 186, 187, 64, 64,
    kPlacardProperties, CountOf(kPlacardProperties),
    nullptr, 0,
    gPlacardEvents, CountOf(gPlacardEvents),
    &kPlacardCallbacks, 0, 0, 0,
    nullptr, nullptr, 0, 0, 0,
};

ControlDefinition* const kRegistrationOrder[8] = {
    &gBevelButtonDefinition,
    &gChasingArrowsDefinition,
    &gLittleArrowsDefinition,
    &gPlacardDefinition,
    &gSeparatorDefinition,
    &gPopupArrowDefinition,
    &gDisclosureTriangleDefinition,
    &gImageWellDefinition,
};
// clang-format on
