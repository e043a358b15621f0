// The random host's builder of one run, shared by its rooms (generator.cpp,
// generator_values.cpp and generator_bevel.cpp).
#pragma once

#include <deque>

#include "generator.h"

namespace soak {

template <typename T, size_t N>
const T& pickFrom(Random& r, const T (&items)[N]) {
    return items[r.below(N)];
}

constexpr int32_t kInt32Min = INT32_MIN;
constexpr int32_t kInt32Max = INT32_MAX;

// Hostile values for any 32-bit field.
constexpr int64_t kHostileIntegers[] = {kInt32Min, kInt32Max, -1, 256, 65536 + 5, 32768, -32769, 0x7FFF, 0x10000};

struct Slot {
    std::string className;
    bool alive = false;
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    int rows = 0;
    std::string caption;  // bytes of the caption last set, for accelerators
};

class Builder {
public:
    Builder(uint64_t seed, int64_t run);
    Script build(int steps);

private:
    Random r_;
    Script script_;
    std::vector<Slot> slots_;
    std::vector<std::string> strings_;  // held by the host, still usable
    std::vector<std::string> pictures_;
    std::vector<std::string> receivers_;
    std::deque<Step> pending_;  // the rest of a gesture
    std::map<int, std::string> lateSupplies_;

    void push(const Step& step) { script_.steps.push_back(step); }

    // generator_values.cpp
    void makeConfig(int steps);
    std::string text(int length);
    int length();
    static std::string utf8(uint32_t c);
    std::string unicodeText(int length);
    std::string addString(const StringDef& def);
    std::string newString();
    std::string acceleratedCaption();
    std::string fontName();
    std::string newPicture();
    std::string newReceiver();
    std::string anyOf(std::vector<std::string>& held, uint32_t nilPercent, std::string (Builder::*make)());
    std::string anyString();
    std::string anyPicture();
    std::string anyReceiver();
    void release(std::vector<std::string>& held, size_t index);
    void maybeReleaseAfterUse(const std::string& ref);
    int64_t integerFor(const std::string& property, int rows);

    // generator.cpp
    std::vector<int> live(const char* className = nullptr) const;
    void bounds(const std::string& className, int64_t b[4]);
    void create();
    static std::vector<std::string> eventsOf(const std::string& className);
    void point(const Slot& slot, int64_t& x, int64_t& y);
    void gesture(int slotIndex, uint32_t altPercent = 25);
    void smallControlStep(int slotIndex);
    void randomStep(bool duringGesture);

    // generator_bevel.cpp
    void bevelButtonStep(int slotIndex);
    void reaction(int slotIndex);
    void addReceivers(int slotIndex);
    void lifetimeReaction(int slotIndex);
    void armTrigger(int slotIndex, const std::string& event);
    void rowStep(int slotIndex);
};

}  // namespace soak
