// The random host's steps for a bevel button, and the application's
// reactions: handlers that change the button while its receivers are told,
// and, for every class, that destroy controls or run a modal loop.
#include <algorithm>

#include "builder.h"

namespace soak {

constexpr int kMaxRows = 24;

void Builder::bevelButtonStep(int slotIndex) {
    Slot& slot = slots_[static_cast<size_t>(slotIndex)];
    static const char* const integers[] = {
        "CaptionAlign", "CaptionPlacement", "CaptionDelta", "IconAlign", "IconDX", "IconDY", "Bevel",    "HasMenu",
        "Value",        "MenuValue",        "ButtonType",   "TextSize",  "Bold",   "Italic", "Underline"};
    Step s;
    s.slot = slotIndex;
    const uint32_t kind = r_.below(100);
    if (kind < 18) {
        s.op = Op::SetInteger;
        s.word = pickFrom(r_, integers);
        s.n[0] = integerFor(s.word, slot.rows);
    } else if (kind < 22) {
        s.op = Op::GetInteger;
        s.word = pickFrom(r_, integers);
    } else if (kind < 28) {
        s.op = Op::SetString;
        s.word = r_.percent(70) ? "Caption" : "TextFont";
        s.ref = s.word == "TextFont" && r_.percent(60) ? fontName() : anyString();
        if (s.word == "Caption") {
            auto def = script_.strings.find(s.ref);
            slot.caption = def == script_.strings.end() ? std::string() : def->second.bytes;
        }
    } else if (kind < 30) {
        s.op = Op::GetString;
        s.word = r_.percent(70) ? "Caption" : "TextFont";
    } else if (kind < 33) {
        s.op = Op::SetPicture;
        s.word = "Icon";
        s.ref = anyPicture();
    } else if (kind < 34) {
        s.op = Op::GetPicture;
        s.word = "Icon";
    } else if (kind < 50) {
        return rowStep(slotIndex);
    } else if (kind < 54) {
        s.op = Op::Call;
        const bool add = receivers_.empty() || r_.percent(60);
        s.word = add ? "addActionNotificationReceiver" : "removeActionNotificationReceiver";
        s.ref = add ? anyReceiver() : (r_.percent(80) ? receivers_[r_.below(uint32_t(receivers_.size()))] : "nil");
    } else if (kind < 70) {
        return gesture(slotIndex);
    } else if (kind < 76) {
        s.op = r_.percent(50) ? Op::Enter : Op::Exit;
    } else if (kind < 80) {
        return reaction(slotIndex);
    } else {
        const Op others[] = {Op::Action,       Op::ConstantChanged, Op::DefaultsReset, Op::Open,          Op::Close,
                             Op::StateChanged, Op::HandleQuery,     Op::Draw,          Op::DrawOffscreen, Op::Draw};
        s.op = pickFrom(r_, others);
        s.n[0] = static_cast<int32_t>(r_.next());
    }
    push(s);
    if (s.op == Op::SetString || s.op == Op::SetPicture || s.word == "addActionNotificationReceiver")
        maybeReleaseAfterUse(s.ref);
}

// --- reactions -----------------------------------------------------------------------------

// What the application's code does when an event reaches a bevel
// button: mostly changes to the receivers while they are being told.
void Builder::reaction(int slotIndex) {
    if (r_.percent(40)) return lifetimeReaction(slotIndex);
    Step s(Op::React, slotIndex);
    const char* const events[] = {"PerformAction", "PerformAction", "PerformAction", "Action",
                                  "MouseDown",     "MouseUp",       kMenuLoop};
    s.word = pickFrom(r_, events);
    const uint32_t kind = r_.below(10);
    if (kind < 5) {
        s.reaction = kRemoveReceiver;
        s.ref = receivers_.empty() ? anyReceiver() : receivers_[r_.below(uint32_t(receivers_.size()))];
    } else if (kind < 6) {
        // Not from PerformAction: every action would double the list.
        s.reaction = kAddReceiver;
        s.ref = anyReceiver();
        if (s.word == "PerformAction") s.word = "Action";
    } else if (kind < 7) {
        s.reaction = kDeleteRows;
    } else if (kind < 8) {
        s.reaction = kAddRow;
        s.ref = anyString();
    } else if (kind < 9) {
        s.reaction = kSetCaption;
        s.ref = anyString();
    } else {
        s.reaction = "none";
    }
    push(s);
    addReceivers(slotIndex);
}

// Reactions show only with receivers to tell.
void Builder::addReceivers(int slotIndex) {
    for (int i = 0; i < 2; ++i) {
        Step add(Op::Call, slotIndex, "addActionNotificationReceiver");
        add.ref = anyReceiver();
        push(add);
    }
}

// A handler (a receiver's PerformAction, the menu's loop) that destroys
// the control it was called from, another one or all of them, or runs a
// modal loop of its own; then what makes it run. The controls it may
// destroy are used no more, and one that stays has the reaction taken
// away again, so that it runs once.
void Builder::lifetimeReaction(int slotIndex) {
    const std::string className = slots_[static_cast<size_t>(slotIndex)].className;
    std::vector<std::string> events = eventsOf(className);
    if (className == "BevelButton") events = {"PerformAction", "Action", "MouseDown", "MouseUp", kMenuLoop};
    if (events.empty()) return;
    Step s(Op::React, slotIndex);
    s.word = events[r_.below(static_cast<uint32_t>(events.size()))];
    const char* const reactions[] = {kDestroySelf, kDestroySelf, kDestroyOther, kDestroyAll, kModalLoop};
    s.reaction = pickFrom(r_, reactions);
    std::vector<int> others = live();
    others.erase(std::remove(others.begin(), others.end(), slotIndex), others.end());
    if (s.reaction == kDestroyOther && others.empty()) s.reaction = kDestroySelf;
    if (s.reaction == kDestroyOther) s.n[0] = others[r_.below(static_cast<uint32_t>(others.size()))];
    if (s.reaction == kModalLoop) s.n[0] = r_.between(1, 3);
    push(s);
    armTrigger(slotIndex, s.word);

    // What makes the handler run: the action callback, a click, or the
    // accelerator; the host now and then does something else meanwhile.
    const bool acts = s.word == "Action" || s.word == "PerformAction";
    const bool byAction = acts && r_.percent(30);
    if (byAction) {
        push(Step(Op::Action, slotIndex));
    } else if (acts && className == "BevelButton" && r_.percent(40)) {
        Step caption(Op::SetString, slotIndex, "Caption");
        caption.ref = acceleratedCaption();
        slots_[static_cast<size_t>(slotIndex)].caption = script_.strings[caption.ref].bytes;
        push(caption);
        gesture(slotIndex, 100);
    } else {
        gesture(slotIndex);
    }
    if (s.reaction == kDestroySelf || s.reaction == kDestroyAll) {
        for (Slot& slot : slots_)
            if (s.reaction == kDestroyAll || &slot == &slots_[static_cast<size_t>(slotIndex)]) slot.alive = false;
        return;
    }
    if (s.reaction == kDestroyOther) slots_[static_cast<size_t>(s.n[0])].alive = false;
    Step disarm = s;
    disarm.reaction = "none";
    disarm.n[0] = 0;
    if (byAction)
        push(disarm);
    else
        pending_.push_back(disarm);
}

// What the event of a reaction needs to reach the application: a handler,
// receivers, a menu; a MouseUp comes after a click MouseDown took.
void Builder::armTrigger(int slotIndex, const std::string& event) {
    Step s(Op::SetInteger, slotIndex);
    if (slots_[static_cast<size_t>(slotIndex)].className == "BevelButton" && event != kMenuLoop) {
        // Clicks of every button type, mostly without a menu.
        s.word = "ButtonType";
        s.n[0] = r_.between(0, 2);
        push(s);
        if (r_.percent(70)) {
            s.word = "HasMenu";
            s.n[0] = 0;
            push(s);
        }
    }
    if (event == "PerformAction") return addReceivers(slotIndex);
    if (event == kMenuLoop) {
        s.word = "HasMenu";
        s.n[0] = r_.between(1, 2);
        return push(s);
    }
    s.op = Op::Handler;
    s.word = event;
    s.n[0] = r_.percent(30) ? 1 : 0;
    push(s);
    if (event == "MouseUp" && slots_[static_cast<size_t>(slotIndex)].className == "BevelButton" && r_.percent(50)) {
        s.word = "MouseDown";
        s.n[0] = 1;
        push(s);
    }
}

// --- rows ----------------------------------------------------------------------------------

void Builder::rowStep(int slotIndex) {
    Slot& slot = slots_[static_cast<size_t>(slotIndex)];
    Step s(Op::Call, slotIndex);
    auto row = [&]() -> int64_t {
        if (r_.percent(8)) return pickFrom(r_, kHostileIntegers);
        return r_.between(-2, slot.rows + 1);
    };
    const uint32_t kind = r_.below(100);
    bool changes = true;
    if (kind < 30 && slot.rows < kMaxRows) {
        s.word = "AddRow";
        s.ref = anyString();
        ++slot.rows;
    } else if (kind < 38 && slot.rows < kMaxRows) {
        s.word = "AddSeparator";
        ++slot.rows;
    } else if (kind < 50 && slot.rows < kMaxRows) {
        s.word = "InsertRow";
        s.n[0] = row();
        s.ref = anyString();
        ++slot.rows;
    } else if (kind < 62) {
        s.word = "RemoveRow";
        s.n[0] = row();
        if (s.n[0] >= 0 && s.n[0] < slot.rows) --slot.rows;
    } else if (kind < 66) {
        s.word = "DeleteAllRows";
        slot.rows = 0;
    } else if (kind < 82) {
        s.word = "List";
        s.n[0] = row();
        changes = false;
    } else {
        s.op = Op::Assign;
        s.n[0] = row();
        s.ref = anyString();
    }
    push(s);
    if (!s.ref.empty()) maybeReleaseAfterUse(s.ref);
    if (changes && r_.percent(70)) push(Step(Op::Rows, slotIndex));
}

}  // namespace soak
