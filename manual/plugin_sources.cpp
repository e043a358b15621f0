#include "plugin_sources.h"

#include <algorithm>

#include "base/high_contrast.h"
#include "gallery.h"

namespace {

using manual::ClassDefaults;
using manual::ClassRecord;
using manual::DefaultValue;
using manual::PropertyRecord;
using manual::ValueKind;
using pluginhost::Host;
using pluginhost::Instance;

// Where the instances whose values are read lie in the host's window.
constexpr int kLeft = 10;
constexpr int kTop = 10;

// What the builder hands a new control. A value that follows these from one
// construction to the next is the builder's setting, not the control's.
struct HostSettings {
    std::string caption;
    std::string font;
    int32_t fontSize;
};

HostSettings settingsOf(const Host& host) { return {host.defaultCaption, host.defaultFont, host.defaultFontSize}; }

void apply(Host& host, const HostSettings& s) {
    host.defaultCaption = s.caption;
    host.defaultFont = s.font;
    host.defaultFontSize = s.fontSize;
}

std::string joined(const std::vector<std::string>& faults) {
    std::string text;
    for (const std::string& fault : faults) text += (text.empty() ? "" : "; ") + fault;
    return text;
}

bool sameValue(const DefaultValue& a, const DefaultValue& b) {
    return a.integer == b.integer && a.text == b.text && a.hasPicture == b.hasPicture;
}

// The value of every property of one newly constructed instance.
bool readInstance(Host& host, const ClassRecord& c, ClassDefaults* values, std::string* error) {
    Instance* instance = host.create(c.name, kLeft, kTop, kLeft + c.defaultWidth, kTop + c.defaultHeight);
    if (!instance) {
        *error = "the host cannot create an instance";
        return false;
    }
    for (const PropertyRecord& p : c.properties) {
        DefaultValue& v = (*values)[p.name];
        switch (p.kind) {
            case ValueKind::Integer:
            case ValueKind::Boolean:
                v.integer = host.getInteger(instance, p.name);
                break;
            case ValueKind::String:
                v.text = host.getString(instance, p.name);
                break;
            case ValueKind::Picture:
                v.hasPicture = host.getPicture(instance, p.name) != nullptr;
                break;
        }
    }
    host.destroy(instance);
    if (!host.faults().empty()) {
        *error = "the host found faults: " + joined(host.faults());
        return false;
    }
    return true;
}

// Names the builder's setting that a property's value follows, if any.
bool nameHostSetting(const PropertyRecord& p, const DefaultValue& first, const DefaultValue& second,
                     const HostSettings& a, const HostSettings& b, DefaultValue* value, std::string* error) {
    if (p.kind == ValueKind::String && first.text == a.caption && second.text == b.caption) {
        value->hostSetting = "the builder's default caption";
    } else if (p.kind == ValueKind::String && first.text == a.font && second.text == b.font) {
        value->hostSetting = "the builder's default font";
    } else if (p.kind == ValueKind::Integer && first.integer == a.fontSize && second.integer == b.fontSize) {
        value->hostSetting = "the builder's default font size";
    } else {
        *error = p.name + " after construct changes with the builder's settings in a way the manual cannot name";
        return false;
    }
    return true;
}

}  // namespace

PluginSources::PluginSources(std::string pluginPath) : pluginPath_(std::move(pluginPath)) {}

bool PluginSources::load(std::string* error) {
    host_ = std::make_unique<Host>();
    if (host_->load(pluginPath_)) return true;
    *error = "cannot load " + pluginPath_ + ": " + host_->lastError();
    host_.reset();
    return false;
}

std::vector<const ControlDefinition*> PluginSources::records() {
    if (!host_) return {};
    return std::vector<const ControlDefinition*>(host_->registered.begin(), host_->registered.end());
}

bool PluginSources::defaults(const ClassRecord& c, ClassDefaults* defaults, std::string* error) {
    if (c.properties.empty()) return true;
    Host& host = *host_;
    const HostSettings first = settingsOf(host);
    const HostSettings second{first.caption + " (another)", first.font + " Other", first.fontSize + 1};
    ClassDefaults a;
    if (!readInstance(host, c, &a, error)) return false;
    ClassDefaults b;
    apply(host, second);
    const bool readSecond = readInstance(host, c, &b, error);
    apply(host, first);
    if (!readSecond) return false;
    for (const PropertyRecord& p : c.properties) {
        DefaultValue value = a[p.name];
        if (!sameValue(a[p.name], b[p.name]) && !nameHostSetting(p, a[p.name], b[p.name], first, second, &value, error))
            return false;
        (*defaults)[p.name] = value;
    }
    return true;
}

bool PluginSources::release(std::string* error) {
    if (!host_) return true;
    const std::vector<std::string> faults = host_->finish();
    host_.reset();
    if (faults.empty()) return true;
    *error = "the host found faults: " + joined(faults);
    return false;
}

bool PluginSources::pictures(std::vector<manual::SectionPicture>* pictures, std::string* error) {
    Gallery gallery;
    addAllCells(gallery);
    GalleryPicture picture;
    std::vector<std::string> faults;
    if (!gallery.render(&picture, faults) || !faults.empty()) {
        *error = joined(faults);
        return false;
    }
    // The sections' cells, in the gallery's order; each section shows one class.
    std::vector<manual::SectionPicture> sections;
    for (const GalleryCell& cell : gallery.cells) {
        if (cell.className.empty()) {
            sections.emplace_back();
            sections.back().title = cell.label;
            continue;
        }
        if (sections.empty()) {
            *error = "the gallery's cell " + cell.label + " has no section";
            return false;
        }
        manual::SectionPicture& section = sections.back();
        if (!section.className.empty() && section.className != cell.className) {
            *error =
                "the gallery's section " + section.title + " shows " + section.className + " and " + cell.className;
            return false;
        }
        section.className = cell.className;
        section.labels.push_back(cell.label);
    }
    if (sections.size() != picture.sections.size()) {
        *error = "the gallery drew " + std::to_string(picture.sections.size()) + " of its " +
                 std::to_string(sections.size()) + " sections";
        return false;
    }
    for (size_t i = 0; i < sections.size(); ++i) {
        manual::SectionPicture& section = sections[i];
        const RECT box = picture.sections[i].box;
        const LONG left = std::max<LONG>(box.left, 0);
        const LONG top = std::max<LONG>(box.top, 0);
        const LONG right = std::min<LONG>(box.right, picture.width);
        const LONG bottom = std::min<LONG>(box.bottom, picture.height);
        if (section.className.empty() || right <= left || bottom <= top) {
            *error = "the gallery's section " + section.title + " shows nothing";
            return false;
        }
        section.width = right - left;
        section.height = bottom - top;
        for (LONG y = top; y < bottom; ++y) {
            const uint32_t* row = picture.pixels.data() + size_t(y) * picture.width;
            section.pixels.insert(section.pixels.end(), row + left, row + right);
        }
    }
    *pictures = std::move(sections);
    return true;
}

// The plug-in's own table of them.
std::vector<manual::ContrastColour> PluginSources::contrastColours() {
    std::vector<manual::ContrastColour> colours;
    for (const ElementColour& row : kElementColours)
        colours.push_back({row.what, pluginhost::imageColour(row.classic) & 0x00FFFFFF, row.roleName});
    return colours;
}
