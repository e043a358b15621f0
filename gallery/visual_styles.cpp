#include "visual_styles.h"

#include <memory>
#include <set>

#include "theme_spy.h"

namespace {

using pluginhost::Host;
using pluginhost::Instance;
using pluginhost::ThemeSpy;

ThemeSpy* gSpy = nullptr;       // the spy of the gallery's host, while it lives
std::set<HWND> gThemedWindows;  // windows whose parent background is painted

}  // namespace

void useVisualStyles(Gallery& gallery) {
    static const Gallery* prepared = nullptr;
    if (prepared == &gallery) return;
    prepared = &gallery;
    gallery.preparations.push_back([](Host& host) -> std::shared_ptr<void> {
        gThemedWindows.clear();
        // The version is the system's: on Windows XP no theme opens outside
        // themed() and only its cells get the parent's background; on every
        // other system they draw as the rest do.
        auto spy = std::shared_ptr<ThemeSpy>(new ThemeSpy(host.module(), pluginhost::kAsTheSystemAnswers), [](ThemeSpy* spy) {
            if (gSpy == spy) gSpy = nullptr;
            delete spy;
        });
        spy->openAnswersNull = true;
        spy->paintsParentBackground = [](HWND window) { return gThemedWindows.count(window) != 0; };
        gSpy = spy.get();
        return spy;
    });
}

CellSetup themed(CellSetup setup) {
    return [setup](Host& host, Instance* instance) {
        gThemedWindows.insert(instance->window);
        // Construct again, now with themes on: the instance opens its own.
        const ControlCallbacks* callbacks = instance->definition->callbacks;
        if (gSpy) gSpy->openAnswersNull = false;
        if (callbacks->destruct) callbacks->destruct(instance->control);
        if (callbacks->construct) callbacks->construct(instance->control);
        if (gSpy) gSpy->openAnswersNull = true;
        if (setup) setup(host, instance);
    };
}
