// Picture properties (BevelButton.Icon, ImageWell.Image): the one way a
// control holds a host picture together with its locked description.
#pragma once

#include "plugin_interface.h"

// Where a control's picture property departs from the common way; each
// control says why next to its own policy.
struct PicturePolicy {
    bool lockNil;           // a nil picture is handed to ZOKALockObject too
    bool clearDescription;  // the description is zeroed with its picture
};

// Gives back the description, then the picture (nothing when held is nil);
// held becomes nil.
void ReleasePicture(HostObject& held, PictureDescription& description, const PicturePolicy& policy);

// Stores picture in held: its lock comes first, so that storing the picture
// already held cannot drop its last reference in between; then the old
// description and picture are given back, and the new picture's description
// is locked into description.
void ReplacePicture(HostObject& held, PictureDescription& description, HostObject picture, const PicturePolicy& policy);
