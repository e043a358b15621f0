#include "controls/bevel_button/receivers.h"

#include <new>

#include "host_services/events.h"
#include "host_services/resolver.h"

namespace bevel_button {

static constexpr const char* kReceiverInterface = "actionNotificationReceiver";
static constexpr const char* kReceiverRoutine = "PerformAction";

// The serial of the last registration made, by any instance.
static uint64_t gLastReceiverSerial = 0;

void removeAllReceivers(InstanceData& data) {
    while (data.receivers != nullptr) {
        ReceiverNode* node = data.receivers;
        data.receivers = node->next;
        host::ZOKAUnlockObject(node->receiver);
        delete node;
    }
}

void addActionNotificationReceiver(ControlInstance* control, HostObject receiver) {
    // A nil receiver could never be told anything; it is not registered.
    if (receiver == nullptr) {
        return;
    }
    InstanceData& data = dataOf(control);
    ReceiverNode* node = new (std::nothrow) ReceiverNode{data.receivers, receiver, ++gLastReceiverSerial};
    if (node == nullptr) {
        return;
    }
    host::ZOKALockObject(receiver);
    data.receivers = node;
}

void removeActionNotificationReceiver(ControlInstance* control, HostObject receiver) {
    for (ReceiverNode** link = &dataOf(control).receivers; *link != nullptr; link = &(*link)->next) {
        ReceiverNode* node = *link;
        if (node->receiver == receiver) {
            *link = node->next;
            host::ZOKAUnlockObject(node->receiver);
            delete node;
            return;
        }
    }
}

// ---- notification ------------------------------------------------------------------

// A registration as it was when a notification began.
struct ListedReceiver {
    const ReceiverNode* node;
    uint64_t serial;
};

// The listed registration if it is still in the list; never dereferences a
// node that may have been freed.
static const ReceiverNode* stillRegistered(const InstanceData& data, const ListedReceiver& listed) {
    for (const ReceiverNode* node = data.receivers; node != nullptr; node = node->next) {
        if (node == listed.node && node->serial == listed.serial) {
            return node;
        }
    }
    return nullptr;
}

// Calls the receiver's "PerformAction", if it offers one; false when the
// routine destroyed the button.
static bool tell(ControlInstance* control, HostObject receiver) {
    auto routine = reinterpret_cast<PerformActionRoutine>(
        host::GetInterfaceRoutine(receiver, kReceiverInterface, kReceiverRoutine));
    if (routine == nullptr) return true;
    control_events::Survival survival(control);
    routine(receiver);
    return survival.survived();
}

// Every receiver registered when the action began, most recent first. A
// receiver's routine may add or remove registrations, its own or others':
// one removed before its turn is not told, one added waits for the next
// action. One that destroys the button ends the notification: its block and
// its list are gone.
bool notifyReceivers(ControlInstance* control, InstanceData& data) {
    int32_t count = 0;
    for (const ReceiverNode* node = data.receivers; node != nullptr; node = node->next) {
        ++count;
    }
    if (count == 0) return true;
    ListedReceiver* listed = new (std::nothrow) ListedReceiver[count];
    if (listed == nullptr) {
        // Without room for the list: walk it, and stop where a routine has
        // removed the receiver that was to come next.
        const ReceiverNode* node = data.receivers;
        while (node != nullptr) {
            const ListedReceiver next{node->next, node->next != nullptr ? node->next->serial : 0};
            if (!tell(control, node->receiver)) return false;
            node = next.node != nullptr ? stillRegistered(data, next) : nullptr;
        }
        return true;
    }
    int32_t index = 0;
    for (const ReceiverNode* node = data.receivers; node != nullptr; node = node->next) {
        listed[index++] = ListedReceiver{node, node->serial};
    }
    bool survived = true;
    for (int32_t i = 0; i < count && survived; ++i) {
        if (const ReceiverNode* node = stillRegistered(data, listed[i])) survived = tell(control, node->receiver);
    }
    delete[] listed;
    return survived;
}

}  // namespace bevel_button
