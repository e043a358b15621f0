// The demo: the plug-in's controls on a small form in a real window, played
// by the live host; every event goes to a log pane and, with --log, a file.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <windows.h>

#include "live_host.h"

// --- the event log -------------------------------------------------------------

// One line per record, "<ms> <kind> <fields...>", the time from
// pluginhost::millisecondClock(); the pane shows the events as they come.
class EventLog {
public:
    bool open(const std::string& path);  // the file; without one only the pane shows events
    void setPane(HWND listBox) { pane_ = listBox; }
    void write(const std::string& kind, const std::string& fields);
    void show(const std::string& text);  // the pane only, at the next flush
    // Puts what show() gathered into the pane, in one redraw: the pane is
    // updated on a timer, never inside a control's callback.
    void flush();

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HWND pane_ = nullptr;
    std::vector<std::string> pending_;
};

// --- the counter's digits ------------------------------------------------------

// A number drawn as seven-segment digits, right-aligned in kDigits cells from
// (left, top); blank leading cells. The segments of a cell (left, top, right,
// bottom from the cell's corner), in the order a to g: top, upper right,
// lower right, bottom, lower left, upper left, middle.
constexpr int kDigits = 3;
constexpr int kDigitPitch = 12;
constexpr int kDigitWidth = 9;
constexpr int kDigitHeight = 16;
void drawDigits(HDC dc, int left, int top, int value, COLORREF ink);

// --- the form ------------------------------------------------------------------

struct Control {
    std::string name;
    std::string className;
    RECT bounds{};
    // Properties and rows of a fresh instance: a control that is made again
    // (renew) comes back as it was first made.
    std::function<void(Control&)> setup;
    pluginhost::Instance* instance = nullptr;
    HostObject receiver = nullptr;  // bevel buttons: told of every action
};

struct Label {
    int x;
    int y;
    const wchar_t* text;
};

class Form {
public:
    static constexpr int kWidth = 620;  // client area
    static constexpr int kHeight = 308;
    static constexpr int kLogLeft = 348;  // the log pane fills the rest to the right

    Form(pluginhost::LiveHost& live, EventLog& log);
    void build();  // every control, their events and the layout records
    void paintLabels(HDC dc) const;
    void logLayout(HWND window) const;
    // Records the rows of a popup menu that has opened, and its closing.
    void watchMenu();
    void logIdle(const char* when) const;

    const std::vector<Control>& controls() const { return controls_; }

private:
    pluginhost::Host& host() const { return live_.host(); }
    Control& add(const std::string& name, const std::string& className, int left, int top, int right, int bottom,
                 std::function<void(Control&)> setup = nullptr);
    void make(Control& control);
    // Destroys the control's instance and makes it again in its place; also
    // from inside one of its own handlers.
    void renew(const std::string& name);
    // A handler's own modal loop: messages go on being dispatched (a message
    // box's loop would do the same) until the work is done.
    void workModally();
    void observePress(pluginhost::Instance* instance, pluginhost::LiveHost::Press press, POINT at);
    Control* byInstance(const ControlInstance* control);
    Control* byReceiver(HostObject receiver);
    Control& named(const std::string& name);
    void setCaption(Control& button, const std::string& caption);
    void addRows(Control& button, const std::vector<const char*>& rows);
    void listen(Control& control);
    void record(const pluginhost::EventCall& call);
    // What the application does with an event; the answer of a Boolean one.
    bool react(const Control& control, const std::string& event);
    void showGroup(bool shown);

    pluginhost::LiveHost& live_;
    EventLog& log_;
    std::vector<Control> controls_;
    std::vector<std::string> group_;  // shown and hidden by the triangle
    int counter_ = 0;
    int drops_ = 0;             // Down fired by the dropping arrows since they were made
    std::string pressedName_;   // the control of the press under way
    HWND menuWindow_ = nullptr;  // the open popup menu, once recorded
};
