// Registration: the order of the classes, the version, and every field of the
// eight class records, compared with the published tables written out here.
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host_fixture.h"

namespace {

using pluginhost::Instance;

constexpr bool kIs64 = sizeof(void*) == 8;

// Picks the value of a layout number for this build: the 32-bit plug-in
// keeps the host's published offsets; the 64-bit one widens handles.
constexpr int32_t Layout(int32_t i686, int32_t x64) { return kIs64 ? x64 : i686; }

struct ExpectedClass {
    const char* name;
    int32_t instanceDataSize;
    int32_t flags;
    int32_t pictureId1;
    int32_t defaultWidth;
    int32_t defaultHeight;
    int32_t propertyCount;
    int32_t methodCount;
    int32_t eventCount;
    const char* interfaces;
    int32_t bindingCount;
};

// In registration order.
const ExpectedClass kExpectedClasses[] = {
    {"BevelButton", Layout(148, 176), 0xD8, 172, 60, 22, 18, 8, 3, "ActionSource", 1},
    {"ChasingArrows", 12, 0xD0, 178, 16, 16, 0, 0, 0, nullptr, 0},
    {"LittleArrows", Layout(20, 24), 0xD0, 176, 13, 23, 0, 0, 2, nullptr, 0},
    {"Placard", 8, 0x58, 186, 64, 64, 1, 0, 3, nullptr, 0},
    {"Separator", 4, 0xD0, 180, 64, 4, 0, 0, 0, nullptr, 0},
    {"PopupArrow", 12, 0xD0, 184, 10, 10, 1, 0, 3, nullptr, 0},
    {"DisclosureTriangle", 20, 0xD0, 174, 12, 12, 2, 0, 1, nullptr, 0},
    {"ImageWell", Layout(32, 40), 0xD8, 182, 32, 32, 1, 0, 3, nullptr, 0},
};

// How a property is reached: 'd' direct, 'f' a function of the control.
struct ExpectedProperty {
    const char* className;
    const char* group;
    const char* name;
    const char* type;
    int32_t propertyFlags;
    char getter;
    char setter;
    int32_t param;  // only checked for direct access
    std::vector<std::string> enumeration;
};

const std::vector<std::string> kCaptionAlign = {"=#484", "=#485", "=#486", "=#487"};
const std::vector<std::string> kCaptionPlacement = {"=#488", "=#489", "=#490", "=#491", "=#492", "=#493"};
const std::vector<std::string> kIconAlign = {"=#474", "=#475", "=#476", "=#477", "=#478",
                                             "=#479", "=#480", "=#481", "=#482", "=#483"};
const std::vector<std::string> kBevel = {"=#468", "=#469", "=#470", "=#241", "=#240", "=#242", "=#243", "=#244"};
const std::vector<std::string> kButtonType = {"=#471", "=#472", "=#473"};
const std::vector<std::string> kMenu = {"=#494", "=#495", "=#496"};
const std::vector<std::string> kFacing = {"=#497", "=#498"};
const std::vector<std::string> kArrowFacing = {"=#499", "=#500", "=#501", "=#502", "=#503", "=#504", "=#505", "=#506"};

const ExpectedProperty kExpectedProperties[] = {
    {"BevelButton", "Appearance", "Caption", "String", 0, 'f', 'f', 0, {}},
    {"BevelButton", "Appearance", "CaptionAlign", "Integer", 1, 'd', 'f', Layout(24, 32), kCaptionAlign},
    {"BevelButton", "Appearance", "CaptionPlacement", "Integer", 1, 'd', 'f', Layout(28, 36), kCaptionPlacement},
    {"BevelButton", "Appearance", "CaptionDelta", "Integer", 1, 'd', 'f', Layout(88, 112), {}},
    {"BevelButton", "Appearance", "Icon", "Picture", 1, 'd', 'f', Layout(76, 96), {}},
    {"BevelButton", "Appearance", "IconAlign", "Integer", 1, 'd', 'f', Layout(20, 28), kIconAlign},
    {"BevelButton", "Appearance", "IconDX", "Integer", 1, 'd', 'f', Layout(80, 104), {}},
    {"BevelButton", "Appearance", "IconDY", "Integer", 1, 'd', 'f', Layout(84, 108), {}},
    {"BevelButton", "Appearance", "Bevel", "Integer", 1, 'd', 'd', Layout(92, 116), kBevel},
    {"BevelButton", "Appearance", "HasMenu", "Integer", 1, 'd', 'd', Layout(12, 20), kMenu},
    {"BevelButton", "Initial State", "Value", "Boolean", 1, 'd', 'f', Layout(34, 42), {}},
    {"BevelButton", "Initial State", "MenuValue", "Integer", 1, 'f', 'f', 0, {}},
    {"BevelButton", "Behavior", "ButtonType", "integer", 1, 'd', 'd', Layout(108, 132), kButtonType},
    {"BevelButton", "Font", "TextFont", "string", 1, 'd', 'f', Layout(40, 56), {}},
    {"BevelButton", "Font", "TextSize", "integer", 1, 'd', 'd', Layout(44, 64), {}},
    {"BevelButton", "Font", "Bold", "boolean", 1, 'd', 'd', Layout(48, 68), {}},
    {"BevelButton", "Font", "Italic", "boolean", 1, 'd', 'd', Layout(49, 69), {}},
    {"BevelButton", "Font", "Underline", "boolean", 1, 'd', 'd', Layout(50, 70), {}},
    {"Placard", "Initial State", "Value", "Boolean", 1, 'd', 'f', 4, {}},
    {"PopupArrow", "Appearance", "Facing", "Integer", 1, 'd', 'd', 4, kArrowFacing},
    {"DisclosureTriangle", "Initial State", "Value", "Boolean", 0, 'd', 'f', 4, {}},
    {"DisclosureTriangle", "Appearance", "Facing", "Integer", 1, 'd', 'd', 8, kFacing},
    {"ImageWell", "Appearance", "Image", "Picture", 1, 'd', 'f', Layout(28, 32), {}},
};

const char* const kMouseEvents[] = {
    "MouseDown(X As Integer, Y As Integer) As Boolean",
    "MouseDrag(X As Integer, Y As Integer)",
    "MouseUp(X As Integer, Y As Integer)",
};

struct ExpectedEvents {
    const char* className;
    std::vector<std::string> declarations;
};

const ExpectedEvents kExpectedEvents[] = {
    {"BevelButton",
     {"MouseUp(X As Integer, Y As Integer) As Boolean", "MouseDown(X As Integer, Y As Integer) As Boolean", "Action"}},
    {"DisclosureTriangle", {"Action"}},
    {"LittleArrows", {"Up", "Down"}},
    {"ImageWell", {kMouseEvents[0], kMouseEvents[1], kMouseEvents[2]}},
    {"PopupArrow", {kMouseEvents[0], kMouseEvents[1], kMouseEvents[2]}},
    {"Placard", {kMouseEvents[0], kMouseEvents[1], kMouseEvents[2]}},
};

const char* const kBevelButtonMethods[] = {
    "DeleteAllRows",
    "AddRow(text As String)",
    "AddSeparator",
    "RemoveRow(row As Integer)",
    "InsertRow(row As Integer, text As String)",
    "List(row As Integer) As String",
    "addActionNotificationReceiver(receiver As actionNotificationReceiver)",
    "removeActionNotificationReceiver(receiver As actionNotificationReceiver)",
};

// The callback tables, one row per slot, one column per class in the order
// BevelButton, DisclosureTriangle, LittleArrows, ChasingArrows, ImageWell,
// PopupArrow, Placard, Separator. O: the class's own function; n: a shared
// or per-class function that does nothing; z: answers 0; '.': null.
const char* const kColumnClasses[] = {"BevelButton", "DisclosureTriangle", "LittleArrows", "ChasingArrows",
                                      "ImageWell",   "PopupArrow",         "Placard",      "Separator"};
const char* const kCallbackTable[25] = {
    /*  0 construct       */ "OOOO...n",
    /*  1 destruct        */ "O.OOO..n",
    /*  2 draw            */ "OOOOOOOO",
    /*  3 mouseDown       */ "OOO.OOO.",
    /*  4 mouseDrag       */ "OOO.OOO.",
    /*  5 mouseUp         */ "OOO.OOO.",
    /*  6                 */ "........",
    /*  7                 */ "........",
    /*  8                 */ "........",
    /*  9 open            */ "nnnnnn.n",
    /* 10 close           */ "nnnnnnnn",
    /* 11 idle            */ "...O....",
    /* 12 drawOffscreen   */ "OOOOOOOO",
    /* 13                 */ "......n.",
    /* 14 constantChanged */ "O.......",
    /* 15 defaultsReset   */ "O.......",
    /* 16 mouseEnter      */ "O.......",
    /* 17 mouseExit       */ "O.O.....",
    /* 18 mouseMove       */ "..O.....",
    /* 19 stateChanged    */ "nnnnnnnn",
    /* 20 action          */ "OO......",
    /* 21 handleQuery     */ "zzzzzzzz",
    /* 22                 */ "........",
    /* 23                 */ "........",
    /* 24                 */ "........",
};

// Functions of controls that are not built yet: their slots and entries are
// still null. Remove a line when its function arrives.
struct Pending {
    const char* className;
    const char* what;  // a slot number, or a property or method name
};
const std::vector<Pending> kStillToCome = {};

bool StillToCome(const std::string& className, const std::string& what) {
    for (const Pending& p : kStillToCome) {
        if (className == p.className && what == p.what) return true;
    }
    return false;
}

std::string Text(const char* s) { return s ? std::string(s) : std::string("(null)"); }

void* const* Slots(const ControlDefinition* definition) {
    return reinterpret_cast<void* const*>(definition->callbacks);
}

class DefinitionsTest : public HostTest {};

TEST_F(DefinitionsTest, RegistersVersionSixThenEightClassesInOrder) {
    ASSERT_EQ(host.versions, std::vector<int32_t>{6});
    ASSERT_EQ(host.registered.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(Text(host.registered[i]->name), kExpectedClasses[i].name) << "position " << i;
    }
}

TEST_F(DefinitionsTest, ClassRecordsMatchTheTable) {
    ASSERT_EQ(host.registered.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        const ControlDefinition* d = host.registered[i];
        const ExpectedClass& e = kExpectedClasses[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(d->version, 6);
        EXPECT_EQ(d->instanceDataSize, e.instanceDataSize);
        EXPECT_EQ(d->flags, e.flags);
        EXPECT_EQ(d->pictureId1, e.pictureId1);
        EXPECT_EQ(d->pictureId2, e.pictureId1 + 1);
        EXPECT_EQ(d->defaultWidth, e.defaultWidth);
        EXPECT_EQ(d->defaultHeight, e.defaultHeight);
        EXPECT_EQ(d->propertyCount, e.propertyCount);
        EXPECT_EQ(d->properties == nullptr, e.propertyCount == 0);
        EXPECT_EQ(d->methodCount, e.methodCount);
        EXPECT_EQ(d->methods == nullptr, e.methodCount == 0);
        EXPECT_EQ(d->eventCount, e.eventCount);
        EXPECT_EQ(d->events == nullptr, e.eventCount == 0);
        EXPECT_NE(d->callbacks, nullptr);
        EXPECT_EQ(d->reserved64, 0);
        EXPECT_EQ(d->reserved68, 0);
        EXPECT_EQ(Text(d->interfaces), Text(e.interfaces));
        EXPECT_EQ(d->bindingCount, e.bindingCount);
        EXPECT_EQ(d->bindings == nullptr, e.bindingCount == 0);
        EXPECT_EQ(d->reserved84, 0);
        EXPECT_EQ(d->reserved88, 0);
    }
    const ControlDefinition* bevel = host.definition("BevelButton");
    ASSERT_NE(bevel, nullptr);
    ASSERT_NE(bevel->bindings, nullptr);
    EXPECT_EQ(Text(bevel->bindings[0].interfaceName), "ActionSource");
    EXPECT_EQ(Text(bevel->bindings[0].displayText), "%1 pressed");
    EXPECT_EQ(Text(bevel->bindings[0].third), "");
}

TEST_F(DefinitionsTest, HostWritesDataOffsetsAndEventIdsIntoTheRecords) {
    std::set<int32_t> offsets;
    std::set<int32_t> eventIds;
    for (const ControlDefinition* d : host.registered) {
        EXPECT_NE(d->dataOffset, 0) << d->name;
        offsets.insert(d->dataOffset);
        for (int32_t i = 0; i < d->eventCount; ++i) eventIds.insert(d->events[i].hostEventId);
    }
    EXPECT_EQ(offsets.size(), 8u) << "each class should have been given its own offset";
    EXPECT_EQ(eventIds.size(), 15u) << "3 + 1 + 2 + 3 + 3 + 3 events, each with its own id";
}

TEST_F(DefinitionsTest, PropertiesMatchTheTable) {
    std::map<std::string, int> seen;
    for (const ExpectedProperty& e : kExpectedProperties) {
        SCOPED_TRACE(std::string(e.className) + "." + e.name);
        const ControlDefinition* d = host.definition(e.className);
        ASSERT_NE(d, nullptr);
        const int index = seen[e.className]++;
        ASSERT_LT(index, d->propertyCount);
        const PropertyDefinition& p = d->properties[index];
        EXPECT_EQ(Text(p.group), e.group);
        EXPECT_EQ(Text(p.name), e.name);
        EXPECT_EQ(Text(p.type), e.type);
        EXPECT_EQ(p.propertyFlags, e.propertyFlags);
        EXPECT_EQ(p.reserved, 0);
        const bool pending = StillToCome(e.className, e.name);
        const struct {
            const void* slot;
            char how;
            const char* which;
        } accessors[] = {{p.getter, e.getter, "getter"}, {p.setter, e.setter, "setter"}};
        for (const auto& a : accessors) {
            if (a.how == 'd') {
                EXPECT_EQ(a.slot, PLUGIN_DIRECT_ACCESS) << a.which << " should be direct";
            } else if (pending) {
                EXPECT_EQ(a.slot, nullptr) << a.which << " arrived: take it off the still-to-come list";
            } else {
                EXPECT_NE(a.slot, nullptr) << a.which;
                EXPECT_NE(a.slot, PLUGIN_DIRECT_ACCESS) << a.which << " should be a function";
            }
        }
        if (e.getter == 'd' || e.setter == 'd') {
            EXPECT_EQ(p.param, e.param);
        } else {
            EXPECT_EQ(p.param, 0);
        }
        ASSERT_EQ(p.enumCount, static_cast<int32_t>(e.enumeration.size()));
        EXPECT_EQ(p.enumEntries == nullptr, e.enumeration.empty());
        for (size_t k = 0; k < e.enumeration.size(); ++k) {
            EXPECT_EQ(Text(p.enumEntries[k]), e.enumeration[k]) << "entry " << k;
        }
    }
    for (const ControlDefinition* d : host.registered) {
        EXPECT_EQ(seen[d->name], d->propertyCount) << d->name;
    }
}

TEST_F(DefinitionsTest, EventsAndMethodsMatchTheTable) {
    for (const ExpectedEvents& e : kExpectedEvents) {
        const ControlDefinition* d = host.definition(e.className);
        ASSERT_NE(d, nullptr);
        ASSERT_EQ(d->eventCount, static_cast<int32_t>(e.declarations.size())) << e.className;
        for (size_t i = 0; i < e.declarations.size(); ++i) {
            EXPECT_EQ(Text(d->events[i].declaration), e.declarations[i]) << e.className << " event " << i;
        }
    }
    const ControlDefinition* bevel = host.definition("BevelButton");
    ASSERT_NE(bevel, nullptr);
    ASSERT_EQ(bevel->methodCount, 8);
    for (int i = 0; i < 8; ++i) {
        const MethodDefinition& m = bevel->methods[i];
        const std::string declaration = kBevelButtonMethods[i];
        EXPECT_EQ(Text(m.declaration), declaration);
        const std::string name = declaration.substr(0, declaration.find('('));
        if (StillToCome("BevelButton", name)) {
            EXPECT_EQ(m.function, nullptr) << name << " arrived: take it off the still-to-come list";
        } else {
            EXPECT_NE(m.function, nullptr) << name;
        }
        const bool isList = name == "List";
        if (isList && !StillToCome("BevelButton", name)) {
            EXPECT_NE(m.setterFunction, nullptr) << "List has an assignment form";
        } else if (!isList) {
            EXPECT_EQ(m.setterFunction, nullptr) << name;
        }
    }
}

TEST_F(DefinitionsTest, CallbackTablesMatchTheTable) {
    std::set<const void*> opens;
    std::set<const void*> closes;
    std::set<const void*> stateChanges;
    for (size_t column = 0; column < 8; ++column) {
        const std::string className = kColumnClasses[column];
        const ControlDefinition* d = host.definition(className);
        ASSERT_NE(d, nullptr) << className;
        void* const* slots = Slots(d);
        for (int slot = 0; slot < 25; ++slot) {
            const char kind = kCallbackTable[slot][column];
            SCOPED_TRACE(className + " slot " + std::to_string(slot) + " '" + kind + "'");
            if (kind == '.') {
                EXPECT_EQ(slots[slot], nullptr);
            } else if (kind == 'O' && StillToCome(className, std::to_string(slot))) {
                EXPECT_EQ(slots[slot], nullptr) << "arrived: take it off the still-to-come list";
            } else {
                EXPECT_NE(slots[slot], nullptr);
            }
        }
        const ControlCallbacks& c = *d->callbacks;
        if (c.open) opens.insert(reinterpret_cast<const void*>(c.open));
        closes.insert(reinterpret_cast<const void*>(c.close));
        stateChanges.insert(reinterpret_cast<const void*>(c.stateChanged));
        ASSERT_NE(c.handleQuery, nullptr);
        // handleQuery ignores its instance: any class answers 0.
        EXPECT_EQ(c.handleQuery(nullptr), 0) << className;
    }
    EXPECT_EQ(opens.size(), 7u) << "each class with an open callback has its own";
    EXPECT_EQ(closes.size(), 1u) << "one close shared by all classes";
    EXPECT_EQ(stateChanges.size(), 1u) << "one stateChanged shared by all classes";
}

TEST_F(DefinitionsTest, EnumerationValueIsTheIndexIntoItsList) {
    const ControlDefinition* arrow = host.definition("PopupArrow");
    ASSERT_NE(arrow, nullptr);
    ASSERT_EQ(arrow->propertyCount, 1);
    ASSERT_EQ(arrow->properties[0].enumCount, 8);
    EXPECT_STREQ(arrow->properties[0].enumEntries[7], "=#506");
}

TEST_F(DefinitionsTest, DirectWriteOfBevelChangesOnlyItsOwnField) {
    Instance* button = host.create("BevelButton", 10, 10, 70, 32);
    ASSERT_NE(button, nullptr);
    const int32_t size = button->definition->instanceDataSize;
    std::vector<unsigned char> before(button->data(), button->data() + size);
    host.setInteger(button, "Bevel", 2);
    host.setInteger(button, "HasMenu", 1);
    std::vector<unsigned char> after(button->data(), button->data() + size);
    const int32_t bevelAt = Layout(92, 116);
    const int32_t hasMenuAt = Layout(12, 20);
    for (int32_t i = 0; i < size; ++i) {
        if (i >= bevelAt && i < bevelAt + 4) continue;
        if (i >= hasMenuAt && i < hasMenuAt + 4) continue;
        EXPECT_EQ(before[i], after[i]) << "byte " << i << " changed";
    }
    EXPECT_EQ(button->at<int32_t>(bevelAt), 2);
    EXPECT_EQ(button->at<int32_t>(hasMenuAt), 1);
    EXPECT_EQ(host.getInteger(button, "Bevel"), 2);
    EXPECT_EQ(host.getInteger(button, "HasMenu"), 1);
}

}  // namespace
