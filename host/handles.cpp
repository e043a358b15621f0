// Host strings, pictures, receivers and their reference counts.
#include <algorithm>
#include <cstring>

#include "host_internal.h"

namespace pluginhost {

static const char* kindName(HandleKind kind) {
    switch (kind) {
        case HandleKind::String:
            return "string";
        case HandleKind::Picture:
            return "picture";
        case HandleKind::Graphics:
            return "graphics";
        case HandleKind::Receiver:
            return "receiver";
        case HandleKind::Window:
            return "window";
    }
    return "handle";
}

Handle* Host::Impl::findHandle(const void* handle) const {
    auto it = handles.find(handle);
    return it == handles.end() ? nullptr : it->second.get();
}

Handle& Host::Impl::newHandle(HandleKind kind) {
    auto handle = std::make_unique<Handle>();
    handle->kind = kind;
    handle->id = ++nextHandleId[kind];
    Handle& result = *handle;
    handles[&result] = std::move(handle);
    return result;
}

std::string Host::Impl::nameOf(const void* handle) const {
    if (!handle) return "nil";
    if (const Handle* h = findHandle(handle)) return std::string(kindName(h->kind)) + "#" + std::to_string(h->id);
    char text[40];
    snprintf(text, sizeof text, "unknown@%p", handle);
    return text;
}

std::string Host::Impl::context() const {
    return callbackStack.empty() ? std::string() : " during " + callbackStack.back();
}

// The storage of a host string: length byte (at most 255), the bytes, NUL.
static std::vector<unsigned char> stringStorage(const std::string& bytes) {
    constexpr size_t kMaxLengthByte = 255;
    std::vector<unsigned char> storage(bytes.size() + 2, 0);
    storage[0] = static_cast<unsigned char>(std::min(bytes.size(), kMaxLengthByte));
    std::memcpy(storage.data() + 1, bytes.data(), bytes.size());
    return storage;
}

static Handle& makeStringHandle(Host::Impl& impl, const std::string& bytes, TextEncoding encoding) {
    Handle& h = impl.newHandle(HandleKind::String);
    h.storage = stringStorage(bytes);
    h.record.hostWord = 0;
    h.record.storage = h.storage.data();
    if (impl.poisonStrings) {
        h.guardedStorage = guardedCopy(impl, h.storage);
        if (h.guardedStorage) {
            h.guardedBytes = h.storage.size();
            h.record.storage = h.guardedStorage;
        }
    }
    h.encoding = encoding;
    return h;
}

HostString newPluginString(Host::Impl& impl, const std::string& bytes) {
    Handle& h = makeStringHandle(impl, bytes, kHostDefaultEncoding);
    h.refs = 1;  // the plug-in's
    return &h.record;
}

HostString Host::makeString(const std::string& bytes, TextEncoding encoding) {
    Handle& h = makeStringHandle(*impl_, bytes, encoding);
    h.refs = 1;
    h.hostRefs = 1;
    return &h.record;
}

std::string Host::text(HostString s) const {
    const Handle* h = impl_->findHandle(s);
    if (!h || h->kind != HandleKind::String) return std::string();
    return std::string(reinterpret_cast<const char*>(h->storage.data() + 1), h->storage.size() - 2);
}

int Host::stringRefs(HostString s) const {
    const Handle* h = impl_->findHandle(s);
    return h ? h->refs : 0;
}

int Host::objectRefs(HostObject o) const {
    const Handle* h = impl_->findHandle(o);
    return h ? h->refs : 0;
}

// Drops one reference that the host or the test holds.
static void releaseHostReference(Host::Impl& impl, const void* handle, const char* caller) {
    if (!handle) return;
    Handle* h = impl.findHandle(handle);
    if (!h) {
        impl.fault(std::string(caller) + " of " + impl.nameOf(handle) + ", which the host never made");
        return;
    }
    if (h->hostRefs <= 0) {
        impl.fault(std::string(caller) + " of " + impl.nameOf(handle) + ", which the test does not hold");
        return;
    }
    --h->hostRefs;
    --h->refs;
    if (h->refs < 0) impl.fault(impl.nameOf(handle) + " released below zero by " + caller);
    if (h->refs == 0) markReleased(impl, *h);
}

void Host::releaseString(HostString s) { releaseHostReference(*impl_, s, "releaseString"); }

void Host::releaseObject(HostObject o) {
    Handle* h = impl_->findHandle(o);
    releaseHostReference(*impl_, o, "releaseObject");
    if (h && h->kind == HandleKind::Graphics && h->refs == 0) retireSurface(*impl_, *h);
}

HostObject Host::makePicture(int width, int height, std::function<COLORREF(int, int)> paint, uint8_t drawFlag) {
    HostGdiWork work;
    Handle& h = impl_->newHandle(HandleKind::Picture);
    h.refs = 1;
    h.hostRefs = 1;
    h.width = width;
    h.height = height;
    h.drawFlag = drawFlag;
    h.bitmapWidth = width;
    h.bitmapHeight = height;
    h.bitmap = makeTopDownDib(std::max(width, 1), std::max(height, 1), &h.bits);
    if (!h.bitmap) impl_->fault("makePicture: CreateDIBSection failed");
    for (int y = 0; h.bits && y < height; ++y)
        for (int x = 0; x < width; ++x) h.bits[y * width + x] = imageColour(paint ? paint(x, y) : RGB(0, 0, 0));
    return reinterpret_cast<HostObject>(&h);
}

HostObject Host::makeOddPicture(int32_t width, int32_t height, uint8_t drawFlag) {
    // Drawn from a bitmap no larger than this a side, whatever the description says.
    constexpr int kBitmapSide = 8;
    HostObject picture = makePicture(
        std::clamp(width, 1, kBitmapSide), std::clamp(height, 1, kBitmapSide),
        [](int x, int y) { return RGB(40 * x, 40 * y, 200); }, drawFlag);
    Handle* h = impl_->findHandle(picture);
    h->width = width;
    h->height = height;
    return picture;
}

HostObject Host::makeReceiver() {
    Handle& h = impl_->newHandle(HandleKind::Receiver);
    h.refs = 1;
    h.hostRefs = 1;
    return reinterpret_cast<HostObject>(&h);
}

int Host::descriptionLocks(HostObject picture) const {
    const Handle* h = impl_->findHandle(picture);
    return h ? h->descriptionLocks : 0;
}

std::string Host::nameOf(const void* handle) const { return impl_->nameOf(handle); }

HostWindow Host::windowObject() const { return impl_->windowObject; }

// --- the plug-in's side of the counts -------------------------------------------

// Lock or unlock through an entry point; null is accepted quietly.
void pluginLock(Host::Impl& impl, const void* handle, const char* entryPoint, int delta) {
    impl.owner->lockLog.push_back(std::string(entryPoint) + " " + impl.nameOf(handle));
    if (!handle) return;
    Handle* h = impl.findHandle(handle);
    if (!h) {
        impl.fault(std::string(entryPoint) + " of " + impl.nameOf(handle) + ", which the host never made" +
                   impl.context());
        return;
    }
    if (h->released) {
        impl.fault(std::string(entryPoint) + " of " + impl.nameOf(handle) + " after its last release" + impl.context());
        return;
    }
    h->refs += delta;
    if (h->refs < 0) {
        impl.fault(std::string(entryPoint) + " of " + impl.nameOf(handle) + " below zero" + impl.context());
        h->refs = 0;
    }
    if (h->refs == 0) {
        if (h->kind == HandleKind::Graphics) retireSurface(impl, *h);
        markReleased(impl, *h);
    }
}

void markReleased(Host::Impl&, Handle& handle) {
    handle.released = true;
    if (handle.guardedStorage) {
        poisonGuardedCopy(handle.guardedStorage, handle.guardedBytes);
        handle.guardedStorage = nullptr;
    }
}

// Compares every handle's count with the references the host holds.
std::vector<std::string> handleImbalances(const Host::Impl& impl) {
    std::vector<std::string> found;
    for (auto& entry : impl.handles) {
        const Handle& h = *entry.second;
        const int pluginRefs = h.refs - h.hostRefs;
        if (pluginRefs > 0)
            found.push_back("the plug-in kept " + std::to_string(pluginRefs) + " lock(s) on " + impl.nameOf(&h));
        else if (pluginRefs < 0)
            found.push_back("the plug-in released " + impl.nameOf(&h) + " " + std::to_string(-pluginRefs) +
                            " time(s) more than it locked it");
        if (h.descriptionLocks != 0)
            found.push_back("picture description of " + impl.nameOf(&h) + " still locked " +
                            std::to_string(h.descriptionLocks) + " time(s)");
    }
    return found;
}

void checkHandleBalance(Host::Impl& impl) {
    for (const std::string& problem : handleImbalances(impl)) impl.fault(problem);
}

std::vector<std::string> Host::lockImbalances() const { return handleImbalances(*impl_); }

int Host::pluginRefs(const void* handle) const {
    const Handle* h = impl_->findHandle(handle);
    return h ? h->refs - h->hostRefs : 0;
}

void Host::poisonReleasedStrings(bool on) { impl_->poisonStrings = on; }

}  // namespace pluginhost
