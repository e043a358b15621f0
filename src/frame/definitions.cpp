// The eight control classes as the host reads them: names, sizes, default
// sizes, properties, methods, events and callback tables. The host writes
// dataOffset and the event ids into these records, so they stay writable.
#include "frame/definitions.h"

#include <cstddef>

#include "controls/bevel_button/interaction.h"
#include "controls/bevel_button/model.h"
#include "controls/bevel_button/painter.h"
#include "controls/chasing_arrows.h"
#include "controls/control_events.h"
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
// BevelButton.Caption and DisclosureTriangle.Value carry no flag.
constexpr int32_t kPlainPropertyFlags = 0;

template <typename Function>
const void* Fn(Function function) {
    return reinterpret_cast<const void*>(function);
}

// An enumeration list: the entry's position is the property's value.
struct Enumeration {
    int32_t count;
    const char* const* entries;
};
constexpr Enumeration kNoEnumeration{0, nullptr};
template <size_t N>
constexpr Enumeration Entries(const char* const (&entries)[N]) {
    return Enumeration{static_cast<int32_t>(N), entries};
}

// A property row in the class tables' column order: group, name, type,
// getter, setter (a function or kDirectAccess), param (the field's offset in
// InstanceData, 0 where both are functions) and the enumeration;
// propertyFlags is 1 unless a row gives kPlainPropertyFlags, the reserved
// word 0.
PropertyDefinition Property(const char* group, const char* name, const char* type, const void* getter,
                            const void* setter, size_t param, Enumeration enumeration = kNoEnumeration,
                            int32_t propertyFlags = kDefaultPropertyFlags) {
    PropertyDefinition row{};
    row.group = group;
    row.name = name;
    row.type = type;
    row.propertyFlags = propertyFlags;
    row.getter = getter;
    row.setter = setter;
    row.param = static_cast<int32_t>(param);
    row.enumCount = enumeration.count;
    row.enumEntries = enumeration.entries;
    return row;
}

// A ControlDefinition built field by field under the record's own names;
// what a class does not set stays 0 or null (dataOffset is the host's to
// write, the reserved words stay 0). A class without properties, methods or
// events keeps null tables and zero counts.
class ClassRecord {
public:
    constexpr explicit ClassRecord(const char* name) : record_{} {
        record_.version = kRecordVersion;
        record_.name = name;
    }
    constexpr ClassRecord& instanceDataSize(size_t bytes) {
        record_.instanceDataSize = static_cast<int32_t>(bytes);
        return *this;
    }
    constexpr ClassRecord& flags(int32_t value) {
        record_.flags = value;
        return *this;
    }
    constexpr ClassRecord& pictures(int32_t pictureId1, int32_t pictureId2) {
        record_.pictureId1 = pictureId1;
        record_.pictureId2 = pictureId2;
        return *this;
    }
    constexpr ClassRecord& defaultSize(int32_t width, int32_t height) {
        record_.defaultWidth = width;
        record_.defaultHeight = height;
        return *this;
    }
    template <size_t N>
    constexpr ClassRecord& properties(const PropertyDefinition (&table)[N]) {
        record_.properties = table;
        record_.propertyCount = static_cast<int32_t>(N);
        return *this;
    }
    template <size_t N>
    constexpr ClassRecord& methods(const MethodDefinition (&table)[N]) {
        record_.methods = table;
        record_.methodCount = static_cast<int32_t>(N);
        return *this;
    }
    template <size_t N>
    constexpr ClassRecord& events(EventDefinition (&table)[N]) {
        record_.events = table;
        record_.eventCount = static_cast<int32_t>(N);
        return *this;
    }
    constexpr ClassRecord& interfaces(const char* names) {
        record_.interfaces = names;
        return *this;
    }
    template <size_t N>
    constexpr ClassRecord& bindings(const BindingDefinition (&table)[N]) {
        record_.bindings = table;
        record_.bindingCount = static_cast<int32_t>(N);
        return *this;
    }
    constexpr ClassRecord& callbacks(const ControlCallbacks& table) {
        record_.callbacks = &table;
        return *this;
    }
    constexpr operator ControlDefinition() const { return record_; }

private:
    ControlDefinition record_;
};

// The slots that every class fills with the shared callbacks; each class's
// table adds its own.
constexpr ControlCallbacks SharedSlots() {
    ControlCallbacks slots;
    slots.close = CloseNoOp;
    slots.stateChanged = StateChangedNoOp;
    slots.handleQuery = HandleQueryZero;
    return slots;
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

using BevelData = bevel_button::InstanceData;
#define BEVEL_FIELD(field) offsetof(BevelData, field)

const PropertyDefinition kBevelButtonProperties[] = {
    Property("Appearance", "Caption", "String", Fn(bevel_button::getCaption), Fn(bevel_button::setCaption), 0,
             kNoEnumeration, kPlainPropertyFlags),
    Property("Appearance", "CaptionAlign", "Integer", kDirectAccess, Fn(bevel_button::setAndRedraw<&BevelData::captionAlign>),
             BEVEL_FIELD(captionAlign), Entries(kCaptionAlignEntries)),
    Property("Appearance", "CaptionPlacement", "Integer", kDirectAccess, Fn(bevel_button::setAndRedraw<&BevelData::captionPlacement>),
             BEVEL_FIELD(captionPlacement), Entries(kCaptionPlacementEntries)),
    Property("Appearance", "CaptionDelta", "Integer", kDirectAccess, Fn(bevel_button::setAndRedraw<&BevelData::captionDelta>),
             BEVEL_FIELD(captionDelta)),
    Property("Appearance", "Icon", "Picture", kDirectAccess, Fn(bevel_button::setIcon), BEVEL_FIELD(icon)),
    Property("Appearance", "IconAlign", "Integer", kDirectAccess, Fn(bevel_button::setAndRedraw<&BevelData::iconAlign>),
             BEVEL_FIELD(iconAlign), Entries(kIconAlignEntries)),
    Property("Appearance", "IconDX", "Integer", kDirectAccess, Fn(bevel_button::setAndRedraw<&BevelData::iconDX>), BEVEL_FIELD(iconDX)),
    Property("Appearance", "IconDY", "Integer", kDirectAccess, Fn(bevel_button::setAndRedraw<&BevelData::iconDY>), BEVEL_FIELD(iconDY)),
    Property("Appearance", "Bevel", "Integer", kDirectAccess, kDirectAccess, BEVEL_FIELD(bevel),
             Entries(kBevelEntries)),
    Property("Appearance", "HasMenu", "Integer", kDirectAccess, kDirectAccess, BEVEL_FIELD(hasMenu),
             Entries(kMenuEntries)),
    Property("Initial State", "Value", "Boolean", kDirectAccess, Fn(bevel_button::setValue), BEVEL_FIELD(value)),
    Property("Initial State", "MenuValue", "Integer", Fn(bevel_button::getMenuValue),
             Fn(bevel_button::setMenuValue), 0),
    Property("Behavior", "ButtonType", "integer", kDirectAccess, kDirectAccess, BEVEL_FIELD(buttonType),
             Entries(kButtonTypeEntries)),
    Property("Font", "TextFont", "string", kDirectAccess, Fn(bevel_button::setTextFont), BEVEL_FIELD(textFont)),
    Property("Font", "TextSize", "integer", kDirectAccess, kDirectAccess, BEVEL_FIELD(textSize)),
    Property("Font", "Bold", "boolean", kDirectAccess, kDirectAccess, BEVEL_FIELD(bold)),
    Property("Font", "Italic", "boolean", kDirectAccess, kDirectAccess, BEVEL_FIELD(italic)),
    Property("Font", "Underline", "boolean", kDirectAccess, kDirectAccess, BEVEL_FIELD(underline)),
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

constexpr ControlCallbacks kBevelButtonCallbacks = [] {
    ControlCallbacks slots = SharedSlots();
    slots.construct = bevel_button::construct;
    slots.destruct = bevel_button::destruct;
    slots.draw = bevel_button::draw;
    slots.mouseDown = bevel_button::mouseDown;
    slots.mouseDrag = bevel_button::mouseDrag;
    slots.mouseUp = bevel_button::mouseUp;
    slots.open = BevelButtonOpen;
    slots.drawOffscreen = bevel_button::drawOffscreen;
    slots.constantChanged = bevel_button::constantChanged;
    slots.defaultsReset = bevel_button::defaultsReset;
    slots.mouseEnter = bevel_button::mouseEnter;
    slots.mouseExit = bevel_button::mouseExit;
    slots.action = bevel_button::action;
    return slots;
}();

// ---- DisclosureTriangle ---------------------------------------------------------

const PropertyDefinition kDisclosureTriangleProperties[] = {
    Property("Initial State", "Value", "Boolean", kDirectAccess, Fn(disclosure_triangle::setValue),
             offsetof(disclosure_triangle::InstanceData, value), kNoEnumeration, kPlainPropertyFlags),
    Property("Appearance", "Facing", "Integer", kDirectAccess, kDirectAccess,
             offsetof(disclosure_triangle::InstanceData, facing), Entries(kFacingEntries)),
};

EventDefinition gDisclosureTriangleEvents[] = {
    {"Action", 0},
};

constexpr ControlCallbacks kDisclosureTriangleCallbacks = [] {
    ControlCallbacks slots = SharedSlots();
    slots.construct = disclosure_triangle::construct;
    slots.draw = disclosure_triangle::draw;
    slots.mouseDown = disclosure_triangle::mouseDown;
    slots.mouseDrag = disclosure_triangle::mouseDrag;
    slots.mouseUp = disclosure_triangle::mouseUp;
    slots.open = DisclosureTriangleOpen;
    slots.drawOffscreen = disclosure_triangle::draw;
    slots.action = disclosure_triangle::action;
    return slots;
}();

// ---- LittleArrows -----------------------------------------------------------------

EventDefinition gLittleArrowsEvents[] = {
    {"Up", 0},
    {"Down", 0},
};

constexpr ControlCallbacks kLittleArrowsCallbacks = [] {
    ControlCallbacks slots = SharedSlots();
    slots.construct = little_arrows::construct;
    slots.destruct = little_arrows::destruct;
    slots.draw = little_arrows::draw;
    slots.mouseDown = little_arrows::mouseDown;
    slots.mouseDrag = little_arrows::mouseDrag;
    slots.mouseUp = little_arrows::mouseUp;
    slots.open = LittleArrowsOpen;
    slots.drawOffscreen = little_arrows::drawOffscreen;
    slots.mouseExit = little_arrows::mouseExit;
    slots.mouseMove = little_arrows::mouseMove;
    return slots;
}();

// ---- ChasingArrows ----------------------------------------------------------------

constexpr ControlCallbacks kChasingArrowsCallbacks = [] {
    ControlCallbacks slots = SharedSlots();
    slots.construct = chasing_arrows::construct;
    slots.destruct = chasing_arrows::destruct;
    slots.draw = chasing_arrows::draw;
    slots.open = ChasingArrowsOpen;
    slots.idle = chasing_arrows::idle;
    slots.drawOffscreen = chasing_arrows::draw;
    return slots;
}();

// ---- Separator ----------------------------------------------------------------------

constexpr ControlCallbacks kSeparatorCallbacks = [] {
    ControlCallbacks slots = SharedSlots();
    slots.construct = separator::construct;
    slots.destruct = separator::destruct;
    slots.draw = separator::draw;
    slots.open = separator::open;
    slots.drawOffscreen = separator::drawOffscreen;
    return slots;
}();

// ---- ImageWell ------------------------------------------------------------------------

// The three mouse events that ImageWell, PopupArrow and Placard declare.
#define MOUSE_EVENTS                                            \
    {"MouseDown(X As Integer, Y As Integer) As Boolean", 0},    \
    {"MouseDrag(X As Integer, Y As Integer)", 0},               \
    {"MouseUp(X As Integer, Y As Integer)", 0}

const PropertyDefinition kImageWellProperties[] = {
    Property("Appearance", "Image", "Picture", kDirectAccess, Fn(image_well::setImage),
             offsetof(image_well::InstanceData, image)),
};

EventDefinition gImageWellEvents[] = {MOUSE_EVENTS};

constexpr ControlCallbacks kImageWellCallbacks = [] {
    ControlCallbacks slots = SharedSlots();
    slots.destruct = image_well::destruct;
    slots.draw = image_well::draw;
    slots.mouseDown = image_well::mouseDown;
    slots.mouseDrag = control_events::MouseForwarding<gImageWellDefinition>::mouseDrag;
    slots.mouseUp = control_events::MouseForwarding<gImageWellDefinition>::mouseUp;
    slots.open = ImageWellOpen;
    slots.drawOffscreen = image_well::drawOffscreen;
    return slots;
}();

// ---- PopupArrow -------------------------------------------------------------------------

const PropertyDefinition kPopupArrowProperties[] = {
    Property("Appearance", "Facing", "Integer", kDirectAccess, kDirectAccess,
             offsetof(popup_arrow::InstanceData, facing), Entries(kArrowFacingEntries)),
};

EventDefinition gPopupArrowEvents[] = {MOUSE_EVENTS};

constexpr ControlCallbacks kPopupArrowCallbacks = [] {
    ControlCallbacks slots = SharedSlots();
    slots.draw = popup_arrow::draw;
    slots.mouseDown = control_events::MouseForwarding<gPopupArrowDefinition>::mouseDown;
    slots.mouseDrag = control_events::MouseForwarding<gPopupArrowDefinition>::mouseDrag;
    slots.mouseUp = control_events::MouseForwarding<gPopupArrowDefinition>::mouseUp;
    slots.open = PopupArrowOpen;
    slots.drawOffscreen = popup_arrow::draw;
    return slots;
}();

// ---- Placard ------------------------------------------------------------------------------

const PropertyDefinition kPlacardProperties[] = {
    Property("Initial State", "Value", "Boolean", kDirectAccess, Fn(placard::setValue),
             offsetof(placard::InstanceData, value)),
};

EventDefinition gPlacardEvents[] = {MOUSE_EVENTS};
#undef MOUSE_EVENTS

constexpr ControlCallbacks kPlacardCallbacks = [] {
    ControlCallbacks slots = SharedSlots();
    slots.draw = placard::draw;
    slots.mouseDown = control_events::MouseForwarding<gPlacardDefinition>::mouseDown;
    slots.mouseDrag = control_events::MouseForwarding<gPlacardDefinition>::mouseDrag;
    slots.mouseUp = control_events::MouseForwarding<gPlacardDefinition>::mouseUp;
    slots.drawOffscreen = placard::draw;
    slots.slot13 = Slot13NoOp;
    return slots;
}();

}  // namespace

// ---- the class records, grouped as the class table has them ------------------

ControlDefinition gBevelButtonDefinition = ClassRecord("BevelButton")
    .instanceDataSize(sizeof(bevel_button::InstanceData)).flags(0xD8).pictures(172, 173).defaultSize(60, 22)
    .properties(kBevelButtonProperties).methods(kBevelButtonMethods).events(gBevelButtonEvents)
    .interfaces("ActionSource").bindings(kBevelButtonBindings)
    .callbacks(kBevelButtonCallbacks);

ControlDefinition gDisclosureTriangleDefinition = ClassRecord("DisclosureTriangle")
    .instanceDataSize(sizeof(disclosure_triangle::InstanceData)).flags(0xD0).pictures(174, 175).defaultSize(12, 12)
    .properties(kDisclosureTriangleProperties).events(gDisclosureTriangleEvents)
    .callbacks(kDisclosureTriangleCallbacks);

ControlDefinition gLittleArrowsDefinition = ClassRecord("LittleArrows")
    .instanceDataSize(sizeof(little_arrows::InstanceData)).flags(0xD0).pictures(176, 177).defaultSize(13, 23)
    .events(gLittleArrowsEvents)
    .callbacks(kLittleArrowsCallbacks);

ControlDefinition gChasingArrowsDefinition = ClassRecord("ChasingArrows")
    .instanceDataSize(sizeof(chasing_arrows::InstanceData)).flags(0xD0).pictures(178, 179).defaultSize(16, 16)
    .callbacks(kChasingArrowsCallbacks);

ControlDefinition gSeparatorDefinition = ClassRecord("Separator")
    .instanceDataSize(sizeof(separator::InstanceData)).flags(0xD0).pictures(180, 181).defaultSize(64, 4)
    .callbacks(kSeparatorCallbacks);

ControlDefinition gImageWellDefinition = ClassRecord("ImageWell")
    .instanceDataSize(sizeof(image_well::InstanceData)).flags(0xD8).pictures(182, 183).defaultSize(32, 32)
    .properties(kImageWellProperties).events(gImageWellEvents)
    .callbacks(kImageWellCallbacks);

ControlDefinition gPopupArrowDefinition = ClassRecord("PopupArrow")
    .instanceDataSize(sizeof(popup_arrow::InstanceData)).flags(0xD0).pictures(184, 185).defaultSize(10, 10)
    .properties(kPopupArrowProperties).events(gPopupArrowEvents)
    .callbacks(kPopupArrowCallbacks);

ControlDefinition gPlacardDefinition = ClassRecord("Placard")
    .instanceDataSize(sizeof(placard::InstanceData)).flags(0x58).pictures(186, 187).defaultSize(64, 64)
    .properties(kPlacardProperties).events(gPlacardEvents)
    .callbacks(kPlacardCallbacks);

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
