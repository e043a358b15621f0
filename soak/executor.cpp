// The run loop and its trace: every step of the script carried out (the
// host's call framed around the expectations of its room) and checked, then
// the run ended as a host closes a window.
#include "executor.h"

#include <cstdio>

#include "application.h"
#include "expectations.h"

namespace soak {
namespace {

// The family whose expectations of the mouse a class follows, if any.
const Mouse* mouseOf(const std::string& n) {
    if (n == "BevelButton") return &kBevelButtonMouse;
    if (n == "LittleArrows") return &kLittleArrowsMouse;
    if (n == "DisclosureTriangle") return &kDisclosureTriangleMouse;
    if (n == "ImageWell" || n == "PopupArrow" || n == "Placard") return &kForwardedMouse;
    return nullptr;
}

class Executor {
public:
    Executor(const Script& script, const RunOptions& options) : bench_(script, options) {}

    RunResult run() {
        if (!bench_.start()) return bench_.result;
        const Config& c = bench_.script.config;
        pluginhost::Host& host = bench_.host;
        bench_.spy->trackPopupMenu = [this](const pluginhost::PopupMenuCall& call) { return trackMenu(call); };
        host.onPerformAction = [this](HostObject) { application_->react(application_->reactingSlot, "PerformAction"); };
        world_ = std::make_unique<World>(bench_);
        application_ = std::make_unique<Application>(*world_);
        bench_.baseFaults = host.faults().size();
        if (bench_.options.trace)
            std::fprintf(bench_.options.trace, "run %llu %lld system %s language %u uxtheme %s withheld %zu\n",
                         static_cast<unsigned long long>(c.seed), static_cast<long long>(c.run), c.system.c_str(),
                         static_cast<unsigned>(c.language), c.uxtheme.c_str(), c.withheld.size());
        if (!c.withheld.empty()) bench_.result.coverage.withheld = 1;

        std::map<int32_t, Model>& models = world_->models;
        const int64_t count = static_cast<int64_t>(bench_.script.steps.size());
        for (bench_.step = 0; bench_.step < count && !bench_.result.faulted; ++bench_.step) {
            const Step& s = bench_.script.steps[static_cast<size_t>(bench_.step)];
            const Model* m = world_->modelOf(s.slot);
            carryOut(s, m ? m->className : std::string());
            ++bench_.result.steps;
        }
        // The run ends as a host closes a window: every instance destroyed.
        for (; !bench_.result.faulted && !models.empty(); ++bench_.step)
            carryOut(Step(Op::Destroy, models.begin()->first), models.begin()->second.className);
        traceVerdict();
        // After a fault the rest goes unchecked, but under the spy still:
        // the plug-in keeps what the spy handed it.
        while (!models.empty()) {
            if (!models.begin()->second.destroyed) host.destroy(models.begin()->second.instance);
            models.erase(models.begin());
        }
        bench_.spy.reset();
        application_.reset();
        return bench_.result;
    }

private:
    Bench bench_;
    std::unique_ptr<World> world_;
    std::unique_ptr<Application> application_;

    // --- the steps -------------------------------------------------------------------------

    void carryOut(const Step& s, const std::string& className) {
        if (bench_.options.progress) bench_.options.progress->step = bench_.step;
        bench_.currentClass = className;
        perform(s);
        check(*world_);
        trace(s);
    }

    void perform(const Step& s) {
        World& w = *world_;
        w.beginStep();
        switch (s.op) {
            case Op::Create:
                create(s);
                break;
            case Op::Tick:
                w.spy.tick += static_cast<uint32_t>(s.n[0]);
                break;
            case Op::Supply:
                w.withheld.erase(s.word);
                w.host.supply(s.word);
                break;
            case Op::Release:
                releaseRef(s.ref);
                break;
            case Op::Surface:
                bench_.surfaceStyle = static_cast<uint32_t>(s.n[0]);
                break;
            default:
                if (Model* m = w.modelOf(s.slot)) instanceStep(s, *m);
                break;
        }
        compareStep(w);
        w.forgetDestroyed();
        if (!w.mismatch.empty()) w.stepMismatch = std::string(opName(s.op)) + ": " + w.mismatch;
    }

    void releaseRef(const std::string& ref) {
        auto made = bench_.handles.find(ref);
        if (made == bench_.handles.end() || bench_.dropped.count(ref)) return;
        // A host that lends no lock entry points cannot know when the plug-in
        // is done with a handle: it keeps its own reference.
        if (bench_.strings.count(made->second) ? !world_->stringLocks : !world_->objectLocks) return;
        bench_.dropped.insert(ref);
        if (bench_.strings.count(made->second))
            bench_.host.releaseString(static_cast<HostString>(made->second));
        else
            bench_.host.releaseObject(static_cast<HostObject>(made->second));
    }

    void create(const Step& s) {
        World& w = *world_;
        if (w.models.count(s.slot)) return;
        if (!w.host.definition(s.word)) {
            bench_.fail("host", "no class " + s.word + " is registered");
            return;
        }
        pluginhost::InstanceOptions options;
        options.insideTabControl = s.n[4] != 0;
        const int themesBefore = w.spy.themesOpened();
        Model m;
        m.className = s.word;
        m.instance = w.host.create(s.word, static_cast<int>(s.n[0]), static_cast<int>(s.n[1]), static_cast<int>(s.n[2]),
                                   static_cast<int>(s.n[3]), options);
        if (!m.instance) {
            bench_.fail("host", "could not create a " + s.word);
            return;
        }
        const ControlCallbacks* callbacks = m.instance->definition->callbacks;
        if (callbacks && callbacks->construct) w.call();
        m.themed = w.spy.themesOpened() > themesBefore;
        if (m.themed) ++bench_.result.coverage.themed;
        m.bounds = m.instance->bounds;
        constructed(w, m);
        w.models[s.slot] = m;
        w.invalidationsBefore[m.instance] = m.instance->invalidations;
        w.acceleratorsBefore[m.instance] = m.instance->acceleratorCalls;
    }

    void instanceStep(const Step& s, Model& m) {
        World& w = *world_;
        pluginhost::Host& host = w.host;
        Instance* i = m.instance;
        application_->reactingSlot = s.slot;
        const ControlCallbacks& c = *i->definition->callbacks;
        const Mouse* mouse = mouseOf(m.className);
        const int x = static_cast<int>(s.n[0]), y = static_cast<int>(s.n[1]);
        switch (s.op) {
            case Op::Destroy:
                if (c.destruct) w.call();
                w.destructed(m);
                host.destroy(i);
                w.models.erase(s.slot);
                break;
            case Op::Bounds:
                host.setBounds(i, static_cast<int>(s.n[0]), static_cast<int>(s.n[1]), static_cast<int>(s.n[2]),
                               static_cast<int>(s.n[3]));
                m.bounds = i->bounds;
                break;
            case Op::Enable:
                i->enabled = m.enabled = s.n[0] != 0;
                break;
            case Op::Visible:
                i->visible = m.visible = s.n[0] != 0;
                break;
            case Op::TabVisible:
                i->tabPanelVisible = m.tabPanelVisible = s.n[0] != 0;
                break;
            case Op::Handler: {
                const bool answer = s.n[0] != 0;
                const int32_t slot = s.slot;
                host.on(i, s.word, [this, answer, slot](const pluginhost::EventCall& e) {
                    application_->react(slot, e.name);
                    return answer;
                });
                m.handlers[s.word] = answer;
                break;
            }
            case Op::NoHandler:
                host.off(i, s.word);
                m.handlers.erase(s.word);
                break;
            case Op::React:
                if (s.reaction.empty() || s.reaction == "none")
                    m.reactions.erase(s.word);
                else
                    m.reactions[s.word] = s;
                break;
            case Op::Draw:
            case Op::DrawOffscreen:
                if (s.op == Op::Draw ? c.draw != nullptr : c.drawOffscreen != nullptr) w.call();
                if (m.className == "BevelButton") World::painted(m);
                if (s.op == Op::Draw)
                    host.draw(i);
                else
                    host.drawOffscreen(i);
                break;
            case Op::Down:
                mouseDown(s, m, mouse);
                break;
            case Op::Drag:
                if (c.mouseDrag) w.call();
                if (mouse) mouse->drag(w, s, m, w.seenBounds(m));
                host.mouseDrag(i, x, y);
                break;
            case Op::Up:
                if (c.mouseUp) w.call();
                if (mouse) mouse->release(w, s, m, w.seenBounds(m));
                host.mouseUp(i, x, y);
                break;
            case Op::Move:
                if (c.mouseMove) w.call();
                if (mouse && mouse->hover) mouse->hover(w, s, m);
                host.mouseMove(i, x, y);
                break;
            case Op::Enter:
            case Op::Exit:
                if (s.op == Op::Enter ? c.mouseEnter != nullptr : c.mouseExit != nullptr) w.call();
                if (mouse && mouse->hover) mouse->hover(w, s, m);
                if (s.op == Op::Enter)
                    host.mouseEnter(i);
                else
                    host.mouseExit(i);
                break;
            case Op::Idle:
                if (c.idle) w.call();
                w.idled(m);
                host.idle(i);
                break;
            case Op::Open:
                if (c.open) w.call();
                host.open(i);
                break;
            case Op::Close:
                if (c.close) w.call();
                host.close(i);
                break;
            case Op::StateChanged:
                if (c.stateChanged) w.call();
                host.stateChanged(i);
                break;
            case Op::HandleQuery:
                if (c.handleQuery) w.call();
                if (const int32_t answer = host.handleQuery(i); answer != 0)
                    w.differ("handleQuery answered " + std::to_string(answer));
                break;
            case Op::Action:
                if (c.action) w.call();
                if (m.className == "BevelButton") w.fireAction(m);
                if (m.className == "DisclosureTriangle") w.event(m, "Action");
                host.action(i, static_cast<int32_t>(s.n[0]));
                break;
            case Op::ConstantChanged:
                if (c.constantChanged) w.call();
                if (m.className == "BevelButton") w.captionApplied(m);
                host.constantChanged(i);
                break;
            default:
                propertyStep(w, s, m);
                break;
        }
    }

    // --- the mouse: the host's calls around each family's expectations ----------------------

    void mouseDown(const Step& s, Model& m, const Mouse* mouse) {
        World& w = *world_;
        const ControlCallbacks& c = *m.instance->definition->callbacks;
        if (c.mouseDown) w.call();
        w.spy.keysDown = std::set<int>(s.keys.begin(), s.keys.end());
        const int popupsBefore = w.spy.popupMenuCalls();
        const bool expected = mouse && mouse->press(w, s, m, w.seenBounds(m));
        const bool opensMenu = w.menu.model != nullptr;
        const bool actual = w.host.mouseDown(m.instance, static_cast<int>(s.n[0]), static_cast<int>(s.n[1]));
        w.spy.keysDown.clear();
        if (opensMenu)
            menuClosed(w, m);
        else if (w.spy.popupMenuCalls() != popupsBefore)
            w.differ("a popup menu opened");
        if (c.mouseDown && actual != expected)
            w.differ(std::string("mouseDown answered ") + (actual ? "true" : "false") + ", expected " +
                     (expected ? "true" : "false"));
    }

    // The popup menu's loop: the plan compared, then the application's code
    // that runs meanwhile.
    UINT trackMenu(const pluginhost::PopupMenuCall& popup) {
        const UINT choice = menuShown(*world_, popup);
        if (world_->menu.model) application_->react(world_->menu.step->slot, kMenuLoop);
        return choice;
    }

    // --- the trace ---------------------------------------------------------------------------

    void trace(const Step& s) {
        if (!bench_.options.trace) return;
        const pluginhost::Host& host = bench_.host;
        std::string line = std::to_string(bench_.step) + " " + formatStep(s) + " | calls " +
                           std::to_string(bench_.result.calls) + " | events " + describe(eventsSeen(*world_), host);
        if (const Model* m = world_->modelOf(s.slot)) {
            char state[256];
            std::snprintf(state, sizeof state,
                          " | %s value %d pressed %d hot %d handled %d menu %d rows %zu receivers %zu bevel %d "
                          "type %d part %d frame %d facing %d repaints %d",
                          m->className.c_str(), m->value, m->pressed, m->hot, m->mouseDownHandled, m->menuValue,
                          m->rows.size(), m->receivers.size(), m->bevel, m->buttonType, m->pressedPart, m->frame,
                          m->facing, m->instance && !m->destroyed ? m->instance->invalidations : -1);
            line += state;
            line += " caption " + host.nameOf(m->caption);
        }
        if (!world_->stepMismatch.empty()) line += " | differs: " + world_->stepMismatch;
        std::fprintf(bench_.options.trace, "%s\n", line.c_str());
    }

    void traceVerdict() {
        if (!bench_.options.trace) return;
        const RunResult& r = bench_.result;
        const Fault& f = r.fault;
        const std::string verdict =
            r.faulted ? f.category + " at step " + std::to_string(f.step) + " on " + f.className + ": " + f.message
                      : "clean";
        std::fprintf(bench_.options.trace, "verdict %s after %lld steps, %lld calls; %s", verdict.c_str(),
                     static_cast<long long>(r.steps), static_cast<long long>(r.calls), r.coverage.text().c_str());
        std::fflush(bench_.options.trace);
    }
};

}  // namespace

RunResult runScript(const Script& script, const RunOptions& options) {
    Executor executor(script, options);
    return executor.run();
}

}  // namespace soak
