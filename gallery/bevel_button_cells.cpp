#include <cstddef>
#include <string>

#include "controls/bevel_button/model.h"
#include "gallery.h"
#include "visual_styles.h"

namespace {

using pluginhost::Host;
using pluginhost::Instance;

constexpr int kWidth = 60;
constexpr int kHeight = 22;
constexpr int kIconWidth = 64;
constexpr int kIconHeight = 40;
// Bevel value of the themed toolbar look.
constexpr int32_t kThemedBevel = 4;

void setText(Host& host, Instance* b, const std::string& property, const std::string& text) {
    HostString s = host.makeString(text);
    host.setString(b, property, s);
    host.releaseString(s);
}

// A 16 x 16 icon: a blue square with a yellow diagonal.
void setIcon(Host& host, Instance* b) {
    HostObject icon = host.makePicture(16, 16, [](int x, int y) {
        if (x == y || x + 1 == y) return RGB(255, 220, 0);
        return (x == 0 || y == 0 || x == 15 || y == 15) ? RGB(0, 0, 128) : RGB(60, 110, 220);
    });
    host.setPicture(b, "Icon", icon);
    host.releaseObject(icon);
}

void press(Instance* b) { b->at<uint8_t>(offsetof(bevel_button::InstanceData, pressed)) = 1; }

CellSetup withCaption(const std::string& caption, int32_t bevel = 1, bool pressed = false) {
    return [caption, bevel, pressed](Host& host, Instance* b) {
        setText(host, b, "Caption", caption);
        host.setInteger(b, "Bevel", bevel);
        if (pressed) press(b);
    };
}

CellSetup withIcon(int32_t iconAlign, int32_t placement, int32_t align, const std::string& caption) {
    return [=](Host& host, Instance* b) {
        setText(host, b, "Caption", caption);
        host.setInteger(b, "Bevel", 1);
        setIcon(host, b);
        host.setInteger(b, "IconAlign", iconAlign);
        host.setInteger(b, "IconDX", 2);
        host.setInteger(b, "IconDY", 2);
        host.setInteger(b, "CaptionPlacement", placement);
        host.setInteger(b, "CaptionAlign", align);
        host.setInteger(b, "CaptionDelta", 2);
    };
}

CellSetup withFont(const std::string& font, int32_t size, bool bold, bool italic, bool underline) {
    return [=](Host& host, Instance* b) {
        setText(host, b, "Caption", font);
        host.setInteger(b, "Bevel", 1);
        setText(host, b, "TextFont", font);
        host.setInteger(b, "TextSize", size);
        host.setInteger(b, "Bold", bold);
        host.setInteger(b, "Italic", italic);
        host.setInteger(b, "Underline", underline);
    };
}

// A themed button; hot tracking needs the themed bevel set before the mouse
// comes in.
CellSetup themedButton(const std::string& caption, bool value, bool hot, bool pressed, int32_t hasMenu = 0) {
    return themed([=](Host& host, Instance* b) {
        setText(host, b, "Caption", caption);
        host.setInteger(b, "Bevel", kThemedBevel);
        host.setInteger(b, "HasMenu", hasMenu);
        host.setInteger(b, "Value", value);
        if (hot) host.mouseEnter(b);
        if (pressed) host.mouseDown(b, b->bounds.left + kWidth / 2, b->bounds.top + kHeight / 2);
    });
}

void addThemedCells(Gallery& gallery) {
    useVisualStyles(gallery);
    gallery.section("BevelButton: themed (Bevel 4)");
    gallery.cell("normal", "BevelButton", kWidth, kHeight, themedButton("OK", false, false, false));
    gallery.cell("hot", "BevelButton", kWidth, kHeight, themedButton("OK", false, true, false));
    gallery.cell("pressed", "BevelButton", kWidth, kHeight, themedButton("OK", false, true, true));
    gallery.cell("checked", "BevelButton", kWidth, kHeight, themedButton("On", true, false, false));
    gallery.cell("hot checked", "BevelButton", kWidth, kHeight, themedButton("On", true, true, false));
    pluginhost::InstanceOptions disabled;
    disabled.enabled = false;
    gallery.cell("disabled", "BevelButton", kWidth, kHeight, themedButton("Off", false, false, false), disabled);
    for (int32_t hasMenu = 1; hasMenu <= 2; ++hasMenu) {
        gallery.cell("HasMenu " + std::to_string(hasMenu), "BevelButton", kWidth, kHeight,
                     themedButton("Menu", false, false, false, hasMenu));
    }
}

}  // namespace

void addBevelButtonCells(Gallery& gallery) {
    gallery.section("BevelButton: bevels");
    for (int32_t bevel = 0; bevel <= 2; ++bevel) {
        const std::string name = "Bevel " + std::to_string(bevel);
        gallery.cell(name, "BevelButton", kWidth, kHeight, withCaption("OK", bevel));
        gallery.cell(name + " pressed", "BevelButton", kWidth, kHeight, withCaption("OK", bevel, true));
    }
    gallery.cell("Value true", "BevelButton", kWidth, kHeight, [](Host& host, Instance* b) {
        withCaption("On")(host, b);
        host.setInteger(b, "Value", 1);
    });
    pluginhost::InstanceOptions disabled;
    disabled.enabled = false;
    gallery.cell("disabled", "BevelButton", kWidth, kHeight, withCaption("Off"), disabled);
    gallery.cell("accelerator &Save", "BevelButton", kWidth, kHeight, withCaption("&Save"));
    gallery.cell("UTF-8 text", "BevelButton", kWidth + 20, kHeight,
                 withCaption("\xCE\x91\xCE\xB2\xCE\xB3 \xD0\x96 \xE6\x97\xA5\xE6\x9C\xAC"));

    gallery.section("BevelButton: icon alignments 0-9");
    for (int32_t iconAlign = 0; iconAlign <= 9; ++iconAlign) {
        gallery.cell("IconAlign " + std::to_string(iconAlign), "BevelButton", kIconWidth, kIconHeight,
                     withIcon(iconAlign, 1, 3, ""));
    }

    gallery.section("BevelButton: caption placements and alignments");
    gallery.cell("right of icon", "BevelButton", kIconWidth + 16, kIconHeight, withIcon(2, 2, 3, "Right"));
    gallery.cell("left of icon", "BevelButton", kIconWidth + 16, kIconHeight, withIcon(3, 3, 3, "Left"));
    gallery.cell("below icon", "BevelButton", kIconWidth, kIconHeight + 16, withIcon(4, 4, 3, "Below"));
    gallery.cell("above icon", "BevelButton", kIconWidth, kIconHeight + 16, withIcon(5, 5, 3, "Above"));
    gallery.cell("CaptionAlign 0 left", "BevelButton", kWidth + 20, kHeight, [](Host& host, Instance* b) {
        withCaption("Left")(host, b);
        host.setInteger(b, "CaptionAlign", 0);
        host.setInteger(b, "CaptionDelta", 4);
    });
    gallery.cell("CaptionAlign 1 right", "BevelButton", kWidth + 20, kHeight, [](Host& host, Instance* b) {
        withCaption("Right")(host, b);
        host.setInteger(b, "CaptionAlign", 1);
        host.setInteger(b, "CaptionDelta", 4);
    });
    gallery.cell("CaptionAlign 3 centre", "BevelButton", kWidth + 20, kHeight, withCaption("Centre"));

    gallery.section("BevelButton: menu arrows");
    for (int32_t hasMenu = 1; hasMenu <= 2; ++hasMenu) {
        gallery.cell("HasMenu " + std::to_string(hasMenu), "BevelButton", kWidth, kHeight,
                     [hasMenu](Host& host, Instance* b) {
                         withCaption("Menu")(host, b);
                         host.setInteger(b, "HasMenu", hasMenu);
                     });
    }

    addThemedCells(gallery);

    gallery.section("BevelButton: fonts");
    struct Face {
        const char* name;
        int32_t size;
    };
    const Face kFaces[] = {{"System", 12}, {"Geneva", 12},    {"Courier", 12},
                           {"Times", 14},  {"Helvetica", 12}, {"SmallSystem", 12}};
    for (const Face& face : kFaces) {
        gallery.cell(face.name, "BevelButton", kWidth + 30, kHeight,
                     withFont(face.name, face.size, false, false, false));
    }
    gallery.cell("bold", "BevelButton", kWidth + 30, kHeight, withFont("Helvetica", 12, true, false, false));
    gallery.cell("italic", "BevelButton", kWidth + 30, kHeight, withFont("Times", 14, false, true, false));
    gallery.cell("underline", "BevelButton", kWidth + 30, kHeight, withFont("Geneva", 12, false, false, true));
}
