#include "generator.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "plugin_host.h"

namespace soak {

uint64_t Random::next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint32_t Random::below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(next() % n); }

int64_t Random::between(int64_t low, int64_t high) {
    if (high <= low) return low;
    return low + static_cast<int64_t>(next() % static_cast<uint64_t>(high - low + 1));
}

bool Random::percent(uint32_t p) { return below(100) < p; }

namespace {

template <typename T, size_t N>
const T& pickFrom(Random& r, const T (&items)[N]) {
    return items[r.below(N)];
}

constexpr int32_t kInt32Min = INT32_MIN;
constexpr int32_t kInt32Max = INT32_MAX;
constexpr int kMaxLiveInstances = 10;
constexpr int kMaxHeldHandles = 24;
constexpr int kMaxRows = 24;
constexpr int kVkMenu = 0x12;  // VK_MENU, Alt

const char* const kClasses[] = {"BevelButton",  "BevelButton",   "BevelButton", "DisclosureTriangle",
                                "LittleArrows", "ChasingArrows", "ImageWell",   "PopupArrow",
                                "Placard",      "Separator"};

// Entry points a host may lack for a while; the rest come in pairs that a
// host supplies together for the whole run or not at all.
const char* const kOptionalEntryPoints[] = {
    "StringGetCString",
    "PluginInterpretConstantValue",
    "PluginDefaultControlFont",
    "PluginDefaultControlCaption",
    "PluginDefaultControlFontSize",
    "GetInterfaceRoutine",
    "drawPicturePrimitive",
    "GetEventInstance",
    "GetControlBounds",
    "GetControlVisible",
    "ZOKAGetControlEnabled",
    "ZOKAGetControlGraphics",
    "ZOKAGetWin32Charset",
    "ZOKAGraphicsDC",
    "ZOKAInvalidateControl",
    "ZOKASetSpecialBackground",
    "getControlWindow",
    "ZOKASetAccelerator",
    "GetTabPanelVisible",
    "ZOKAGetControlHandle",
    "ZOKAGetWindowHandle",
    "ZOKAGetStringEncoding",
};

// Hostile values for any 32-bit field.
const int64_t kHostileIntegers[] = {kInt32Min, kInt32Max, -1, 256, 65536 + 5, 32768, -32769, 0x7FFF, 0x10000};

struct Slot {
    std::string className;
    bool alive = false;
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    int rows = 0;
    std::string caption;  // bytes of the caption last set, for accelerators
};

class Builder {
public:
    Builder(uint64_t seed, int64_t run) : r_(seed ^ (0xD1B54A32D192ED03ull * static_cast<uint64_t>(run + 1))) {
        script_.config.seed = seed;
        script_.config.run = run;
    }

    Script build(int steps) {
        makeConfig(steps);
        while (static_cast<int>(script_.steps.size()) < steps) {
            const int index = static_cast<int>(script_.steps.size());
            auto late = lateSupplies_.find(index);
            if (late != lateSupplies_.end()) {
                Step s;
                s.op = Op::Supply;
                s.word = late->second;
                push(s);
                continue;
            }
            if (!pending_.empty()) {
                // Now and then the host does something else in the middle of a gesture.
                if (r_.percent(8)) {
                    randomStep(true);
                } else {
                    push(pending_.front());
                    pending_.pop_front();
                }
                continue;
            }
            randomStep(false);
        }
        script_.steps.resize(static_cast<size_t>(steps));
        return script_;
    }

private:
    Random r_;
    Script script_;
    std::vector<Slot> slots_;
    std::vector<std::string> strings_;  // held by the host, still usable
    std::vector<std::string> pictures_;
    std::vector<std::string> receivers_;
    std::deque<Step> pending_;  // the rest of a gesture
    std::map<int, std::string> lateSupplies_;

    void push(const Step& step) { script_.steps.push_back(step); }

    // --- the system and the host --------------------------------------------------

    void makeConfig(int steps) {
        Config& c = script_.config;
        const char* const systems[] = {"98", "xp", "xp", "7"};
        c.system = pickFrom(r_, systems);
        const uint16_t languages[] = {1033, 1041, 2052, 1028, 3076, 4100, 1031, 1049, 1036};
        c.language = pickFrom(r_, languages);
        const uint32_t theme = r_.below(10);
        c.uxtheme = theme == 0 ? "missing" : theme == 1 ? "nothemes" : "present";
        if (r_.percent(40)) {
            const uint32_t count = 1 + r_.below(4);
            for (uint32_t i = 0; i < count; ++i) {
                const std::string name = pickFrom(r_, kOptionalEntryPoints);
                bool known = false;
                for (const std::string& w : c.withheld) known |= w == name;
                if (known) continue;
                c.withheld.push_back(name);
                if (r_.percent(50)) lateSupplies_[static_cast<int>(r_.below(static_cast<uint32_t>(steps)))] = name;
            }
        }
        // Pairs a host lacks for the whole run: the plug-in then takes no
        // lock and must still not fail. Without ZOKAUnlockObject the host's
        // own graphics could never come back, so it lends none.
        if (r_.percent(4)) {
            c.withheld.push_back("ZOKALockString");
            c.withheld.push_back("ZOKAUnlockString");
        }
        if (r_.percent(4)) {
            c.withheld.push_back("ZOKALockObject");
            c.withheld.push_back("ZOKAUnlockObject");
            c.withheld.push_back("ZOKAGetControlGraphics");
        }
        if (r_.percent(3)) {
            c.withheld.push_back("lockPictureDescription");
            c.withheld.push_back("unlockPictureDescription");
        }
        for (auto it = lateSupplies_.begin(); it != lateSupplies_.end();) {
            // A late supply of a name that a pair withholds would unbalance the pair.
            bool paired = it->second == "ZOKAGetControlGraphics" &&
                          std::count(c.withheld.begin(), c.withheld.end(), "ZOKAUnlockObject") > 0;
            it = paired ? lateSupplies_.erase(it) : std::next(it);
        }
        const uint32_t clock = r_.below(10);
        c.clock = clock < 5   ? static_cast<uint32_t>(r_.between(1000, 100000))
                  : clock < 8 ? static_cast<uint32_t>(r_.next())
                              : 0xFFFFFFFFu - static_cast<uint32_t>(r_.below(5000));
        const char* const captions[] = {"Untitled", "&OK", "", "Caption&&", "\xC3\x84&b", "&", "Save & Close"};
        c.defaultCaption = pickFrom(r_, captions);
        const char* const fonts[] = {"System", "Geneva", "SmallSystem", "", "Arial", "NoSuchFont", "osaka"};
        c.defaultFont = pickFrom(r_, fonts);
        const int32_t sizes[] = {12, 12, 0, 9, -5, kInt32Min, kInt32Max, 100};
        c.defaultFontSize = pickFrom(r_, sizes);
        const int32_t charsets[] = {1, 1, 0, 128, 255};
        c.charset = pickFrom(r_, charsets);
    }

    // --- handles ---------------------------------------------------------------

    std::string text(int length) {
        static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 &.";
        std::string bytes;
        for (int i = 0; i < length; ++i) {
            const uint32_t kind = r_.below(20);
            if (kind < 15)
                bytes += kLetters[r_.below(sizeof kLetters - 1)];
            else if (kind < 19)
                bytes += static_cast<char>(0x80 + r_.below(0x80));
            else
                bytes += static_cast<char>(r_.below(0x20));
        }
        return bytes;
    }

    int length() {
        const uint32_t kind = r_.below(20);
        if (kind < 2) return 0;
        if (kind < 16) return static_cast<int>(1 + r_.below(16));
        const int longOnes[] = {254, 255, 256, 300, 1000, 5000};
        return pickFrom(r_, longOnes);
    }

    static std::string utf8(uint32_t c) {
        std::string s;
        if (c < 0x80) {
            s += static_cast<char>(c);
        } else if (c < 0x800) {
            s += static_cast<char>(0xC0 | (c >> 6));
            s += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            s += static_cast<char>(0xE0 | (c >> 12));
            s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            s += static_cast<char>(0xF0 | (c >> 18));
            s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (c & 0x3F));
        }
        return s;
    }

    std::string unicodeText(int length) {
        const uint32_t kRanges[][2] = {{0x20, 0x7E},     {0xA0, 0x17F},    {0x391, 0x3C9},    {0x410, 0x44F},
                                       {0x3041, 0x3096}, {0x4E00, 0x4FFF}, {0x1F600, 0x1F64F}};
        std::string bytes;
        for (int i = 0; i < length; ++i) {
            const auto& range = kRanges[r_.below(7)];
            bytes += r_.percent(10) ? std::string("&") : utf8(static_cast<uint32_t>(r_.between(range[0], range[1])));
        }
        return bytes;
    }

    std::string newString() {
        StringDef def;
        const uint32_t kind = r_.below(100);
        const int n = length();
        if (kind < 30) {
            def.encoding = 0x08000100;  // UTF-8
            def.bytes = unicodeText(n);
        } else if (kind < 42) {
            def.encoding = 0x00000600;  // ASCII
            for (char c : text(n)) def.bytes += static_cast<char>(c & 0x7F ? c & 0x7F : 'x');
        } else if (kind < 50) {
            def.encoding = 0x00000100;  // UTF-16, as many bytes as it takes
            const std::string ascii = text(n);
            for (char c : ascii) {
                def.bytes += c;
                def.bytes += r_.percent(70) ? '\0' : static_cast<char>(r_.below(256));
            }
            if (r_.percent(20)) def.bytes += 'x';  // an odd length
        } else if (kind < 62) {
            const uint32_t pages[] = {1252, 932, 936, 949, 950, 1250, 1251, 437, 850, 65001, 1200, 12345, 0};
            def.encoding = 0xFFFF0000u | pickFrom(r_, pages);
            def.bytes = text(n);
        } else if (kind < 80) {
            const uint32_t table[] = {0x0000, 0x0001, 0x0007, 0x0015, 0x0101, 0x0103, 0x0201,    0x0206,
                                      0x0400, 0x0420, 0x0421, 0x0423, 0x0500, 0x0501, 0x0508,    0x0510,
                                      0x0631, 0x0820, 0x0920, 0x0A01, 0x0C01, 0x0C02, 0x04000100};
            def.encoding = pickFrom(r_, table);
            def.bytes = text(n);
        } else if (kind < 86) {
            const uint32_t system[] = {0x0000FFFF, 0xFFFFFFFF};
            def.encoding = pickFrom(r_, system);
            def.bytes = text(n);
        } else if (kind < 94) {
            const uint32_t bogus[] = {0x00000300, 0x00007777, 0x0000FFFE, 0x12345678, 0xFFFF1234};
            def.encoding = r_.percent(30) ? static_cast<uint32_t>(r_.next()) : pickFrom(r_, bogus);
            def.bytes = text(n);
        } else {
            def.encoding = 0x08000100;  // UTF-8 that is not
            const char* const broken[] = {
                "\xC0\xAF", "\xFF", "\x80", "a\xE2\x82", "\xED\xA0\x80", "\xF8\x88\x80\x80\x80", "&\xC3"};
            for (int i = 0; i < 1 + n / 4; ++i) def.bytes += r_.percent(50) ? pickFrom(r_, broken) : text(2);
        }
        if (r_.percent(15)) {
            const char* const accelerators[] = {"&Save", "Sa&ve", "&&", "x&", "&1", "&\xE4", "&a&b"};
            def.bytes = pickFrom(r_, accelerators) + def.bytes;
        }
        const std::string ref = "s" + std::to_string(script_.strings.size() + 1);
        script_.strings[ref] = def;
        strings_.push_back(ref);
        return ref;
    }

    // An ASCII caption whose accelerator is a letter.
    std::string acceleratedCaption() {
        StringDef def;
        def.encoding = 0x00000600;  // ASCII
        def.bytes = "&" + std::string(1, static_cast<char>('a' + r_.below(26))) + "ction";
        const std::string ref = "s" + std::to_string(script_.strings.size() + 1);
        script_.strings[ref] = def;
        strings_.push_back(ref);
        return ref;
    }

    std::string fontName() {
        const char* const names[] = {"System", "application", "GENEVA", "SmallSystem", "Courier", "Times", "Helvetica",
                                     "Osaka",  "Arial",       "",       "Wingdings"};
        StringDef def;
        def.encoding = r_.percent(70) ? 0x00000600 : 0x08000100;
        def.bytes = pickFrom(r_, names);
        const std::string ref = "s" + std::to_string(script_.strings.size() + 1);
        script_.strings[ref] = def;
        strings_.push_back(ref);
        return ref;
    }

    std::string newPicture() {
        PictureDef def;
        if (r_.percent(75)) {
            def.width = static_cast<int32_t>(r_.between(1, 40));
            def.height = static_cast<int32_t>(r_.between(1, 40));
        } else {
            const int32_t sizes[][2] = {{0, 0},     {-5, 10},   {100000, 3}, {kInt32Max, kInt32Max}, {kInt32Min, 1},
                                        {1, 40000}, {32767, 1}, {0, 16},     {65535, 65535}};
            const auto& size = pickFrom(r_, sizes);
            def.width = size[0];
            def.height = size[1];
            def.odd = true;
        }
        def.flag = static_cast<uint8_t>(r_.below(256));
        const std::string ref = "p" + std::to_string(script_.pictures.size() + 1);
        script_.pictures[ref] = def;
        pictures_.push_back(ref);
        return ref;
    }

    std::string newReceiver() {
        const std::string ref = "r" + std::to_string(script_.receivers.size() + 1);
        script_.receivers.push_back(ref);
        receivers_.push_back(ref);
        return ref;
    }

    // A held handle, a new one or (sometimes) nil.
    std::string anyString() {
        if (r_.percent(8)) return "nil";
        if (strings_.empty() || r_.percent(40)) return newString();
        return strings_[r_.below(static_cast<uint32_t>(strings_.size()))];
    }

    std::string anyPicture() {
        if (r_.percent(15)) return "nil";
        if (pictures_.empty() || r_.percent(40)) return newPicture();
        return pictures_[r_.below(static_cast<uint32_t>(pictures_.size()))];
    }

    std::string anyReceiver() {
        if (r_.percent(5)) return "nil";
        if (receivers_.empty() || r_.percent(40)) return newReceiver();
        return receivers_[r_.below(static_cast<uint32_t>(receivers_.size()))];
    }

    // The host drops its own reference: the plug-in's lock, if any, is then the last.
    void release(std::vector<std::string>& held, size_t index) {
        Step s;
        s.op = Op::Release;
        s.ref = held[index];
        held.erase(held.begin() + static_cast<std::ptrdiff_t>(index));
        push(s);
    }

    void maybeReleaseAfterUse(const std::string& ref) {
        if (ref == "nil" || !r_.percent(40)) return;
        for (auto* held : {&strings_, &pictures_, &receivers_})
            for (size_t i = 0; i < held->size(); ++i)
                if ((*held)[i] == ref) return release(*held, i);
    }

    // --- instances --------------------------------------------------------------

    std::vector<int> live(const char* className = nullptr) const {
        std::vector<int> found;
        for (size_t i = 0; i < slots_.size(); ++i)
            if (slots_[i].alive && (!className || slots_[i].className == className)) found.push_back(int(i));
        return found;
    }

    void bounds(const std::string& className, int64_t b[4]) {
        const uint32_t kind = r_.below(100);
        if (kind < 72) {
            const int64_t left = r_.between(0, 560), top = r_.between(0, 420);
            int64_t width = r_.between(1, 120), height = r_.between(1, 80);
            if (r_.percent(50)) {
                const int64_t defaults[][2] = {{60, 22}, {12, 12}, {13, 23}, {16, 16},
                                               {32, 32}, {10, 10}, {64, 64}, {64, 4}};
                const auto& d = defaults[r_.below(8)];
                width = d[0];
                height = d[1];
            }
            if (className == "Separator" && r_.percent(50)) std::swap(width, height);
            b[0] = left, b[1] = top, b[2] = left + width, b[3] = top + height;
        } else if (kind < 80) {
            const int64_t left = r_.between(0, 600), top = r_.between(0, 440);
            b[0] = left, b[1] = top, b[2] = left + (r_.percent(50) ? 0 : r_.between(0, 30)), b[3] = top;
            if (r_.percent(50)) std::swap(b[2], b[3]);
        } else if (kind < 87) {
            const int64_t left = r_.between(0, 600), top = r_.between(0, 440);
            b[0] = left, b[1] = top, b[2] = left - r_.between(1, 50), b[3] = top - r_.between(0, 50);
        } else if (kind < 93) {
            const int64_t left = r_.between(-200, -1), top = r_.between(-200, 20);
            b[0] = left, b[1] = top, b[2] = left + r_.between(1, 300), b[3] = top + r_.between(1, 300);
        } else if (kind < 97) {
            b[0] = -32768, b[1] = -32768, b[2] = 32767, b[3] = 32767;
        } else {
            for (int i = 0; i < 4; ++i) b[i] = r_.between(-32768, 32767);
        }
    }

    void create() {
        const std::string className = pickFrom(r_, kClasses);
        Step s;
        s.op = Op::Create;
        s.slot = static_cast<int32_t>(slots_.size());
        s.word = className;
        bounds(className, s.n);
        s.n[4] = r_.percent(15) ? 1 : 0;
        Slot slot;
        slot.className = className;
        slot.alive = true;
        slot.left = s.n[0], slot.top = s.n[1], slot.right = s.n[2], slot.bottom = s.n[3];
        slot.caption = script_.config.defaultCaption;
        slots_.push_back(slot);
        push(s);
        // Most applications handle some of the events.
        const char* const* events = eventsOf(className);
        for (int i = 0; events && events[i]; ++i) {
            if (!r_.percent(60)) continue;
            Step h;
            h.op = Op::Handler;
            h.slot = s.slot;
            h.word = events[i];
            h.n[0] = r_.percent(25) ? 1 : 0;
            push(h);
        }
    }

    static const char* const* eventsOf(const std::string& className) {
        static const char* const bevel[] = {"MouseUp", "MouseDown", "Action", nullptr};
        static const char* const triangle[] = {"Action", nullptr};
        static const char* const arrows[] = {"Up", "Down", nullptr};
        static const char* const mouse[] = {"MouseDown", "MouseDrag", "MouseUp", nullptr};
        if (className == "BevelButton") return bevel;
        if (className == "DisclosureTriangle") return triangle;
        if (className == "LittleArrows") return arrows;
        if (className == "ImageWell" || className == "PopupArrow" || className == "Placard") return mouse;
        return nullptr;
    }

    // A point for a mouse call: mostly inside, often on or just past an edge.
    void point(const Slot& slot, int64_t& x, int64_t& y) {
        int64_t left = slot.left, top = slot.top, right = slot.right, bottom = slot.bottom;
        if (slot.className == "LittleArrows") right = left + 13, bottom = top + 23;
        if (slot.className == "DisclosureTriangle" && r_.percent(50)) right = left + 11, bottom = top + 11;
        const uint32_t kind = r_.below(100);
        auto clampToInt16 = [](int64_t v) { return v < -32768 ? -32768 : v > 32767 ? 32767 : v; };
        if (kind < 60) {
            x = r_.between(std::min(left, right), std::max(left, right));
            y = r_.between(std::min(top, bottom), std::max(top, bottom));
        } else if (kind < 80) {
            const int64_t xs[] = {left - 1, left, right - 1, right, right + 1};
            const int64_t ys[] = {top - 1, top, bottom - 1, bottom, bottom + 1};
            x = pickFrom(r_, xs);
            y = pickFrom(r_, ys);
            if (slot.className == "LittleArrows" && r_.percent(50)) y = top + (r_.percent(50) ? 11 : 12);
        } else if (kind < 92) {
            x = r_.between(left - 20, right + 20);
            y = r_.between(top - 20, bottom + 20);
        } else {
            x = r_.between(-32768, 32767);
            y = r_.between(-32768, 32767);
        }
        x = clampToInt16(x);
        y = clampToInt16(y);
    }

    // A press, drags and a release; Alt and a key held at the press in
    // altPercent of them, mostly the caption's accelerator.
    void gesture(int slotIndex, uint32_t altPercent = 25) {
        Slot& slot = slots_[static_cast<size_t>(slotIndex)];
        Step down;
        down.op = Op::Down;
        down.slot = slotIndex;
        point(slot, down.n[0], down.n[1]);
        if (r_.percent(altPercent)) {
            const char key = pluginhost::acceleratorChar(slot.caption);
            down.keys.push_back(kVkMenu);
            down.keys.push_back(key != 0 && r_.percent(70) ? static_cast<unsigned char>(key)
                                                           : static_cast<int>('A' + r_.below(26)));
        }
        down.pick = r_.percent(30) ? kNoChoice : static_cast<int32_t>(r_.below(1000));
        down.redraw = r_.percent(25) ? static_cast<int32_t>(1 + r_.below(2)) : 0;
        pending_.push_back(down);
        const bool holds = slot.className == "LittleArrows";
        const uint32_t drags = r_.below(holds ? 12 : 6);
        for (uint32_t i = 0; i < drags; ++i) {
            Step tick;
            tick.op = Op::Tick;
            tick.n[0] = holds ? r_.between(0, 250) : r_.between(0, 60);
            pending_.push_back(tick);
            Step drag;
            drag.op = Op::Drag;
            drag.slot = slotIndex;
            if (r_.percent(60)) {
                drag.n[0] = down.n[0];
                drag.n[1] = down.n[1];
            } else {
                point(slot, drag.n[0], drag.n[1]);
            }
            pending_.push_back(drag);
            if (r_.percent(10)) {
                Step draw;
                draw.op = Op::Draw;
                draw.slot = slotIndex;
                pending_.push_back(draw);
            }
        }
        Step up;
        up.op = Op::Up;
        up.slot = slotIndex;
        if (r_.percent(60) && drags > 0) {
            up.n[0] = pending_.back().op == Op::Drag ? pending_.back().n[0] : down.n[0];
            up.n[1] = pending_.back().op == Op::Drag ? pending_.back().n[1] : down.n[1];
        } else {
            point(slot, up.n[0], up.n[1]);
        }
        if (!r_.percent(3)) pending_.push_back(up);  // now and then the release never comes
    }

    int64_t integerFor(const std::string& property, int rows) {
        if (r_.percent(10)) return pickFrom(r_, kHostileIntegers);
        if (r_.percent(3)) return static_cast<int32_t>(r_.next());
        if (property == "CaptionAlign") return r_.between(-1, 4);
        if (property == "CaptionPlacement") return r_.between(-1, 6);
        if (property == "IconAlign") return r_.between(-1, 10);
        if (property == "Bevel") return r_.between(-1, 8);
        if (property == "HasMenu") return r_.percent(40) ? 0 : r_.between(1, 3);
        if (property == "ButtonType") return r_.between(0, 3);
        if (property == "MenuValue") return r_.between(-2, rows + 2);
        if (property == "TextSize") return r_.percent(30) ? 0 : r_.between(-20, 40);
        if (property == "Value" || property == "Bold" || property == "Italic" || property == "Underline")
            return r_.percent(70) ? r_.between(0, 1)
                                  : static_cast<int64_t>(r_.below(256)) | (r_.percent(50) ? 0x5A00 : 0);
        if (property == "Facing") return r_.percent(80) ? r_.between(0, 7) : r_.between(-3, 12);
        return r_.between(-10, 30);  // distances
    }

    void bevelButtonStep(int slotIndex) {
        Slot& slot = slots_[static_cast<size_t>(slotIndex)];
        static const char* const integers[] = {
            "CaptionAlign", "CaptionPlacement", "CaptionDelta", "IconAlign", "IconDX", "IconDY", "Bevel",    "HasMenu",
            "Value",        "MenuValue",        "ButtonType",   "TextSize",  "Bold",   "Italic", "Underline"};
        Step s;
        s.slot = slotIndex;
        const uint32_t kind = r_.below(100);
        if (kind < 18) {
            s.op = Op::SetInteger;
            s.word = pickFrom(r_, integers);
            s.n[0] = integerFor(s.word, slot.rows);
            push(s);
        } else if (kind < 22) {
            s.op = Op::GetInteger;
            s.word = pickFrom(r_, integers);
            push(s);
        } else if (kind < 28) {
            s.op = Op::SetString;
            s.word = r_.percent(70) ? "Caption" : "TextFont";
            s.ref = s.word == "TextFont" && r_.percent(60) ? fontName() : anyString();
            if (s.word == "Caption") {
                auto def = script_.strings.find(s.ref);
                slot.caption = def == script_.strings.end() ? std::string() : def->second.bytes;
            }
            push(s);
            maybeReleaseAfterUse(s.ref);
        } else if (kind < 30) {
            s.op = Op::GetString;
            s.word = r_.percent(70) ? "Caption" : "TextFont";
            push(s);
        } else if (kind < 33) {
            s.op = Op::SetPicture;
            s.word = "Icon";
            s.ref = anyPicture();
            push(s);
            maybeReleaseAfterUse(s.ref);
        } else if (kind < 34) {
            s.op = Op::GetPicture;
            s.word = "Icon";
            push(s);
        } else if (kind < 50) {
            rowStep(slotIndex);
        } else if (kind < 54) {
            s.op = Op::Call;
            const bool add = receivers_.empty() || r_.percent(60);
            s.word = add ? "addActionNotificationReceiver" : "removeActionNotificationReceiver";
            s.ref = add ? anyReceiver() : (r_.percent(80) ? receivers_[r_.below(uint32_t(receivers_.size()))] : "nil");
            push(s);
            if (add) maybeReleaseAfterUse(s.ref);
        } else if (kind < 70) {
            gesture(slotIndex);
        } else if (kind < 76) {
            s.op = r_.percent(50) ? Op::Enter : Op::Exit;
            push(s);
        } else if (kind < 80) {
            reaction(slotIndex);
        } else {
            const Op others[] = {Op::Action,       Op::ConstantChanged, Op::DefaultsReset, Op::Open,          Op::Close,
                                 Op::StateChanged, Op::HandleQuery,     Op::Draw,          Op::DrawOffscreen, Op::Draw};
            s.op = pickFrom(r_, others);
            s.n[0] = static_cast<int32_t>(r_.next());
            push(s);
        }
    }

    // What the application's code does when an event reaches a bevel
    // button: mostly changes to the receivers while they are being told.
    void reaction(int slotIndex) {
        if (r_.percent(40)) return lifetimeReaction(slotIndex);
        Step s;
        s.op = Op::React;
        s.slot = slotIndex;
        const char* const events[] = {"PerformAction", "PerformAction", "PerformAction", "Action",
                                      "MouseDown",     "MouseUp",       kMenuLoop};
        s.word = pickFrom(r_, events);
        const uint32_t kind = r_.below(10);
        if (kind < 5) {
            s.reaction = kRemoveReceiver;
            s.ref = receivers_.empty() ? anyReceiver() : receivers_[r_.below(uint32_t(receivers_.size()))];
        } else if (kind < 6) {
            // Not from PerformAction: every action would double the list.
            s.reaction = kAddReceiver;
            s.ref = anyReceiver();
            if (s.word == "PerformAction") s.word = "Action";
        } else if (kind < 7) {
            s.reaction = kDeleteRows;
        } else if (kind < 8) {
            s.reaction = kAddRow;
            s.ref = anyString();
        } else if (kind < 9) {
            s.reaction = kSetCaption;
            s.ref = anyString();
        } else {
            s.reaction = "none";
        }
        push(s);
        addReceivers(slotIndex);
    }

    // Reactions show only with receivers to tell.
    void addReceivers(int slotIndex) {
        for (int i = 0; i < 2; ++i) {
            Step add;
            add.op = Op::Call;
            add.slot = slotIndex;
            add.word = "addActionNotificationReceiver";
            add.ref = anyReceiver();
            push(add);
        }
    }

    // A handler (a receiver's PerformAction, the menu's loop) that destroys
    // the control it was called from, another one or all of them, or runs a
    // modal loop of its own; then what makes it run. The controls it may
    // destroy are used no more, and one that stays has the reaction taken
    // away again, so that it runs once.
    void lifetimeReaction(int slotIndex) {
        const std::string className = slots_[static_cast<size_t>(slotIndex)].className;
        std::vector<std::string> events;
        if (className == "BevelButton") {
            events = {"PerformAction", "Action", "MouseDown", "MouseUp", kMenuLoop};
        } else {
            for (const char* const* e = eventsOf(className); e && *e; ++e) events.push_back(*e);
        }
        if (events.empty()) return;
        Step s;
        s.op = Op::React;
        s.slot = slotIndex;
        s.word = events[r_.below(static_cast<uint32_t>(events.size()))];
        const char* const reactions[] = {kDestroySelf, kDestroySelf, kDestroyOther, kDestroyAll, kModalLoop};
        s.reaction = pickFrom(r_, reactions);
        std::vector<int> others = live();
        others.erase(std::remove(others.begin(), others.end(), slotIndex), others.end());
        if (s.reaction == kDestroyOther && others.empty()) s.reaction = kDestroySelf;
        if (s.reaction == kDestroyOther) s.n[0] = others[r_.below(static_cast<uint32_t>(others.size()))];
        if (s.reaction == kModalLoop) s.n[0] = r_.between(1, 3);
        push(s);
        armTrigger(slotIndex, s.word);

        // What makes the handler run: the action callback, a click, or the
        // accelerator; the host now and then does something else meanwhile.
        const bool acts = s.word == "Action" || s.word == "PerformAction";
        const bool byAction = acts && r_.percent(30);
        if (byAction) {
            Step action;
            action.op = Op::Action;
            action.slot = slotIndex;
            push(action);
        } else if (acts && className == "BevelButton" && r_.percent(40)) {
            Step caption;
            caption.op = Op::SetString;
            caption.slot = slotIndex;
            caption.word = "Caption";
            caption.ref = acceleratedCaption();
            slots_[static_cast<size_t>(slotIndex)].caption = script_.strings[caption.ref].bytes;
            push(caption);
            gesture(slotIndex, 100);
        } else {
            gesture(slotIndex);
        }
        if (s.reaction == kDestroySelf || s.reaction == kDestroyAll) {
            for (Slot& slot : slots_)
                if (s.reaction == kDestroyAll || &slot == &slots_[static_cast<size_t>(slotIndex)]) slot.alive = false;
            return;
        }
        if (s.reaction == kDestroyOther) slots_[static_cast<size_t>(s.n[0])].alive = false;
        Step disarm = s;
        disarm.reaction = "none";
        disarm.n[0] = 0;
        if (byAction)
            push(disarm);
        else
            pending_.push_back(disarm);
    }

    // What the event of a reaction needs to reach the application: a handler,
    // receivers, a menu; a MouseUp comes after a click MouseDown took.
    void armTrigger(int slotIndex, const std::string& event) {
        Step s;
        s.slot = slotIndex;
        if (slots_[static_cast<size_t>(slotIndex)].className == "BevelButton" && event != kMenuLoop) {
            // Clicks of every button type, mostly without a menu.
            s.op = Op::SetInteger;
            s.word = "ButtonType";
            s.n[0] = r_.between(0, 2);
            push(s);
            if (r_.percent(70)) {
                s.word = "HasMenu";
                s.n[0] = 0;
                push(s);
            }
        }
        if (event == "PerformAction") return addReceivers(slotIndex);
        if (event == kMenuLoop) {
            s.op = Op::SetInteger;
            s.word = "HasMenu";
            s.n[0] = r_.between(1, 2);
            return push(s);
        }
        s.op = Op::Handler;
        s.word = event;
        s.n[0] = r_.percent(30) ? 1 : 0;
        push(s);
        if (event == "MouseUp" && slots_[static_cast<size_t>(slotIndex)].className == "BevelButton" && r_.percent(50)) {
            s.word = "MouseDown";
            s.n[0] = 1;
            push(s);
        }
    }

    void rowStep(int slotIndex) {
        Slot& slot = slots_[static_cast<size_t>(slotIndex)];
        Step s;
        s.slot = slotIndex;
        s.op = Op::Call;
        auto row = [&]() -> int64_t {
            if (r_.percent(8)) return pickFrom(r_, kHostileIntegers);
            return r_.between(-2, slot.rows + 1);
        };
        const uint32_t kind = r_.below(100);
        bool changes = true;
        if (kind < 30 && slot.rows < kMaxRows) {
            s.word = "AddRow";
            s.ref = anyString();
            ++slot.rows;
        } else if (kind < 38 && slot.rows < kMaxRows) {
            s.word = "AddSeparator";
            ++slot.rows;
        } else if (kind < 50 && slot.rows < kMaxRows) {
            s.word = "InsertRow";
            s.n[0] = row();
            s.ref = anyString();
            ++slot.rows;
        } else if (kind < 62) {
            s.word = "RemoveRow";
            s.n[0] = row();
            if (s.n[0] >= 0 && s.n[0] < slot.rows) --slot.rows;
        } else if (kind < 66) {
            s.word = "DeleteAllRows";
            slot.rows = 0;
        } else if (kind < 82) {
            s.word = "List";
            s.n[0] = row();
            changes = false;
        } else {
            s.op = Op::Assign;
            s.n[0] = row();
            s.ref = anyString();
        }
        push(s);
        if (!s.ref.empty()) maybeReleaseAfterUse(s.ref);
        if (changes && r_.percent(70)) {
            Step check;
            check.op = Op::Rows;
            check.slot = slotIndex;
            push(check);
        }
    }

    void smallControlStep(int slotIndex) {
        const Slot& slot = slots_[static_cast<size_t>(slotIndex)];
        const std::string& c = slot.className;
        Step s;
        s.slot = slotIndex;
        if (eventsOf(c) && r_.percent(3)) return lifetimeReaction(slotIndex);
        const uint32_t kind = r_.below(100);
        if (kind < 35 && c != "ChasingArrows" && c != "Separator") {
            gesture(slotIndex);
            return;
        }
        if (kind < 50) {
            if (c == "DisclosureTriangle" || c == "Placard") {
                s.op = r_.percent(80) ? Op::SetInteger : Op::GetInteger;
                s.word = c == "DisclosureTriangle" && r_.percent(40) ? "Facing" : "Value";
                s.n[0] = integerFor(s.word, 0);
            } else if (c == "PopupArrow") {
                s.op = r_.percent(80) ? Op::SetInteger : Op::GetInteger;
                s.word = "Facing";
                s.n[0] = integerFor(s.word, 0);
            } else if (c == "ImageWell") {
                s.op = r_.percent(80) ? Op::SetPicture : Op::GetPicture;
                s.word = "Image";
                if (s.op == Op::SetPicture) s.ref = anyPicture();
            } else if (c == "ChasingArrows") {
                s.op = Op::Idle;
            } else {
                s.op = Op::Draw;
            }
            push(s);
            if (s.op == Op::SetPicture) maybeReleaseAfterUse(s.ref);
            return;
        }
        if (kind < 62 && c == "LittleArrows") {
            s.op = r_.percent(75) ? Op::Move : Op::Exit;
            point(slot, s.n[0], s.n[1]);
            push(s);
            return;
        }
        if (kind < 70 && c == "ChasingArrows") {
            s.op = Op::Idle;
            push(s);
            return;
        }
        const Op others[] = {Op::Draw,         Op::DrawOffscreen, Op::Draw,   Op::Open, Op::Close,
                             Op::StateChanged, Op::HandleQuery,   Op::Action, Op::Idle};
        s.op = pickFrom(r_, others);
        s.n[0] = static_cast<int32_t>(r_.next());
        push(s);
    }

    // One step, or the start of a gesture. During a gesture nothing that
    // would end it (no destroy) is chosen.
    void randomStep(bool duringGesture) {
        const std::vector<int> alive = live();
        const uint32_t kind = r_.below(1000);
        if (alive.empty() || (!duringGesture && kind < 40 && alive.size() < kMaxLiveInstances)) {
            // A gesture goes on with a control whose handler may destroy
            // every control: the rest of it comes first.
            if (!duringGesture) create();
            return;
        }
        if (!duringGesture && kind < 52) {
            const int victim = alive[r_.below(static_cast<uint32_t>(alive.size()))];
            slots_[static_cast<size_t>(victim)].alive = false;
            Step s;
            s.op = Op::Destroy;
            s.slot = victim;
            push(s);
            return;
        }
        if (kind < 70) {
            const size_t held = strings_.size() + pictures_.size() + receivers_.size();
            if (held == 0) return;
            std::vector<std::string>* lists[] = {&strings_, &pictures_, &receivers_};
            std::vector<std::string>& list = *lists[r_.below(3)];
            if (!list.empty()) release(list, r_.below(static_cast<uint32_t>(list.size())));
            return;
        }
        const int slotIndex = alive[r_.below(static_cast<uint32_t>(alive.size()))];
        Slot& slot = slots_[static_cast<size_t>(slotIndex)];
        Step s;
        s.slot = slotIndex;
        if (kind < 85) {
            const Op toggles[] = {Op::Enable, Op::Enable, Op::Visible, Op::TabVisible};
            s.op = pickFrom(r_, toggles);
            s.n[0] = r_.percent(70) ? 1 : 0;
            push(s);
            return;
        }
        if (kind < 92) {
            s.op = Op::Bounds;
            bounds(slot.className, s.n);
            slot.left = s.n[0], slot.top = s.n[1], slot.right = s.n[2], slot.bottom = s.n[3];
            push(s);
            return;
        }
        if (kind < 100) {
            s.op = Op::Surface;
            s.slot = -1;
            s.n[0] = static_cast<int64_t>(r_.below(1u << 20));
            push(s);
            return;
        }
        if (kind < 110) {
            s.op = Op::Tick;
            s.slot = -1;
            s.n[0] = r_.percent(90) ? r_.between(0, 100) : r_.between(0, 100000);
            push(s);
            return;
        }
        if (kind < 125) {
            const char* const* events = eventsOf(slot.className);
            if (!events) return;
            int count = 0;
            while (events[count]) ++count;
            s.word = events[r_.below(static_cast<uint32_t>(count))];
            s.op = r_.percent(80) ? Op::Handler : Op::NoHandler;
            s.n[0] = r_.percent(30) ? 1 : 0;
            push(s);
            return;
        }
        if (duringGesture && !pending_.empty()) {
            // Repaints and property changes are what a host does meanwhile.
            s.op = r_.percent(60) ? Op::Draw : Op::DrawOffscreen;
            push(s);
            return;
        }
        if (strings_.size() + pictures_.size() + receivers_.size() > kMaxHeldHandles) {
            std::vector<std::string>& list = strings_.size() > pictures_.size() ? strings_ : pictures_;
            if (!list.empty()) release(list, 0);
        }
        if (slot.className == "BevelButton")
            bevelButtonStep(slotIndex);
        else
            smallControlStep(slotIndex);
    }
};

}  // namespace

Script generateRun(uint64_t seed, int64_t run, int steps) { return Builder(seed, run).build(steps); }

}  // namespace soak
