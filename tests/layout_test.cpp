// The records and InstanceData blocks of the loaded DLL read as raw bytes at
// the offsets of the published tables, not through the plug-in's structs. On
// i686 those are the published 32-bit offsets; the 64-bit build keeps each
// record's field order with pointers widened to 8 bytes (second column).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "host_fixture.h"

namespace {

constexpr bool kI686 = sizeof(void*) == 4;

// An offset of the published 32-bit layout and of the 64-bit one.
struct At {
    int32_t i686;
    int32_t x86_64;
    int32_t operator()() const { return kI686 ? i686 : x86_64; }
};

// Record sizes.
constexpr At kPropertyDefinitionSize{40, 72};
constexpr At kMethodDefinitionSize{12, 24};
constexpr At kEventDefinitionSize{8, 16};
constexpr At kControlCallbacksSize{100, 200};
constexpr int32_t kCallbackSlots = 25;

// ControlDefinition fields.
constexpr At kVersion{0, 0}, kName{4, 8}, kInstanceDataSize{8, 16}, kFlags{12, 20}, kPictureId1{16, 24},
    kPictureId2{20, 28}, kDefaultWidth{24, 32}, kDefaultHeight{28, 36}, kProperties{32, 40}, kPropertyCount{36, 48},
    kMethods{40, 56}, kMethodCount{44, 64}, kEvents{48, 72}, kEventCount{52, 80}, kCallbacks{56, 88},
    kDataOffset{60, 96}, kReserved64{64, 100}, kReserved68{68, 104}, kInterfaces{72, 112}, kBindings{76, 120},
    kBindingCount{80, 128}, kReserved84{84, 132}, kReserved88{88, 136};
// PropertyDefinition, MethodDefinition and EventDefinition fields.
constexpr At kPropertyName{4, 8}, kPropertyType{8, 16}, kPropertyFlags{12, 24}, kGetter{16, 32}, kSetter{20, 40},
    kParam{24, 48}, kPropertyReserved{28, 52}, kEnumCount{32, 56}, kEnumEntries{36, 64};
constexpr At kMethodDeclaration{8, 16};
constexpr At kEventDeclaration{0, 0}, kHostEventId{4, 8};

const unsigned char* bytes(const void* p) { return static_cast<const unsigned char*>(p); }

int32_t word(const void* record, At at) {
    int32_t value;
    std::memcpy(&value, bytes(record) + at(), sizeof value);
    return value;
}

const void* pointer(const void* record, At at) {
    const void* value;
    std::memcpy(&value, bytes(record) + at(), sizeof value);
    return value;
}

std::string text(const void* record, At at) {
    const char* p = static_cast<const char*>(pointer(record, at));
    return p ? p : "<null>";
}

struct ClassRow {
    const char* name;
    At instanceDataSize;
    int32_t flags;
    int32_t pictureId1;
    int32_t width;
    int32_t height;
    int32_t properties;
    int32_t methods;
    int32_t events;
    int32_t bindings;
};

// The published class table, in registration order.
const ClassRow kClasses[] = {
    {"BevelButton", {148, 176}, 0xD8, 172, 60, 22, 18, 8, 3, 1},
    {"ChasingArrows", {12, 12}, 0xD0, 178, 16, 16, 0, 0, 0, 0},
    {"LittleArrows", {20, 24}, 0xD0, 176, 13, 23, 0, 0, 2, 0},
    {"Placard", {8, 8}, 0x58, 186, 64, 64, 1, 0, 3, 0},
    {"Separator", {4, 4}, 0xD0, 180, 64, 4, 0, 0, 0, 0},
    {"PopupArrow", {12, 12}, 0xD0, 184, 10, 10, 1, 0, 3, 0},
    {"DisclosureTriangle", {20, 20}, 0xD0, 174, 12, 12, 2, 0, 1, 0},
    {"ImageWell", {32, 40}, 0xD8, 182, 32, 32, 1, 0, 3, 0},
};

class LayoutTest : public HostTest {
protected:
    const void* record(const char* className) const { return host.definition(className); }
};

TEST_F(LayoutTest, ClassRecordsHoldThePublishedFieldsAtThePublishedOffsets) {
    ASSERT_EQ(host.registered.size(), std::size(kClasses));
    for (size_t i = 0; i < std::size(kClasses); ++i) {
        const ClassRow& c = kClasses[i];
        SCOPED_TRACE(c.name);
        const void* r = host.registered[i];
        EXPECT_EQ(word(r, kVersion), 6);
        EXPECT_EQ(text(r, kName), c.name);
        EXPECT_EQ(word(r, kInstanceDataSize), c.instanceDataSize());
        EXPECT_EQ(word(r, kFlags), c.flags);
        EXPECT_EQ(word(r, kPictureId1), c.pictureId1);
        EXPECT_EQ(word(r, kPictureId2), c.pictureId1 + 1);
        EXPECT_EQ(word(r, kDefaultWidth), c.width);
        EXPECT_EQ(word(r, kDefaultHeight), c.height);
        EXPECT_EQ(word(r, kPropertyCount), c.properties);
        EXPECT_EQ(pointer(r, kProperties) != nullptr, c.properties > 0);
        EXPECT_EQ(word(r, kMethodCount), c.methods);
        EXPECT_EQ(pointer(r, kMethods) != nullptr, c.methods > 0);
        EXPECT_EQ(word(r, kEventCount), c.events);
        EXPECT_EQ(pointer(r, kEvents) != nullptr, c.events > 0);
        EXPECT_NE(pointer(r, kCallbacks), nullptr);
        EXPECT_GT(word(r, kDataOffset), 0) << "the host's write lands in dataOffset";
        EXPECT_EQ(word(r, kBindingCount), c.bindings);
        EXPECT_EQ(pointer(r, kBindings) != nullptr, c.bindings > 0);
        EXPECT_EQ(text(r, kInterfaces), c.bindings > 0 ? "ActionSource" : "<null>");
        for (At reserved : {kReserved64, kReserved68, kReserved84, kReserved88}) EXPECT_EQ(word(r, reserved), 0);
    }
}

// Tables of records are arrays: each record starts where the published size
// of the one before ends.
TEST_F(LayoutTest, TablesStepByThePublishedRecordSizes) {
    const void* bevel = record("BevelButton");
    const auto* properties = bytes(pointer(bevel, kProperties));
    const char* const kNames[] = {"Caption",   "CaptionAlign", "CaptionPlacement", "CaptionDelta", "Icon",
                                  "IconAlign", "IconDX",       "IconDY",           "Bevel",        "HasMenu",
                                  "Value",     "MenuValue",    "ButtonType",       "TextFont",     "TextSize",
                                  "Bold",      "Italic",       "Underline"};
    for (size_t i = 0; i < std::size(kNames); ++i) {
        const void* p = properties + i * kPropertyDefinitionSize();
        EXPECT_EQ(text(p, kPropertyName), kNames[i]);
        EXPECT_EQ(word(p, kPropertyReserved), 0) << kNames[i];
        EXPECT_EQ(word(p, kPropertyFlags), i == 0 ? 0 : 1) << kNames[i];
    }
    const void* bevelProperty = properties + 8 * kPropertyDefinitionSize();  // Bevel: eight entries
    EXPECT_EQ(text(bevelProperty, kPropertyType), "Integer");
    EXPECT_EQ(word(bevelProperty, kEnumCount), 8);
    EXPECT_STREQ(static_cast<const char* const*>(pointer(bevelProperty, kEnumEntries))[7], "=#244");

    const auto* methods = bytes(pointer(bevel, kMethods));
    EXPECT_EQ(text(methods + 5 * kMethodDefinitionSize(), kMethodDeclaration), "List(row As Integer) As String");
    EXPECT_EQ(text(methods + 7 * kMethodDefinitionSize(), kMethodDeclaration),
              "removeActionNotificationReceiver(receiver As actionNotificationReceiver)");

    const auto* events = bytes(pointer(bevel, kEvents));
    const char* const kEventsInOrder[] = {"MouseUp(X As Integer, Y As Integer) As Boolean",
                                          "MouseDown(X As Integer, Y As Integer) As Boolean", "Action"};
    for (size_t i = 0; i < std::size(kEventsInOrder); ++i) {
        const void* e = events + i * kEventDefinitionSize();
        EXPECT_EQ(text(e, kEventDeclaration), kEventsInOrder[i]);
        EXPECT_GT(word(e, kHostEventId), 0) << "the host's write lands in hostEventId";
    }
}

// 25 pointer slots: draw (2) and handleQuery (21) are filled in every class,
// 6 to 8 and 22 to 24 in none; slot 13 only in Placard.
TEST_F(LayoutTest, CallbackTablesHaveTwentyFiveSlots) {
    const int32_t slot = kControlCallbacksSize() / kCallbackSlots;
    EXPECT_EQ(slot, static_cast<int32_t>(sizeof(void*)));
    for (const ClassRow& c : kClasses) {
        SCOPED_TRACE(c.name);
        const void* callbacks = pointer(record(c.name), kCallbacks);
        auto at = [&](int index) { return pointer(callbacks, At{index * 4, index * 8}); };
        EXPECT_NE(at(2), nullptr);
        EXPECT_NE(at(21), nullptr);
        for (int empty : {6, 7, 8, 22, 23, 24}) EXPECT_EQ(at(empty), nullptr) << "slot " << empty;
        EXPECT_EQ(at(13) != nullptr, std::string(c.name) == "Placard");
    }
}

enum class Width { kWord, kHalf, kByte, kPointer };

struct ParamRow {
    const char* className;
    const char* property;
    At param;  // the record's param word: where the field lies, or 0 for a getter-and-setter pair
    At field;  // where the setter stores
    Width width;
};

const ParamRow kParams[] = {
    {"BevelButton", "Caption", {0, 0}, {4, 8}, Width::kPointer},
    {"BevelButton", "CaptionAlign", {24, 32}, {24, 32}, Width::kWord},
    {"BevelButton", "CaptionPlacement", {28, 36}, {28, 36}, Width::kWord},
    {"BevelButton", "CaptionDelta", {88, 112}, {88, 112}, Width::kWord},
    {"BevelButton", "Icon", {76, 96}, {76, 96}, Width::kPointer},
    {"BevelButton", "IconAlign", {20, 28}, {20, 28}, Width::kWord},
    {"BevelButton", "IconDX", {80, 104}, {80, 104}, Width::kWord},
    {"BevelButton", "IconDY", {84, 108}, {84, 108}, Width::kWord},
    {"BevelButton", "Bevel", {92, 116}, {92, 116}, Width::kWord},
    {"BevelButton", "HasMenu", {12, 20}, {12, 20}, Width::kWord},
    {"BevelButton", "Value", {34, 42}, {34, 42}, Width::kByte},
    {"BevelButton", "MenuValue", {0, 0}, {32, 40}, Width::kHalf},
    {"BevelButton", "ButtonType", {108, 132}, {108, 132}, Width::kWord},
    {"BevelButton", "TextFont", {40, 56}, {40, 56}, Width::kPointer},
    {"BevelButton", "TextSize", {44, 64}, {44, 64}, Width::kWord},
    {"BevelButton", "Bold", {48, 68}, {48, 68}, Width::kByte},
    {"BevelButton", "Italic", {49, 69}, {49, 69}, Width::kByte},
    {"BevelButton", "Underline", {50, 70}, {50, 70}, Width::kByte},
    {"DisclosureTriangle", "Value", {4, 4}, {4, 4}, Width::kByte},
    {"DisclosureTriangle", "Facing", {8, 8}, {8, 8}, Width::kWord},
    {"ImageWell", "Image", {28, 32}, {28, 32}, Width::kPointer},
    {"PopupArrow", "Facing", {4, 4}, {4, 4}, Width::kWord},
    {"Placard", "Value", {4, 4}, {4, 4}, Width::kByte},
};

// Every param is its field's offset, and what the host stores through a
// property lands there.
TEST_F(LayoutTest, EveryParamNamesItsFieldInTheBlock) {
    for (const ParamRow& p : kParams) {
        SCOPED_TRACE(std::string(p.className) + "." + p.property);
        pluginhost::Instance* instance = host.create(p.className, 0, 0, 40, 20);
        ASSERT_NE(instance, nullptr);
        const PropertyDefinition* property = host.property(instance, p.property);
        ASSERT_NE(property, nullptr);
        EXPECT_EQ(word(property, kParam), p.param());
        const unsigned char* field = instance->data() + p.field();
        switch (p.width) {
            case Width::kPointer: {
                HostString s = host.makeString("x");
                HostObject picture = host.makePicture(2, 2, [](int, int) { return RGB(0, 0, 0); });
                const bool isPicture = std::string(p.property) == "Icon" || std::string(p.property) == "Image";
                const void* handle = isPicture ? static_cast<const void*>(picture) : s;
                if (isPicture)
                    host.setPicture(instance, p.property, picture);
                else
                    host.setString(instance, p.property, s);
                const void* stored;
                std::memcpy(&stored, field, sizeof stored);
                EXPECT_EQ(stored, handle);
                host.releaseString(s);
                host.releaseObject(picture);
                break;
            }
            case Width::kWord: {
                host.setInteger(instance, p.property, 0x01020304);
                int32_t stored;
                std::memcpy(&stored, field, sizeof stored);
                EXPECT_EQ(stored, 0x01020304);
                break;
            }
            case Width::kHalf: {
                host.setInteger(instance, p.property, 0x7FFE);
                int16_t stored;
                std::memcpy(&stored, field, sizeof stored);
                EXPECT_EQ(stored, 0x7FFE);
                break;
            }
            case Width::kByte:
                host.setInteger(instance, p.property, 0x1A5);
                EXPECT_EQ(field[0], 0xA5) << "the low byte, as given";
                EXPECT_NE(field[1], 0x01) << "one byte only";
                break;
        }
        host.destroy(instance);
    }
}

// A directly written field is read by the plug-in at the same offset: Bevel 7
// written at its param becomes 0 at the next paint and ButtonType 1.
TEST_F(LayoutTest, ThePainterReadsAndRewritesTheDirectFieldsInPlace) {
    pluginhost::Instance* button = host.create("BevelButton", 0, 0, 60, 22);
    ASSERT_NE(button, nullptr);
    unsigned char* block = button->data();
    const int32_t seven = 7;
    std::memcpy(block + At{92, 116}(), &seven, sizeof seven);
    host.draw(button);
    int32_t bevel;
    int32_t buttonType;
    std::memcpy(&bevel, block + At{92, 116}(), sizeof bevel);
    std::memcpy(&buttonType, block + At{108, 132}(), sizeof buttonType);
    EXPECT_EQ(bevel, 0);
    EXPECT_EQ(buttonType, 1);
}

}  // namespace

namespace {

std::string versionString(const std::vector<unsigned char>& info, const char* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(info.data(), path.c_str(), &value, &length) || length == 0) return "<none>";
    return static_cast<const char*>(value);
}

// What Explorer shows in the DLL's properties.
TEST(VersionResourceTest, TheDllNamesItsProductVersionAndPurpose) {
    const std::string path = pluginhost::pluginPath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << path << " carries no version resource";
    std::vector<unsigned char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
    EXPECT_EQ(versionString(info, "ProductName"), "ClassicControls");
    // The package ships the 64-bit DLL under a name of its own.
    EXPECT_EQ(versionString(info, "OriginalFilename"),
              sizeof(void*) == 8 ? "ClassicControls64.dll" : "ClassicControls.dll");
    EXPECT_NE(versionString(info, "FileDescription").find("controls"), std::string::npos);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    const std::string dotted = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                               std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                               std::to_string(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(versionString(info, "FileVersion"), dotted);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
}

}  // namespace
