// A soak run as data: the system and host it runs against, the host strings,
// pictures and receivers it hands over, and its steps, one host call (or
// host-side change) each. Written and read back as plain text, so that any
// run, and any part of one, can be replayed.
//
//   classiccontrols-soak 1
//   seed 7 run 3
//   system xp language 1041 uxtheme present
//   withhold ZOKAGetControlEnabled StringGetCString
//   clock 4294967000
//   defaults caption "Untitled" font "System" size 12 charset 1
//   string s1 0x08000100 "Save &As\xE2\x80\xA6"
//   picture p1 16 16 3 plain
//   receiver r1
//   steps
//   create 0 BevelButton 10 20 70 42 0
//   sets 0 Caption s1
//   down 0 15 25 18,65 4 0
//   ...
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace soak {

// Everything a step can do; the text name of each is in script.cpp.
enum class Op {
    Create,           // slot class left top right bottom insideTab
    Destroy,          // slot
    Bounds,           // slot left top right bottom
    Enable,           // slot 0|1
    Visible,          // slot 0|1
    TabVisible,       // slot 0|1
    Handler,          // slot event answer: the application handles the event
    NoHandler,        // slot event
    SetInteger,       // slot property value
    GetInteger,       // slot property
    SetString,        // slot property ref
    GetString,        // slot property
    SetPicture,       // slot property ref
    GetPicture,       // slot property
    Call,             // slot method number ref
    Assign,           // slot row ref: List(row) = ref
    Rows,             // slot: reads every row back through List
    Draw,             // slot
    DrawOffscreen,    // slot
    Down,             // slot x y keys menuPick redraw
    Drag,             // slot x y
    Up,               // slot x y
    Move,             // slot x y
    Enter,            // slot
    Exit,             // slot
    Idle,             // slot
    Open,             // slot
    Close,            // slot
    ConstantChanged,  // slot
    DefaultsReset,    // slot
    StateChanged,     // slot
    Action,           // slot argument
    HandleQuery,      // slot
    Tick,             // milliseconds the clock moves on
    Supply,           // entry point the host starts to supply
    Release,          // ref: the host drops its own reference
    Surface,          // style of the device contexts lent from now on
    React,            // slot event reaction ref number: what the application's code does when the event
                      // (or "Menu": the popup menu's loop) reaches it; number: the other slot, or the rounds
};

// What the application's code does when an event reaches it (React steps).
// The first five change the bevel button that fired; the rest serve every
// class.
constexpr const char* kRemoveReceiver = "removereceiver";  // ref: unregister it
constexpr const char* kAddReceiver = "addreceiver";        // ref: register it
constexpr const char* kDeleteRows = "deleterows";
constexpr const char* kAddRow = "addrow";              // ref: a row of that text
constexpr const char* kSetCaption = "caption";         // ref: the new caption
constexpr const char* kDestroySelf = "destroyself";    // the host destroys the control that fired
constexpr const char* kDestroyOther = "destroyother";  // number: the slot of the control destroyed
constexpr const char* kDestroyAll = "destroyall";      // every control, the one that fired too
constexpr const char* kModalLoop = "modal";            // number: rounds of a modal loop of the application's own
// The event name of a reaction that runs inside the popup menu's modal loop.
constexpr const char* kMenuLoop = "Menu";

// No menu choice in a Down step: the menu closes without one.
constexpr int32_t kNoChoice = -1;

struct Step {
    Step() = default;
    explicit Step(Op op, int32_t slot = -1, std::string word = {}) : op(op), slot(slot), word(std::move(word)) {}
    Op op = Op::Tick;
    int32_t slot = -1;
    std::string word;      // class, property, method, event or entry point
    std::string reaction;  // React: one of kReactions, or none
    int64_t n[5] = {0, 0, 0, 0, 0};
    std::string ref;           // "s3", "p1", "r2" or "nil"
    std::vector<int> keys;     // virtual keys held down (Down)
    int32_t pick = kNoChoice;  // Down: which selectable menu item is chosen, modulo their number
    int32_t redraw = 0;        // Down: 1 draw, 2 drawOffscreen while the menu is open
};

struct StringDef {
    uint32_t encoding = 0;
    std::string bytes;
};

struct PictureDef {
    int32_t width = 0;
    int32_t height = 0;
    uint8_t flag = 0;
    bool odd = false;  // the description's size only; drawn from a small bitmap
};

struct Config {
    uint64_t seed = 0;
    int64_t run = 0;
    std::string system = "xp";  // "98", "xp" or "7"
    uint16_t language = 1033;
    std::string uxtheme = "present";  // "present", "missing" or "nothemes"
    std::vector<std::string> withheld;
    uint32_t clock = 0;
    std::string defaultCaption = "Untitled";
    std::string defaultFont = "System";
    int32_t defaultFontSize = 12;
    int32_t charset = 1;
};

struct Script {
    Config config;
    std::map<std::string, StringDef> strings;    // by ref
    std::map<std::string, PictureDef> pictures;  // by ref
    std::vector<std::string> receivers;
    std::vector<Step> steps;
};

const char* opName(Op op);
std::string formatStep(const Step& step);
std::string formatScript(const Script& script);
// False, with the reason in error, when text is not a script.
bool parseScript(const std::string& text, Script& script, std::string& error);

// Bytes as a double-quoted text: printable ASCII as it is, everything else
// (and the quote and the backslash) as \xHH.
std::string quoted(const std::string& bytes);

}  // namespace soak
