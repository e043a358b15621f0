#include "host_services/pictures.h"

#include "host_services/resolver.h"

void ReleasePicture(HostObject& held, PictureDescription& description, const PicturePolicy& policy) {
    if (held == nullptr) return;
    host::unlockPictureDescription(held);
    host::ZOKAUnlockObject(held);
    held = nullptr;
    if (policy.clearDescription) description = PictureDescription{};
}

void ReplacePicture(HostObject& held, PictureDescription& description, HostObject picture,
                    const PicturePolicy& policy) {
    if (picture != nullptr || policy.lockNil) host::ZOKALockObject(picture);
    ReleasePicture(held, description, policy);
    held = picture;
    if (picture != nullptr) host::lockPictureDescription(picture, &description);
}
