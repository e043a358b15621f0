// Booleans the host writes are bytes that may hold any value: 0 is false and
// every other value true. Pictures and behaviour with 2 and 255 in them are
// those of 1; a toggle stores 0 or 1.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/bevel_button/model.h"
#include "controls/disclosure_triangle.h"
#include "controls/placard.h"
#include "host_fixture.h"

namespace {

constexpr uint8_t kOddTrues[] = {2, 0x7F, 0x80, 0xFF};

class BooleanByteTest : public HostTest {
protected:
    // The pixels of instance's bounds after a draw.
    std::vector<uint32_t> picture(pluginhost::Instance* instance) {
        host.fillImage(RGB(0, 128, 128));
        host.draw(instance);
        const HostRect& b = instance->bounds;
        const uint32_t* image = host.imageBits();
        std::vector<uint32_t> pixels;
        for (int y = b.top; y < b.bottom; ++y)
            for (int x = b.left; x < b.right; ++x) pixels.push_back(image[y * pluginhost::Host::kWindowWidth + x]);
        return pixels;
    }

    // The picture with byte at offset set to 1 and then to each odd true.
    void expectOddTruesDrawAsOne(pluginhost::Instance* instance, size_t offset) {
        instance->at<uint8_t>(static_cast<int32_t>(offset)) = 0;
        const std::vector<uint32_t> falsePicture = picture(instance);
        instance->at<uint8_t>(static_cast<int32_t>(offset)) = 1;
        const std::vector<uint32_t> truePicture = picture(instance);
        ASSERT_NE(truePicture, falsePicture) << "the byte at " << offset << " shows in the picture";
        for (uint8_t odd : kOddTrues) {
            instance->at<uint8_t>(static_cast<int32_t>(offset)) = odd;
            EXPECT_EQ(picture(instance), truePicture) << "byte " << int(odd) << " at " << offset;
        }
    }
};

TEST_F(BooleanByteTest, BevelButtonFontStylesAndValue) {
    pluginhost::Instance* button = host.create("BevelButton", 10, 10, 90, 32);
    ASSERT_NE(button, nullptr);
    HostString caption = host.makeString("Wide");
    host.setString(button, "Caption", caption);
    host.releaseString(caption);
    HostString font = host.makeString("Arial");
    host.setString(button, "TextFont", font);
    host.releaseString(font);
    for (size_t offset : {offsetof(bevel_button::InstanceData, bold), offsetof(bevel_button::InstanceData, italic),
                          offsetof(bevel_button::InstanceData, underline), offsetof(bevel_button::InstanceData, value)})
        expectOddTruesDrawAsOne(button, offset);
}

TEST_F(BooleanByteTest, DisclosureTriangleAndPlacardValue) {
    pluginhost::Instance* triangle = host.create("DisclosureTriangle", 10, 10, 22, 22);
    pluginhost::Instance* placard = host.create("Placard", 30, 10, 60, 30);
    ASSERT_NE(triangle, nullptr);
    ASSERT_NE(placard, nullptr);
    expectOddTruesDrawAsOne(triangle, offsetof(disclosure_triangle::InstanceData, value));
    expectOddTruesDrawAsOne(placard, offsetof(placard::InstanceData, value));
}

// A click flips an odd true to 0, not to another true value.
TEST_F(BooleanByteTest, TogglesStoreZeroOrOne) {
    pluginhost::Instance* toggle = host.create("BevelButton", 10, 10, 70, 32);
    pluginhost::Instance* triangle = host.create("DisclosureTriangle", 80, 10, 92, 22);
    ASSERT_NE(toggle, nullptr);
    ASSERT_NE(triangle, nullptr);
    host.setInteger(toggle, "ButtonType", 1);
    struct Target {
        pluginhost::Instance* instance;
        int x;
        int y;
    };
    for (const Target& t : {Target{toggle, 20, 20}, Target{triangle, 84, 14}}) {
        SCOPED_TRACE(t.instance->className);
        for (uint8_t odd : kOddTrues) {
            host.setInteger(t.instance, "Value", odd);
            EXPECT_EQ(host.getInteger(t.instance, "Value"), odd) << "the setter keeps the byte as given";
            host.mouseDown(t.instance, t.x, t.y);
            host.mouseUp(t.instance, t.x, t.y);
            EXPECT_EQ(host.getInteger(t.instance, "Value"), 0) << "from " << int(odd);
            host.mouseDown(t.instance, t.x, t.y);
            host.mouseUp(t.instance, t.x, t.y);
            EXPECT_EQ(host.getInteger(t.instance, "Value"), 1);
        }
    }
}

// A sticky button pressed while its Value holds an odd true stores 1.
TEST_F(BooleanByteTest, StickyStoresOne) {
    pluginhost::Instance* sticky = host.create("BevelButton", 10, 10, 70, 32);
    ASSERT_NE(sticky, nullptr);
    host.setInteger(sticky, "ButtonType", 2);
    host.setInteger(sticky, "Value", 0xFF);
    host.mouseDown(sticky, 20, 20);
    host.mouseUp(sticky, 20, 20);
    EXPECT_EQ(host.getInteger(sticky, "Value"), 1);
}

}  // namespace
