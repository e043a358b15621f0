#include "controls/bevel_button/model.h"

#include <new>

#include "base/theme_api.h"
#include "controls/bevel_button/receivers.h"
#include "host_services/events.h"
#include "host_services/instance_data.h"
#include "host_services/pictures.h"
#include "host_services/resolver.h"

namespace bevel_button {

// The theme class of the themed look.
static constexpr const wchar_t* kThemeClass = L"Toolbar";

// construct's caption layout: not placed against an icon, centred.
static constexpr int32_t kDefaultCaptionPlacement = 1;
static constexpr int32_t kDefaultCaptionAlign = 3;

// Icon follows the common picture policy: the setter locks whatever it
// stores, a nil picture too. The description is left as the host last
// filled it (the painter reads it only while an icon is held).
static constexpr PicturePolicy kIconPolicy{true, false};

InstanceData& dataOf(ControlInstance* control) {
    return *InstanceDataOf<InstanceData>(control, gBevelButtonDefinition);
}

bool isThemed(const InstanceData& data) { return data.themeHandle != nullptr && data.bevel == kBevelThemed; }

void cleanUpBevel(InstanceData& data) {
    switch (data.bevel) {
        case 3:
        case 5:
        case 6:
            data.bevel = 0;
            break;
        case kBevelRetiredToggle:
            data.bevel = 0;
            data.buttonType = kButtonTypeToggle;
            break;
        default:
            break;
    }
}

// ---- strings and the accelerator -------------------------------------------------

// Takes the new reference before giving back the old one, so that storing
// the handle already held cannot drop its last reference in between.
static void replaceString(HostString& field, HostString value) {
    host::ZOKALockString(value);
    host::ZOKAUnlockString(field);
    field = value;
}

// Repaints and hands the host the text the caption stands for, from which it
// derives the accelerator.
static void applyCaption(ControlInstance* control, const InstanceData& data) {
    host::ZOKAInvalidateControl(control);
    HostString interpreted = host::PluginInterpretConstantValue(data.caption);
    host::ZOKASetAccelerator(control, interpreted);
    host::ZOKAUnlockString(interpreted);
}

// ---- rows ----------------------------------------------------------------------------

// The link that points at the row with index row, or null when there is none.
static MenuRow** linkToRow(InstanceData& data, int32_t row) {
    if (row < 0) {
        return nullptr;
    }
    MenuRow** link = &data.rows;
    for (int32_t index = 0; *link != nullptr; ++index) {
        if (index == row) {
            return link;
        }
        link = &(*link)->next;
    }
    return nullptr;
}

// The link after the last row.
static MenuRow** linkToEnd(InstanceData& data) {
    MenuRow** link = &data.rows;
    while (*link != nullptr) {
        link = &(*link)->next;
    }
    return link;
}

// Links a new row in at link; the row takes one lock on its text. Nothing
// happens when no memory is left.
static void linkNewRow(MenuRow** link, HostString text, bool isSeparator) {
    MenuRow* row = new (std::nothrow) MenuRow{*link, text, isSeparator};
    if (row == nullptr) {
        return;
    }
    if (!isSeparator) {
        host::ZOKALockString(text);
    }
    *link = row;
}

// Unlinks the row at link, unlocks its text and frees it.
static void unlinkRow(MenuRow** link) {
    MenuRow* row = *link;
    *link = row->next;
    host::ZOKAUnlockString(row->text);
    delete row;
}

static void removeAllRows(InstanceData& data) {
    while (data.rows != nullptr) {
        unlinkRow(&data.rows);
    }
}

// ---- callbacks ----------------------------------------------------------------------

void construct(ControlInstance* control) {
    InstanceData& data = dataOf(control);
    // The defaults arrive owned by the caller: stored without a further lock.
    data.caption = host::PluginDefaultControlCaption();
    data.captionPlacement = kDefaultCaptionPlacement;
    data.captionAlign = kDefaultCaptionAlign;
    data.textFont = host::PluginDefaultControlFont();
    data.textSize = host::PluginDefaultControlFontSize();
    data.hot = 0;
    data.mouseDownHandled = 0;
    data.themeHandle = AcquireControlTheme(kThemeClass);
}

void destruct(ControlInstance* control) {
    // A handler, a receiver or the popup menu's loop may be destroying the
    // button it was called from: that caller touches nothing more of it.
    control_events::Survival::destroyed(control);
    InstanceData& data = dataOf(control);
    host::ZOKAUnlockString(data.caption);
    data.caption = nullptr;
    host::ZOKAUnlockString(data.textFont);
    data.textFont = nullptr;
    removeAllRows(data);
    ReleasePicture(data.icon, data.iconDescription, kIconPolicy);
    removeAllReceivers(data);
    ReleaseControlTheme(data.themeHandle);
    data.themeHandle = nullptr;
}

void constantChanged(ControlInstance* control) { applyCaption(control, dataOf(control)); }

void defaultsReset(ControlInstance* control) {
    InstanceData& data = dataOf(control);
    host::ZOKAUnlockString(data.textFont);
    data.textFont = host::PluginDefaultControlFont();
    data.textSize = host::PluginDefaultControlFontSize();
}

// ---- properties ----------------------------------------------------------------------

HostString getCaption(ControlInstance* control, int32_t) {
    HostString caption = dataOf(control).caption;
    host::ZOKALockString(caption);
    return caption;
}

void setCaption(ControlInstance* control, int32_t, HostString caption) {
    InstanceData& data = dataOf(control);
    replaceString(data.caption, caption);
    applyCaption(control, data);
}

template <int32_t InstanceData::*kField>
void setAndRedraw(ControlInstance* control, int32_t, int32_t value) {
    dataOf(control).*kField = value;
    host::ZOKAInvalidateControl(control);
}
template void setAndRedraw<&InstanceData::captionAlign>(ControlInstance*, int32_t, int32_t);
template void setAndRedraw<&InstanceData::captionPlacement>(ControlInstance*, int32_t, int32_t);
template void setAndRedraw<&InstanceData::captionDelta>(ControlInstance*, int32_t, int32_t);
template void setAndRedraw<&InstanceData::iconAlign>(ControlInstance*, int32_t, int32_t);
template void setAndRedraw<&InstanceData::iconDX>(ControlInstance*, int32_t, int32_t);
template void setAndRedraw<&InstanceData::iconDY>(ControlInstance*, int32_t, int32_t);

void setIcon(ControlInstance* control, int32_t, HostObject icon) {
    InstanceData& data = dataOf(control);
    ReplacePicture(data.icon, data.iconDescription, icon, kIconPolicy);
    host::ZOKAInvalidateControl(control);
}

void setValue(ControlInstance* control, int32_t, int32_t value) {
    // Only the low byte carries the boolean.
    dataOf(control).value = static_cast<uint8_t>(value);
    host::ZOKAInvalidateControl(control);
}

int32_t getMenuValue(ControlInstance* control, int32_t) { return dataOf(control).menuValue; }

void setMenuValue(ControlInstance* control, int32_t, int32_t value) {
    dataOf(control).menuValue = static_cast<int16_t>(static_cast<uint16_t>(value));
}

void setTextFont(ControlInstance* control, int32_t, HostString font) { replaceString(dataOf(control).textFont, font); }

// ---- methods ----------------------------------------------------------------------------

void deleteAllRows(ControlInstance* control) { removeAllRows(dataOf(control)); }

void addRow(ControlInstance* control, HostString text) { linkNewRow(linkToEnd(dataOf(control)), text, false); }

void addSeparator(ControlInstance* control) { linkNewRow(linkToEnd(dataOf(control)), nullptr, true); }

void removeRow(ControlInstance* control, int32_t row) {
    MenuRow** link = linkToRow(dataOf(control), row);
    if (link != nullptr) {
        unlinkRow(link);
    }
}

void insertRow(ControlInstance* control, int32_t row, HostString text) {
    // At most row steps from the head: a negative row inserts first, one
    // beyond the end appends.
    MenuRow** link = &dataOf(control).rows;
    for (int32_t step = 0; step < row && *link != nullptr; ++step) {
        link = &(*link)->next;
    }
    linkNewRow(link, text, false);
}

HostString getList(ControlInstance* control, int32_t row) {
    MenuRow** link = linkToRow(dataOf(control), row);
    if (link == nullptr || (*link)->text == nullptr) {
        return nullptr;
    }
    host::ZOKALockString((*link)->text);
    return (*link)->text;
}

void setList(ControlInstance* control, int32_t row, HostString text) {
    MenuRow** link = linkToRow(dataOf(control), row);
    if (link != nullptr) {
        // A separator keeps its place as a separator whatever its text.
        replaceString((*link)->text, text);
    }
}

}  // namespace bevel_button
