// The bevel button's mouse as the soak expects it: the press (disabled, by
// its accelerator, taken by the MouseDown handler, or its own), the popup menu
// it opens, the drag, the release with its toggle and Action, the hot look.
#include <algorithm>
#include <cstdio>
#include <utility>

#include "expectations.h"

namespace soak {
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

constexpr uint32_t kUtf16 = 0x00000100;
constexpr uint32_t kUtf8 = 0x08000100;
constexpr uint32_t kAscii = 0x00000600;
constexpr uint32_t kSystem = 0x0000FFFF;

// The narrow encoding of a user language: Chinese, Japanese, else Western.
uint32_t userEncoding(uint16_t language) {
    if (language == 1028 || language == 2052 || language == 3076 || language == 4100) return 0x0423;
    if (language == 1041) return 0x0A01;
    return 0x0500;
}

// Code pages whose conversions every system here has; 0 for the others.
UINT codePageOf(uint32_t encoding, uint16_t language) {
    if ((encoding >> 16) == 0xFFFF && encoding != 0xFFFFFFFF) {
        const UINT page = encoding & 0xFFFF;
        for (UINT known : {1252u, 932u, 936u, 949u, 950u, 1250u, 1251u, 437u, 850u, 65001u})
            if (page == known) return page;
        return 0;
    }
    if ((encoding & 0xFFFF) == 0xFFFF) return codePageOf(userEncoding(language), language);
    constexpr std::pair<uint32_t, UINT> kPages[] = {{0x0500, 1252}, {kAscii, 1252}, {0x0501, 1250},
                                                    {0x0502, 1251}, {0x0A01, 932},  {0x0420, 932},
                                                    {0x0421, 936},  {0x0422, 949},  {0x0423, 950}};
    for (const auto& known : kPages)
        if (encoding == known.first) return known.second;
    return 0;
}

std::wstring widened(UINT page, const std::string& bytes) {
    const int n = MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    return text;
}

// What a menu item should read for a row's bytes and the encoding the host
// gives them: false when the text cannot be told without the plug-in's own
// conversion tables; else text is what the item shows on a system of the
// given kind (NT: wide functions) and user language.
bool expectedMenuText(const std::string& bytes, uint32_t encoding, bool isNT, uint16_t language, std::wstring& text) {
    text.clear();
    if (bytes.empty()) return true;
    if (!isNT) {
        // Seven-bit text bound for the user's narrow encoding is copied as it
        // is; anything else depends on the system's narrow code page.
        for (unsigned char c : bytes)
            if (c >= 0x80) return false;
        if (encoding >= 0x0100 && encoding <= 0x01FF) return false;
        text.assign(bytes.begin(), bytes.end());
        return true;
    }
    if (encoding == kUtf16) {
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8));
        return true;
    }
    if (encoding == kUtf8) {
        text = widened(CP_UTF8, bytes);
        return true;
    }
    const UINT page = codePageOf(encoding == kSystem ? kSystem : encoding, language);
    if (page == 0) return false;
    text = widened(page, bytes);
    return true;
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

// --- drag, release, hover ----------------------------------------------------------------------

void drag(World& w, const Step& s, Model& m, const HostRect& b) {
    if (m.hasMenu == 0 && w.seenEnabled(m) && !m.mouseDownHandled) {
        const bool in = inside(b, s.n[0], s.n[1]);
        if (in != m.pressed) {
            m.pressed = in;
            World::painted(m);
        }
    }
}

void release(World& w, const Step& s, Model& m, const HostRect& b) {
    if (!w.seenEnabled(m)) return;
    const int64_t x = s.n[0], y = s.n[1];
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
void hover(World& w, const Step& s, Model& m) {
    if (s.op != Op::Move && m.themed && m.bevel == 4) {
        m.hot = s.op == Op::Enter;
        w.invalidated(m);
    }
}

}  // namespace

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

const Mouse kBevelButtonMouse = {press, drag, release, hover};

}  // namespace soak
