// Properties, methods and rows as the soak expects them: each set through the
// host and read back, with the repaints, accelerator calls and lock order a
// setter brings; the defaults after construct and defaultsReset.
#include "expectations.h"

#include <algorithm>

namespace soak {
namespace {

// A string the host made for the plug-in: it must carry the default text
// and, from now on, exactly the locks the model gives it.
void learnDefault(World& w, HostString s, const char* entryPoint, const std::string& text, const char* what) {
    if (!w.supplied(entryPoint)) {
        if (s) w.differ(std::string("the default ") + what + " is not nil without " + entryPoint);
        return;
    }
    if (!s || w.textOf(s) != text) {
        w.differ(std::string("the default ") + what + " reads \"" + w.textOf(s) + "\", not \"" + text + "\"");
        return;
    }
    w.bench.strings.insert(s);
}

// List(row) through the method, against the model's row.
void checkRow(World& w, const Model& m, int32_t row) {
    const bool exists = row >= 0 && row < static_cast<int32_t>(m.rows.size());
    const HostString expected = exists ? m.rows[static_cast<size_t>(row)].text : nullptr;
    auto actual = reinterpret_cast<HostString>(w.host.call(m.instance, "List", {static_cast<intptr_t>(row)}));
    if (actual != expected)
        w.differ("List(" + std::to_string(row) + ") answered " + w.host.nameOf(actual) + " \"" + w.textOf(actual) +
                 "\", expected " + w.host.nameOf(expected) + " \"" + w.textOf(expected) + "\"");
    // Without ZOKALockString the answer carries no lock to give back.
    if (actual && w.stringLocks) w.host.releaseString(actual);
}

}  // namespace

// --- construct and defaultsReset -----------------------------------------------------------

void constructed(World& w, Model& m) {
    if (m.className != "BevelButton") return;
    m.caption = m.instance->at<HostString>(w.captionOffset(m));
    m.textFont = m.instance->at<HostString>(w.paramOf(m, "TextFont"));
    learnDefault(w, m.caption, "PluginDefaultControlCaption", w.host.defaultCaption, "caption");
    learnDefault(w, m.textFont, "PluginDefaultControlFont", w.host.defaultFont, "font");
    m.captionPlacement = 1;
    m.captionAlign = 3;
    m.textSize = w.supplied("PluginDefaultControlFontSize") ? w.host.defaultFontSize : 0;
}

void defaultsReset(World& w, const Step&, Model& m) {
    if (!m.instance->definition->callbacks->defaultsReset) return;
    w.call();
    w.host.defaultsReset(m.instance);
    m.textFont = m.instance->at<HostString>(w.paramOf(m, "TextFont"));
    learnDefault(w, m.textFont, "PluginDefaultControlFont", w.host.defaultFont, "font");
    m.textSize = w.supplied("PluginDefaultControlFontSize") ? w.host.defaultFontSize : 0;
}

// --- Integer and Boolean properties ----------------------------------------------------------

void setInteger(World& w, const Step& s, Model& m) {
    const PropertyDefinition* p = w.host.property(m.instance, s.word);
    if (!p) return;
    const int32_t v = static_cast<int32_t>(s.n[0]);
    const bool bySetter = p->setter != PLUGIN_DIRECT_ACCESS;
    if (bySetter) w.call();
    const std::string& n = s.word;
    if (m.className == "BevelButton") {
        for (const BevelField& f : kBevelFields) {
            if (n != f.name) continue;
            if (f.integer) m.*f.integer = v;
            if (f.byte) m.*f.byte = static_cast<uint8_t>(v);
        }
        if (n == "MenuValue") m.menuValue = static_cast<int16_t>(static_cast<uint16_t>(v));
        if (bySetter && n != "MenuValue") w.invalidated(m);
    } else if (n == "Value") {
        m.value = static_cast<uint8_t>(v);
        w.invalidated(m);
    } else if (n == "Facing") {
        m.facing = v;
    }
    w.host.setInteger(m.instance, s.word, v);
}

void getInteger(World& w, const Step& s, Model& m) {
    const PropertyDefinition* p = w.host.property(m.instance, s.word);
    if (!p) return;
    if (p->getter != PLUGIN_DIRECT_ACCESS) w.call();
    const int32_t actual = w.host.getInteger(m.instance, s.word);
    int64_t expected = actual;
    if (s.word == "MenuValue") expected = m.menuValue;
    if (!World::fieldValue(m, s.word, expected)) return;
    if (actual != expected)
        w.differ(s.word + " reads " + std::to_string(actual) + ", expected " + std::to_string(expected));
}

// --- strings and pictures --------------------------------------------------------------------

void setHandle(World& w, const Step& s, Model& m) {
    void* handle = nullptr;
    if (!w.bench.resolve(s.ref, handle)) return;
    const PropertyDefinition* p = w.host.property(m.instance, s.word);
    if (!p) return;
    if (p->setter != PLUGIN_DIRECT_ACCESS) w.call();
    const void* old = s.word == "Caption"    ? static_cast<const void*>(m.caption)
                      : s.word == "TextFont" ? static_cast<const void*>(m.textFont)
                      : s.word == "Icon"     ? static_cast<const void*>(m.icon)
                                             : static_cast<const void*>(m.image);
    const bool picture = s.op == Op::SetPicture;
    if (picture ? w.objectLocks : w.stringLocks)
        w.replacements.push_back(Replacement{old, handle, picture, w.host.lockLog.size()});
    if (s.word == "Caption") {
        m.caption = static_cast<HostString>(handle);
        w.captionApplied(m);
    } else if (s.word == "TextFont") {
        m.textFont = static_cast<HostString>(handle);
    } else if (s.word == "Icon") {
        m.icon = static_cast<HostObject>(handle);
        w.invalidated(m);
    } else if (s.word == "Image") {
        m.image = static_cast<HostObject>(handle);
        w.invalidated(m);
    }
    if (s.op == Op::SetString)
        w.host.setString(m.instance, s.word, static_cast<HostString>(handle));
    else
        w.host.setPicture(m.instance, s.word, static_cast<HostObject>(handle));
}

void getString(World& w, const Step& s, Model& m) {
    const PropertyDefinition* p = w.host.property(m.instance, s.word);
    if (!p) return;
    // The host takes a getter's answer as locked once; without the lock
    // entry points it would drop a reference it does not hold.
    if (p->getter != PLUGIN_DIRECT_ACCESS && !w.stringLocks) return;
    if (p->getter != PLUGIN_DIRECT_ACCESS) w.call();
    const std::string actual = w.host.getString(m.instance, s.word);
    const HostString expected = s.word == "Caption" ? m.caption : s.word == "TextFont" ? m.textFont : nullptr;
    if (actual != w.textOf(expected))
        w.differ(s.word + " reads \"" + actual + "\", expected \"" + w.textOf(expected) + "\"");
}

void getPicture(World& w, const Step& s, Model& m) {
    const PropertyDefinition* p = w.host.property(m.instance, s.word);
    if (!p) return;
    if (p->getter != PLUGIN_DIRECT_ACCESS) w.call();
    const HostObject actual = w.host.getPicture(m.instance, s.word);
    const HostObject expected = s.word == "Icon" ? m.icon : m.image;
    if (actual != expected)
        w.differ(s.word + " reads " + w.host.nameOf(actual) + ", expected " + w.host.nameOf(expected));
}

// --- methods and rows ----------------------------------------------------------------------

void method(World& w, const Step& s, Model& m) {
    if (m.className != "BevelButton") return;
    void* handle = nullptr;
    const bool needsHandle = s.word == "AddRow" || s.word == "InsertRow" || s.word == "addActionNotificationReceiver" ||
                             s.word == "removeActionNotificationReceiver";
    if (needsHandle && !w.bench.resolve(s.ref, handle)) return;
    const int32_t row = static_cast<int32_t>(s.n[0]);
    const intptr_t rowArgument = row;
    const intptr_t handleArgument = reinterpret_cast<intptr_t>(handle);
    const int32_t count = static_cast<int32_t>(m.rows.size());
    w.call();
    if (s.word == "DeleteAllRows") {
        m.rows.clear();
        w.host.call(m.instance, s.word);
    } else if (s.word == "AddRow") {
        m.rows.push_back(Row{static_cast<HostString>(handle), false});
        w.host.call(m.instance, s.word, {handleArgument});
    } else if (s.word == "AddSeparator") {
        m.rows.push_back(Row{nullptr, true});
        w.host.call(m.instance, s.word);
    } else if (s.word == "RemoveRow") {
        if (row >= 0 && row < count) m.rows.erase(m.rows.begin() + row);
        w.host.call(m.instance, s.word, {rowArgument});
    } else if (s.word == "InsertRow") {
        const int32_t at = row <= 0 ? 0 : std::min(row, count);
        m.rows.insert(m.rows.begin() + at, Row{static_cast<HostString>(handle), false});
        w.host.call(m.instance, s.word, {rowArgument, handleArgument});
    } else if (s.word == "List") {
        checkRow(w, m, row);
    } else if (s.word == "addActionNotificationReceiver") {
        w.registerReceiver(m, static_cast<HostObject>(handle));
        w.host.call(m.instance, s.word, {handleArgument});
    } else if (s.word == "removeActionNotificationReceiver") {
        World::removeRegistration(m, static_cast<HostObject>(handle));
        w.host.call(m.instance, s.word, {handleArgument});
    }
}

void checkRows(World& w, const Step&, Model& m) {
    if (m.className != "BevelButton") return;
    const int32_t count = static_cast<int32_t>(m.rows.size());
    for (int32_t row = -1; row <= count && w.mismatch.empty(); ++row) {
        w.call();
        checkRow(w, m, row);
    }
}

void assignRow(World& w, const Step& s, Model& m) {
    if (m.className != "BevelButton") return;
    void* handle = nullptr;
    if (!w.bench.resolve(s.ref, handle)) return;
    const int32_t row = static_cast<int32_t>(s.n[0]);
    if (row >= 0 && row < static_cast<int32_t>(m.rows.size()))
        m.rows[static_cast<size_t>(row)].text = static_cast<HostString>(handle);
    w.call();
    w.host.callSetter(m.instance, "List", {static_cast<intptr_t>(row), reinterpret_cast<intptr_t>(handle)});
}

bool propertyStep(World& w, const Step& s, Model& m) {
    constexpr struct {
        Op op;
        void (*expect)(World& w, const Step& s, Model& m);
    } kSteps[] = {{Op::SetInteger, setInteger}, {Op::GetInteger, getInteger},
                  {Op::SetString, setHandle},   {Op::SetPicture, setHandle},
                  {Op::GetString, getString},   {Op::GetPicture, getPicture},
                  {Op::Call, method},           {Op::Assign, assignRow},
                  {Op::Rows, checkRows},        {Op::DefaultsReset, defaultsReset}};
    for (const auto& step : kSteps)
        if (step.op == s.op) return step.expect(w, s, m), true;
    return false;
}

}  // namespace soak
