// What the random host hands over: the system a run meets, strings in every
// encoding with hostile lengths and bytes, pictures of hostile sizes,
// receivers, property values, and when the host lets a handle go.
#include <algorithm>

#include "builder.h"

namespace soak {
namespace {

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

}  // namespace

// --- the system and the host --------------------------------------------------------------

void Builder::makeConfig(int steps) {
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

// --- handles -------------------------------------------------------------------------------

// A new string the host holds, by its ref.
std::string Builder::addString(const StringDef& def) {
    const std::string ref = "s" + std::to_string(script_.strings.size() + 1);
    script_.strings[ref] = def;
    strings_.push_back(ref);
    return ref;
}

std::string Builder::text(int length) {
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

int Builder::length() {
    const uint32_t kind = r_.below(20);
    if (kind < 2) return 0;
    if (kind < 16) return static_cast<int>(1 + r_.below(16));
    const int longOnes[] = {254, 255, 256, 300, 1000, 5000};
    return pickFrom(r_, longOnes);
}

std::string Builder::utf8(uint32_t c) {
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

std::string Builder::unicodeText(int length) {
    const uint32_t kRanges[][2] = {{0x20, 0x7E},     {0xA0, 0x17F},    {0x391, 0x3C9},    {0x410, 0x44F},
                                   {0x3041, 0x3096}, {0x4E00, 0x4FFF}, {0x1F600, 0x1F64F}};
    std::string bytes;
    for (int i = 0; i < length; ++i) {
        const auto& range = kRanges[r_.below(7)];
        bytes += r_.percent(10) ? std::string("&") : utf8(static_cast<uint32_t>(r_.between(range[0], range[1])));
    }
    return bytes;
}

std::string Builder::newString() {
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
        const char* const broken[] = {"\xC0\xAF", "\xFF", "\x80", "a\xE2\x82", "\xED\xA0\x80", "\xF8\x88\x80\x80\x80",
                                      "&\xC3"};
        for (int i = 0; i < 1 + n / 4; ++i) def.bytes += r_.percent(50) ? pickFrom(r_, broken) : text(2);
    }
    if (r_.percent(15)) {
        const char* const accelerators[] = {"&Save", "Sa&ve", "&&", "x&", "&1", "&\xE4", "&a&b"};
        def.bytes = pickFrom(r_, accelerators) + def.bytes;
    }
    return addString(def);
}

// An ASCII caption whose accelerator is a letter.
std::string Builder::acceleratedCaption() {
    StringDef def;
    def.encoding = 0x00000600;  // ASCII
    def.bytes = "&" + std::string(1, static_cast<char>('a' + r_.below(26))) + "ction";
    return addString(def);
}

std::string Builder::fontName() {
    const char* const names[] = {"System", "application", "GENEVA", "SmallSystem", "Courier", "Times", "Helvetica",
                                 "Osaka",  "Arial",       "",       "Wingdings"};
    StringDef def;
    def.encoding = r_.percent(70) ? 0x00000600 : 0x08000100;
    def.bytes = pickFrom(r_, names);
    return addString(def);
}

std::string Builder::newPicture() {
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

std::string Builder::newReceiver() {
    const std::string ref = "r" + std::to_string(script_.receivers.size() + 1);
    script_.receivers.push_back(ref);
    receivers_.push_back(ref);
    return ref;
}

// A held handle, a new one or (sometimes) nil.
std::string Builder::anyOf(std::vector<std::string>& held, uint32_t nilPercent, std::string (Builder::*make)()) {
    if (r_.percent(nilPercent)) return "nil";
    if (held.empty() || r_.percent(40)) return (this->*make)();
    return held[r_.below(static_cast<uint32_t>(held.size()))];
}

std::string Builder::anyString() { return anyOf(strings_, 8, &Builder::newString); }
std::string Builder::anyPicture() { return anyOf(pictures_, 15, &Builder::newPicture); }
std::string Builder::anyReceiver() { return anyOf(receivers_, 5, &Builder::newReceiver); }

// The host drops its own reference: the plug-in's lock, if any, is then the last.
void Builder::release(std::vector<std::string>& held, size_t index) {
    Step s(Op::Release);
    s.ref = held[index];
    held.erase(held.begin() + static_cast<std::ptrdiff_t>(index));
    push(s);
}

void Builder::maybeReleaseAfterUse(const std::string& ref) {
    if (ref == "nil" || !r_.percent(40)) return;
    for (auto* held : {&strings_, &pictures_, &receivers_})
        for (size_t i = 0; i < held->size(); ++i)
            if ((*held)[i] == ref) return release(*held, i);
}

// --- property values ---------------------------------------------------------------------

int64_t Builder::integerFor(const std::string& property, int rows) {
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
        return r_.percent(70) ? r_.between(0, 1) : static_cast<int64_t>(r_.below(256)) | (r_.percent(50) ? 0x5A00 : 0);
    if (property == "Facing") return r_.percent(80) ? r_.between(0, 7) : r_.between(-3, 12);
    return r_.between(-10, 30);  // distances
}

}  // namespace soak
