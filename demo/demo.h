// The demo: the plug-in's controls on a small form in a real window, played
// by the live host; every event goes to a log pane and, with --log, a file.
#pragma once

#include <cstdint>
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
    static constexpr int kHeight = 266;
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
    Control& add(const std::string& name, const std::string& className, int left, int top, int right, int bottom);
    Control* byInstance(const ControlInstance* control);
    Control* byReceiver(HostObject receiver);
    Control& named(const std::string& name);
    void setCaption(Control& button, const std::string& caption);
    void listen(Control& control);
    void record(const pluginhost::EventCall& call);
    void react(const Control& control, const std::string& event);
    void showGroup(bool shown);

    pluginhost::LiveHost& live_;
    EventLog& log_;
    std::vector<Control> controls_;
    std::vector<std::string> group_;  // shown and hidden by the triangle
    int counter_ = 0;
    HWND menuWindow_ = nullptr;  // the open popup menu, once recorded
};
