// The form: the controls, where they sit, what the application does with
// their events, and the records the log gets of them.
#include <algorithm>
#include <cstdio>

#include "demo.h"

using pluginhost::EventCall;
using pluginhost::Instance;

namespace {

// MN_GETHMENU: the menu a popup menu window shows.
constexpr UINT kGetMenuOfWindow = 0x01E1;
constexpr int kCounterMax = 999;
constexpr int kIconSize = 16;
// How long the slow arrows' Up handler works in its modal loop.
constexpr DWORD kModalWork = 250;
// The dropping arrows make themselves again at every this many Down events:
// the second of them is a repeat, fired from inside mouseDrag.
constexpr int kDownsPerDrop = 3;
constexpr int kPictureSize = 48;

// ButtonType, Bevel and HasMenu values of the bevel button.
constexpr int32_t kToggle = 1;
constexpr int32_t kSticky = 2;
constexpr int32_t kOneRing = 1;
constexpr int32_t kTwoRings = 2;
constexpr int32_t kThemedBevel = 4;
constexpr int32_t kMenuBelow = 1;
// The icon left of the caption, the caption right of the icon.
constexpr int32_t kIconLeft = 2;
constexpr int32_t kCaptionRightOfIcon = 2;

// Where the counter's digits start inside its placard.
constexpr int kDigitsLeft = 13;
constexpr int kDigitsTop = 4;

std::string describe(const EventCall& call) {
    std::string text = call.name;
    for (int32_t a : call.args) text += " " + std::to_string(a);
    return text;
}

// A small landscape for the image well.
COLORREF landscape(int x, int y) {
    const int dx = x - 34;
    const int dy = y - 12;
    if (dx * dx + dy * dy < 36) return RGB(250, 200, 40);  // the sun
    const int hill = 30 + (x - 24) * (x - 24) / 40;
    if (y > hill) return RGB(60, 140 - (y - hill), 60);
    return RGB(110 + y * 2, 170 + y, 235);
}

// A blue diamond on white for the push button's icon.
COLORREF diamond(int x, int y) {
    const int d = std::abs(x - 7) + std::abs(y - 7);
    if (d < 6) return RGB(30, 90, 200);
    if (d == 6) return RGB(10, 40, 120);
    return RGB(255, 255, 255);
}

}  // namespace

Form::Form(pluginhost::LiveHost& live, EventLog& log) : live_(live), log_(log) {
    // Controls are found by address: no reallocation after build().
    controls_.reserve(32);
}

Control& Form::add(const std::string& name, const std::string& className, int left, int top, int right, int bottom,
                   std::function<void(Control&)> setup) {
    Control control;
    control.name = name;
    control.className = className;
    control.bounds = RECT{left, top, right, bottom};
    control.setup = std::move(setup);
    controls_.push_back(control);
    make(controls_.back());
    return controls_.back();
}

void Form::make(Control& control) {
    pluginhost::InstanceOptions options;
    options.background = GetSysColor(COLOR_BTNFACE);
    const RECT& b = control.bounds;
    control.instance = live_.create(control.className, b.left, b.top, b.right, b.bottom, options);
    if (!control.instance) return;
    listen(control);
    if (control.setup) control.setup(control);
}

void Form::renew(const std::string& name) {
    Control& control = named(name);
    if (!control.instance) return;
    live_.destroy(control.instance);
    control.instance = nullptr;
    if (control.receiver) host().releaseObject(control.receiver);
    control.receiver = nullptr;
    make(control);
    log_.write("renewed", name);
}

void Form::workModally() {
    log_.write("modal", "begin");
    const DWORD end = GetTickCount() + kModalWork;
    for (int32_t left = int32_t(kModalWork); left > 0; left = int32_t(end - GetTickCount())) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(left), QS_ALLINPUT);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {  // for the main loop, which ends after this
                PostQuitMessage(int(m.wParam));
                return;
            }
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    log_.write("modal", "end");
}

void Form::observePress(Instance* instance, pluginhost::LiveHost::Press press, POINT at) {
    using Press = pluginhost::LiveHost::Press;
    const std::string point = std::to_string(at.x) + " " + std::to_string(at.y);
    if (press == Press::Begin) {
        const Control* control = byInstance(instance->control);
        pressedName_ = control ? control->name : "?";
        log_.write("press", pressedName_ + " " + point);
    } else if (press == Press::Done) {
        log_.write("done", pressedName_);
    } else if (press == Press::Release) {
        log_.write("release", pressedName_ + " " + point);
    } else {
        log_.write("cancel", pressedName_);
    }
}

Control* Form::byInstance(const ControlInstance* control) {
    for (Control& c : controls_)
        if (c.instance && live_.alive(c.instance) && c.instance->control == control) return &c;
    return nullptr;
}

Control* Form::byReceiver(HostObject receiver) {
    for (Control& c : controls_)
        if (c.receiver == receiver) return &c;
    return nullptr;
}

Control& Form::named(const std::string& name) {
    for (Control& c : controls_)
        if (c.name == name) return c;
    static Control none;
    return none;
}

void Form::addRows(Control& button, const std::vector<const char*>& rows) {
    for (const char* row : rows) {  // null: a separator
        if (!row) {
            host().call(button.instance, "AddSeparator");
            continue;
        }
        HostString text = host().makeString(row);
        host().call(button.instance, "AddRow", {reinterpret_cast<intptr_t>(text)});
        host().releaseString(text);
    }
}

void Form::setCaption(Control& button, const std::string& caption) {
    HostString text = host().makeString(caption);
    host().setString(button.instance, "Caption", text);
    host().releaseString(text);
    // Every action of a bevel button is told to its receiver as well.
    button.receiver = host().makeReceiver();
    host().call(button.instance, "addActionNotificationReceiver", {reinterpret_cast<intptr_t>(button.receiver)});
}

// A handler for every event the class declares: the application listens to
// all of them (handlers answer false, so the controls keep their clicks).
void Form::listen(Control& control) {
    const ControlDefinition& d = *control.instance->definition;
    for (int32_t i = 0; i < d.eventCount && d.events; ++i) {
        std::string event = d.events[i].declaration ? d.events[i].declaration : "";
        event = event.substr(0, event.find_first_of("( "));
        const std::string name = control.name;
        host().on(control.instance, event, [this, name, event](const EventCall&) {
            // The member takes the click of its MouseDown when it renews itself there.
            return react(named(name), event);
        });
    }
}

void Form::record(const EventCall& call) {
    const Control* control = call.name == "PerformAction" ? byReceiver(call.receiver) : byInstance(call.instance);
    const std::string name = control ? control->name : "?";
    log_.write("event", name + " " + describe(call));
    log_.show(name + (call.receiver ? " receiver" : "") + ":  " + describe(call));
}

bool Form::react(const Control& control, const std::string& event) {
    Instance* i = control.instance;
    // Handlers that destroy their own control and make it again, from each
    // callback that fires events: Action after a click (mouseUp), after
    // Alt+letter and after a menu choice (mouseDown), MouseDown, Up in
    // mouseDown and Down in mouseDrag.
    if (control.name == "renew" && event == "Action") {
        renew("renew");
    } else if (control.name == "rebuild" && event == "Action") {
        const int32_t row = host().getInteger(i, "MenuValue");
        log_.write("menuvalue", control.name + " " + std::to_string(row));
        for (const char* name : {"drop", "slow", "member"}) renew(name);
        if (row == 1) renew("rebuild");
    } else if (control.name == "drop" && event == "Up") {
        renew("drop");
    } else if (control.name == "drop" && event == "Down") {
        if (++drops_ % kDownsPerDrop == 0) renew("drop");
    } else if (control.name == "slow" && event == "Up") {
        workModally();
    } else if (control.name == "member" && event == "MouseDown") {
        if (host().getInteger(i, "Value") == 0) return false;
        renew("member");
        return true;
    } else if (control.name == "member" && event == "Action") {
        log_.write("value", control.name + " " + std::to_string(host().getInteger(i, "Value")));
    } else if (control.name == "arrows" && (event == "Up" || event == "Down")) {
        counter_ = std::clamp(counter_ + (event == "Up" ? 1 : -1), 0, kCounterMax);
        log_.write("counter", std::to_string(counter_));
        if (Instance* placard = named("counter").instance) InvalidateRect(placard->window, nullptr, FALSE);
    } else if (event != "Action") {
        return false;
    } else if (control.name == "toggle" || control.name == "sticky" || control.name == "busy") {
        const int32_t value = host().getInteger(i, "Value");
        log_.write("value", control.name + " " + std::to_string(value));
        if (control.name == "busy") live_.setIdling(named("chasing").instance, value != 0);
    } else if (control.name == "align") {
        log_.write("menuvalue", control.name + " " + std::to_string(host().getInteger(i, "MenuValue")));
    } else if (control.name == "triangle") {
        const bool shown = host().getInteger(i, "Value") != 0;
        showGroup(shown);
        log_.write("shown", "group " + std::to_string(shown ? 1 : 0));
    }
    return false;
}

void Form::showGroup(bool shown) {
    for (const std::string& name : group_)
        if (Instance* i = named(name).instance) live_.setVisible(i, shown);
}

void Form::build() {
    host().onRecord = [this](const EventCall& call) { record(call); };
    live_.pressObserver = [this](Instance* instance, pluginhost::LiveHost::Press press, POINT at) {
        observePress(instance, press, at);
    };

    Control& push = add("push", "BevelButton", 16, 28, 104, 52);
    setCaption(push, "Push");
    HostObject icon = host().makePicture(kIconSize, kIconSize, diamond);
    host().setPicture(push.instance, "Icon", icon);
    host().releaseObject(icon);
    host().setInteger(push.instance, "IconAlign", kIconLeft);
    host().setInteger(push.instance, "IconDX", 4);
    host().setInteger(push.instance, "CaptionPlacement", kCaptionRightOfIcon);
    host().setInteger(push.instance, "Bevel", kThemedBevel);

    Control& toggle = add("toggle", "BevelButton", 112, 28, 200, 52);
    setCaption(toggle, "Toggle");
    host().setInteger(toggle.instance, "ButtonType", kToggle);
    host().setInteger(toggle.instance, "Bevel", kOneRing);

    Control& sticky = add("sticky", "BevelButton", 208, 28, 296, 52);
    setCaption(sticky, "Sticky");
    host().setInteger(sticky.instance, "ButtonType", kSticky);
    host().setInteger(sticky.instance, "Bevel", kTwoRings);

    Control& align = add("align", "BevelButton", 208, 60, 296, 84);
    setCaption(align, "Align");
    host().setInteger(align.instance, "HasMenu", kMenuBelow);
    host().setInteger(align.instance, "Bevel", kThemedBevel);
    addRows(align, {"Left", "Centre", nullptr, "Right"});

    Control& save = add("save", "BevelButton", 16, 60, 104, 84);
    setCaption(save, "&Save");
    host().setInteger(save.instance, "Bevel", kThemedBevel);

    Control& busy = add("busy", "BevelButton", 112, 60, 200, 84);
    setCaption(busy, "Busy");
    host().setInteger(busy.instance, "ButtonType", kToggle);
    host().setInteger(busy.instance, "Bevel", kThemedBevel);

    // Spins while Busy is down.
    Control& chasing = add("chasing", "ChasingArrows", 308, 64, 324, 80);
    live_.setIdling(chasing.instance, false);

    add("rule1", "Separator", 16, 96, 330, 100);

    add("arrows", "LittleArrows", 16, 122, 29, 145);
    add("counter", "Placard", 36, 122, 96, 146);
    live_.overlay = [this](Instance* instance, HDC dc) {
        if (instance != named("counter").instance) return;
        const HostRect& b = instance->bounds;
        drawDigits(dc, b.left + kDigitsLeft, b.top + kDigitsTop, counter_, RGB(0, 0, 0));
    };
    for (int32_t facing = 0; facing < 4; ++facing) {
        const int left = 120 + facing * 16;
        Control& arrow = add("popup" + std::to_string(facing), "PopupArrow", left, 126, left + 10, 136);
        host().setInteger(arrow.instance, "Facing", facing);
    }

    add("rule2", "Separator", 16, 156, 330, 160);
    add("triangle", "DisclosureTriangle", 16, 168, 28, 180);

    // The group the triangle shows: hidden at first.
    Control& well = add("well", "ImageWell", 16, 188, 80, 252);
    HostObject picture = host().makePicture(kPictureSize, kPictureSize, landscape);
    host().setPicture(well.instance, "Image", picture);
    host().releaseObject(picture);
    add("rule3", "Separator", 88, 188, 92, 252);
    Control& dark = add("dark", "Placard", 100, 188, 220, 212);
    host().setInteger(dark.instance, "Value", 1);
    group_ = {"well", "rule3", "dark"};
    for (int32_t facing = 4; facing < 8; ++facing) {
        const int left = 100 + (facing - 4) * 12;
        const std::string name = "popup" + std::to_string(facing);
        Control& arrow = add(name, "PopupArrow", left, 224, left + 6, 230);
        host().setInteger(arrow.instance, "Facing", facing);
        group_.push_back(name);
    }
    showGroup(false);

    // The row of handlers that make their own controls again.
    add("renew", "BevelButton", 16, 274, 104, 298, [this](Control& c) {
        setCaption(c, "&Renew");
        host().setInteger(c.instance, "Bevel", kOneRing);
    });
    add("rebuild", "BevelButton", 112, 274, 200, 298, [this](Control& c) {
        setCaption(c, "Re&build");
        host().setInteger(c.instance, "HasMenu", kMenuBelow);
        host().setInteger(c.instance, "Bevel", kThemedBevel);
        addRows(c, {"The row", "The row and itself"});
    });
    add("drop", "LittleArrows", 208, 274, 221, 297, [this](Control&) { drops_ = 0; });
    add("slow", "LittleArrows", 228, 274, 241, 297);
    add("member", "BevelButton", 248, 274, 330, 298, [this](Control& c) {
        setCaption(c, "&Member");
        host().setInteger(c.instance, "ButtonType", kToggle);
        host().setInteger(c.instance, "Bevel", kTwoRings);
    });
}

void Form::paintLabels(HDC dc) const {
    static const Label kLabels[] = {
        {16, 9, L"Bevel buttons"},   {16, 104, L"Counter"},
        {120, 104, L"Popup arrows"}, {34, 166, L"More"},
        {16, 258, L"Handlers that make their controls again"},
        {kLogLeft, 9, L"Events"},
    };
    HGDIOBJ previousFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF previousColour = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    for (const Label& label : kLabels) TextOutW(dc, label.x, label.y, label.text, int(wcslen(label.text)));
    SetTextColor(dc, previousColour);
    SetBkMode(dc, previousMode);
    SelectObject(dc, previousFont);
}

void Form::logLayout(HWND window) const {
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    RECT frame;
    GetWindowRect(window, &frame);
    log_.write("origin", std::to_string(origin.x) + " " + std::to_string(origin.y));
    RECT client;
    GetClientRect(window, &client);
    log_.write("client", std::to_string(client.right) + " " + std::to_string(client.bottom));
    log_.write("window", std::to_string(frame.left) + " " + std::to_string(frame.top) + " " +
                             std::to_string(frame.right) + " " + std::to_string(frame.bottom));
    for (const Control& c : controls_) {
        if (!c.instance) continue;
        const HostRect& b = c.instance->bounds;
        log_.write("layout", c.name + " " + c.instance->className + " " + std::to_string(b.left) + " " +
                                 std::to_string(b.top) + " " + std::to_string(b.right) + " " +
                                 std::to_string(b.bottom));
    }
    for (const Control& c : controls_) {
        if (c.name != "counter" || !c.instance) continue;
        const HostRect& b = c.instance->bounds;
        log_.write("digits", std::to_string(b.left + kDigitsLeft) + " " + std::to_string(b.top + kDigitsTop) + " " +
                                 std::to_string(kDigitPitch) + " " + std::to_string(kDigits));
    }
}

void Form::watchMenu() {
    HWND menuWindow = FindWindowW(L"#32768", nullptr);
    if (menuWindow && !IsWindowVisible(menuWindow)) menuWindow = nullptr;
    if (menuWindow == menuWindow_) return;
    menuWindow_ = menuWindow;
    if (!menuWindow) {
        logIdle("menu-closed");
        log_.write("menu", "closed");
        return;
    }
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, kGetMenuOfWindow, 0, 0));
    const int rows = menu ? GetMenuItemCount(menu) : 0;
    logIdle("menu-open");
    log_.write("menu", "open " + std::to_string(rows));
    for (int row = 0; row < rows; ++row) {
        RECT r{};
        // A popup menu's rows are asked for without a window.
        GetMenuItemRect(nullptr, menu, UINT(row), &r);
        const UINT state = GetMenuState(menu, UINT(row), MF_BYPOSITION);
        const char* kind = (state & MF_SEPARATOR) ? "separator" : (state & MF_CHECKED) ? "checked" : "plain";
        log_.write("menurow", std::to_string(row) + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                                  std::to_string(r.right) + " " + std::to_string(r.bottom) + " " + kind);
    }
}

void Form::logIdle(const char* when) const {
    for (const Control& c : controls_)
        if (c.name == "chasing" && c.instance)
            log_.write("idle", std::string(when) + " chasing " + std::to_string(live_.idleCalls(c.instance)));
}
