// Bevel button action receivers: the objects registered through
// addActionNotificationReceiver, most recent first, each holding one lock,
// and the notification that tells each of them when the button acts.
#pragma once

#include "controls/bevel_button/model.h"
#include "plugin_interface.h"

namespace bevel_button {

// Most recent first; the same receiver may be registered more than once.
void addActionNotificationReceiver(ControlInstance* control, HostObject receiver);
// Removes the most recent registration of receiver.
void removeActionNotificationReceiver(ControlInstance* control, HostObject receiver);
// Gives back every registration (destruct).
void removeAllReceivers(InstanceData& data);

// Calls "PerformAction" of every receiver registered when the notification
// began, most recent first. A receiver's routine may add or remove
// registrations, its own or others': one removed before its turn is not
// told, one added waits for the next action. False when a routine destroyed
// the button: nothing of it was touched after that.
bool notifyReceivers(ControlInstance* control, InstanceData& data);

}  // namespace bevel_button
