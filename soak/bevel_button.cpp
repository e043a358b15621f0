// The bevel button's mouse as the soak expects it: a press (disabled, by
// its accelerator, taken by the application's MouseDown handler, or the
// button's own), the popup menu it opens (planned from the rows, compared
// when TrackPopupMenu is called, its choice applied once mouseDown returns),
// the drag, the release with its toggle and Action, and the themed hot look
// on enter and exit.
#include <algorithm>
#include <cstdio>

#include "departures.h"
#include "expectations.h"
#include "expected_text.h"

namespace soak {
namespace bevel_button {

namespace {

constexpr UINT kFirstMenuItemId = 1000;
constexpr UINT kPopupFlags = TPM_NONOTIFY | TPM_RETURNCMD;

// The virtual key that GetKeyState is asked about for the accelerator.
int acceleratorKey(char character) {
    if (departs(Departure::AcceleratorKeyAsByte)) return static_cast<unsigned char>(character);
    return static_cast<signed char>(character);
}

// The text as the plug-in reads it: up to the first NUL.
std::string cText(const World& w, HostString s) {
    const std::string t = w.textOf(s);
    return t.substr(0, std::min(t.find('\0'), t.size()));
}

uint32_t stringEncoding(const World& w, HostString s) {
    for (const auto& def : w.bench.script.strings) {
        auto made = w.bench.handles.find(def.first);
        if (made != w.bench.handles.end() && made->second == s) return def.second.encoding;
    }
    return pluginhost::kHostDefaultEncoding;  // the host's own strings
}

void planMenu(World& w, const Step& s, Model& m, const HostRect& b) {
    MenuPlan& menu = w.menu;
    menu = MenuPlan{};
    menu.model = &m;
    menu.step = &s;
    UINT id = kFirstMenuItemId;
    std::vector<UINT> selectable;
    for (const Row& row : m.rows) {
        pluginhost::MenuItemSnapshot item;
        item.id = id;
        item.separator = row.separator;
        item.checked = !row.separator && static_cast<int32_t>(id - kFirstMenuItemId) == m.menuValue;
        bool known = true;
        if (!row.separator) {
            std::string bytes;
            uint32_t encoding = 0;
            if (row.text && w.supplied("StringGetCString")) {
                bytes = cText(w, row.text);
                encoding = w.supplied("ZOKAGetStringEncoding") ? stringEncoding(w, row.text) : 0;
            }
            known = expectedMenuText(bytes, encoding, w.isNT, w.bench.script.config.language, item.text);
            selectable.push_back(id);
        }
        menu.items.push_back(item);
        menu.textKnown.push_back(known);
        ++id;
    }
    if (s.pick != kNoChoice && !selectable.empty())
        menu.choice = selectable[static_cast<size_t>(s.pick) % selectable.size()];
    menu.x = m.hasMenu == 1 ? b.left : b.right;
    menu.y = m.hasMenu == 1 ? b.bottom : b.top;
    if (w.supplied("getControlWindow") && w.supplied("ZOKAGetWindowHandle")) menu.owner = w.host.topWindow();
}

std::string narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        char unit[8];
        if (c >= 0x20 && c < 0x7F && c != '\\')
            out += static_cast<char>(c);
        else
            std::snprintf(unit, sizeof unit, "\\u%04X", static_cast<unsigned>(c)), out += unit;
    }
    return out;
}

// Menus give control characters meanings of their own (a backspace
// aligns right): the text is compared without them.
std::wstring printable(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text)
        if (c >= 0x20) out += c;
    return out;
}

}  // namespace

// --- the press -----------------------------------------------------------------------------

bool press(World& w, const Step& s, Model& m, const HostRect& b) {
    if (!w.seenEnabled(m)) return true;
    bool expected = false;
    const char key = pluginhost::acceleratorChar(w.textOf(m.caption));
    const bool accelerated = key != 0 && w.spy.keysDown.count(VK_MENU) && w.spy.keysDown.count(acceleratorKey(key));
    bool pressed = true;
    if (accelerated) {
        m.mouseDownHandled = false;
        if (m.hasMenu == 0) {
            w.fireAction(m);
            pressed = false;
            expected = !World::stopped(m);
            if (!World::stopped(m)) {
                m.pressed = false;
                w.invalidated(m);
            }
        }
    } else {
        const bool taken = w.mouseEvent(m, "MouseDown", s.n[0], s.n[1]);
        if (World::stopped(m)) {
            pressed = false;
        } else {
            m.mouseDownHandled = taken;
            if (taken) {
                m.pressed = false;
                expected = true;
                pressed = false;
            }
        }
    }
    if (pressed) {
        m.pressed = true;
        World::painted(m);
        if (m.hasMenu == 0)
            expected = true;
        else
            planMenu(w, s, m, b);
    }
    return expected;
}

// --- the popup menu --------------------------------------------------------------------------

UINT menuShown(World& w, const pluginhost::PopupMenuCall& popup) {
    MenuPlan& menu = w.menu;
    ++menu.calls;
    if (!menu.model) return 0;
    if (popup.flags != kPopupFlags) w.differ("TrackPopupMenu flags " + std::to_string(popup.flags));
    if (popup.x != menu.x || popup.y != menu.y)
        w.differ("the menu opened at (" + std::to_string(popup.x) + "," + std::to_string(popup.y) + "), expected (" +
                 std::to_string(menu.x) + "," + std::to_string(menu.y) + ")");
    if (popup.owner != menu.owner) w.differ("the menu's owner window is not the host window's");
    if (popup.hasRect) w.differ("TrackPopupMenu was given a rectangle");
    if (!menu.model->pressed) w.differ("the button is not pressed while its menu is open");
    const auto& actual = popup.items;
    const auto& expected = menu.items;
    ++w.bench.result.coverage.menus;
    w.bench.result.coverage.menuItems += static_cast<int64_t>(expected.size());
    if (actual.size() != expected.size())
        w.differ("the menu has " + std::to_string(actual.size()) + " item(s), expected " +
                 std::to_string(expected.size()));
    for (size_t k = 0; k < std::min(actual.size(), expected.size()); ++k) {
        const auto& a = actual[k];
        const auto& e = expected[k];
        const std::string where = "menu item " + std::to_string(k);
        if (a.id != e.id) w.differ(where + " has id " + std::to_string(a.id) + ", expected " + std::to_string(e.id));
        if (a.separator != e.separator) w.differ(where + (e.separator ? " is not a separator" : " is a separator"));
        if (a.checked != e.checked) w.differ(where + (e.checked ? " is not checked" : " is checked"));
        const std::wstring shown = printable(a.text), meant = printable(e.text);
        if (!e.separator && menu.textKnown[k] && shown != meant)
            w.differ(where + " reads \"" + narrow(a.text) + "\", expected \"" + narrow(e.text) + "\"");
    }
    if (menu.step->redraw == 1 || menu.step->redraw == 2) {
        Model& m = *menu.model;
        const ControlCallbacks& c = *m.instance->definition->callbacks;
        if (menu.step->redraw == 1 ? c.draw != nullptr : c.drawOffscreen != nullptr) w.call();
        World::painted(m);
        if (menu.step->redraw == 1)
            w.host.draw(m.instance);
        else
            w.host.drawOffscreen(m.instance);
    }
    // The application's code while the menu's loop runs (the run loop then
    // plays it): the host may dispatch a message that destroys the button,
    // or any control.
    w.expectReaction(*menu.model, kMenuLoop);
    // The script picks among what the menu shows; the model did the same.
    std::vector<UINT> selectable;
    for (const auto& item : actual)
        if (!item.separator) selectable.push_back(item.id);
    if (menu.step->pick == kNoChoice || selectable.empty()) return 0;
    return selectable[static_cast<size_t>(menu.step->pick) % selectable.size()];
}

void menuClosed(World& w, Model& m) {
    MenuPlan& menu = w.menu;
    if (menu.calls != 1) w.differ("the popup menu opened " + std::to_string(menu.calls) + " time(s), not once");
    if (!World::stopped(m)) {
        m.pressed = false;
        World::painted(m);
        if (menu.choice >= kFirstMenuItemId) {
            m.menuValue = static_cast<int16_t>(static_cast<uint16_t>(menu.choice - kFirstMenuItemId));
            w.fireAction(m);
        }
    }
    menu = MenuPlan{};
}

// --- drag, release, hover ----------------------------------------------------------------------

void drag(World& w, Model& m, const HostRect& b, int64_t x, int64_t y) {
    if (m.hasMenu == 0 && w.seenEnabled(m) && !m.mouseDownHandled) {
        const bool in = inside(b, x, y);
        if (in != m.pressed) {
            m.pressed = in;
            World::painted(m);
        }
    }
}

void release(World& w, Model& m, const HostRect& b, int64_t x, int64_t y) {
    if (!w.seenEnabled(m)) return;
    if (m.hasMenu != 0) {
        m.pressed = false;
        World::painted(m);
        return;
    }
    if (m.pressed) {
        m.pressed = false;
        if (m.buttonType == 1) m.value = m.value != 0 ? 0 : 1;
        if (m.buttonType == 2) m.value = 1;
        World::painted(m);
    }
    if (m.mouseDownHandled) {
        w.mouseEvent(m, "MouseUp", x, y);
    } else if (b.left <= x && x <= b.right && b.top <= y && y <= b.bottom) {
        w.fireAction(m);
    }
    m.mouseDownHandled = false;
}

// The themed look (Bevel 4) shows the pointer over the button.
void hover(World& w, Model& m, bool enter) {
    if (m.themed && m.bevel == 4) {
        m.hot = enter;
        w.invalidated(m);
    }
}

}  // namespace bevel_button
}  // namespace soak
