// The bevel button as the host sees it: its properties, methods, events,
// binding and callback table, and its class record. The host writes the
// event ids into these records, so they stay writable.
#include <cstddef>

#include "controls/bevel_button/interaction.h"
#include "controls/bevel_button/look.h"
#include "controls/bevel_button/model.h"
#include "controls/bevel_button/receivers.h"
#include "host_services/records.h"

namespace bevel_button {
namespace {

// The tables read as the class tables do.
using namespace records;

void open(ControlInstance*) {}

// ---- enumerations: the entry's position is the property's value ----------

// clang-format off
const char* const kCaptionAlignEntries[] = {"=#484", "=#485", "=#486", "=#487"};
const char* const kCaptionPlacementEntries[] = {"=#488", "=#489", "=#490", "=#491", "=#492", "=#493"};
const char* const kIconAlignEntries[] = {"=#474", "=#475", "=#476", "=#477", "=#478",
                                         "=#479", "=#480", "=#481", "=#482", "=#483"};
const char* const kBevelEntries[] = {"=#468", "=#469", "=#470", "=#241", "=#240", "=#242", "=#243", "=#244"};
const char* const kButtonTypeEntries[] = {"=#471", "=#472", "=#473"};
const char* const kMenuEntries[] = {"=#494", "=#495", "=#496"};

using BevelData = InstanceData;

#define BEVEL_FIELD(field) offsetof(BevelData, field)

const PropertyDefinition kBevelButtonProperties[] = {
    Property("Appearance", "Caption", "String", Fn(getCaption), Fn(setCaption), 0,
             kNoEnumeration, kPlainPropertyFlags),
    Property("Appearance", "CaptionAlign", "Integer", kDirect, Fn(setAndRedraw<&BevelData::captionAlign>),
             BEVEL_FIELD(captionAlign), Entries(kCaptionAlignEntries)),
    Property("Appearance", "CaptionPlacement", "Integer", kDirect, Fn(setAndRedraw<&BevelData::captionPlacement>),
             BEVEL_FIELD(captionPlacement), Entries(kCaptionPlacementEntries)),
    Property("Appearance", "CaptionDelta", "Integer", kDirect, Fn(setAndRedraw<&BevelData::captionDelta>),
             BEVEL_FIELD(captionDelta)),
    Property("Appearance", "Icon", "Picture", kDirect, Fn(setIcon), BEVEL_FIELD(icon)),
    Property("Appearance", "IconAlign", "Integer", kDirect, Fn(setAndRedraw<&BevelData::iconAlign>),
             BEVEL_FIELD(iconAlign), Entries(kIconAlignEntries)),
    Property("Appearance", "IconDX", "Integer", kDirect, Fn(setAndRedraw<&BevelData::iconDX>), BEVEL_FIELD(iconDX)),
    Property("Appearance", "IconDY", "Integer", kDirect, Fn(setAndRedraw<&BevelData::iconDY>), BEVEL_FIELD(iconDY)),
    Property("Appearance", "Bevel", "Integer", kDirect, kDirect, BEVEL_FIELD(bevel),
             Entries(kBevelEntries)),
    Property("Appearance", "HasMenu", "Integer", kDirect, kDirect, BEVEL_FIELD(hasMenu),
             Entries(kMenuEntries)),
    Property("Initial State", "Value", "Boolean", kDirect, Fn(setValue), BEVEL_FIELD(value)),
    Property("Initial State", "MenuValue", "Integer", Fn(getMenuValue),
             Fn(setMenuValue), 0),
    Property("Behavior", "ButtonType", "integer", kDirect, kDirect, BEVEL_FIELD(buttonType),
             Entries(kButtonTypeEntries)),
    Property("Font", "TextFont", "string", kDirect, Fn(setTextFont), BEVEL_FIELD(textFont)),
    Property("Font", "TextSize", "integer", kDirect, kDirect, BEVEL_FIELD(textSize)),
    Property("Font", "Bold", "boolean", kDirect, kDirect, BEVEL_FIELD(bold)),
    Property("Font", "Italic", "boolean", kDirect, kDirect, BEVEL_FIELD(italic)),
    Property("Font", "Underline", "boolean", kDirect, kDirect, BEVEL_FIELD(underline)),
};
#undef BEVEL_FIELD

const MethodDefinition kBevelButtonMethods[] = {
    {Fn(deleteAllRows), nullptr, "DeleteAllRows"},
    {Fn(addRow), nullptr, "AddRow(text As String)"},
    {Fn(addSeparator), nullptr, "AddSeparator"},
    {Fn(removeRow), nullptr, "RemoveRow(row As Integer)"},
    {Fn(insertRow), nullptr, "InsertRow(row As Integer, text As String)"},
    {Fn(getList), Fn(setList), "List(row As Integer) As String"},
    {Fn(addActionNotificationReceiver), nullptr,
     "addActionNotificationReceiver(receiver As actionNotificationReceiver)"},
    {Fn(removeActionNotificationReceiver), nullptr,
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

constexpr ControlCallbacks kBevelButtonCallbacks = Slots().construct(construct).destruct(destruct).draw(draw)
    .mouseDown(mouseDown).mouseDrag(mouseDrag).mouseUp(mouseUp).open(open).drawOffscreen(drawOffscreen)
    .constantChanged(constantChanged).defaultsReset(defaultsReset).mouseEnter(mouseEnter).mouseExit(mouseExit)
    .action(action);

}  // namespace
}  // namespace bevel_button

ControlDefinition gBevelButtonDefinition =
    records::ClassRecord("BevelButton", sizeof(bevel_button::InstanceData), 0xD8, 172, 60, 22)
    .properties(bevel_button::kBevelButtonProperties).methods(bevel_button::kBevelButtonMethods)
    .events(bevel_button::gBevelButtonEvents).binding("ActionSource", bevel_button::kBevelButtonBindings)
    .callbacks(bevel_button::kBevelButtonCallbacks);
// clang-format on
