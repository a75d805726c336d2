// The icon of a contact: its bridged network's icon or its device's icon,
// grey while it is offline or unknown, with an overlay for away and busy.
#include "contacts.h"
#include "services.h"

#include "kestrova/platform/icon_resources.h"

namespace kestrova::api {
namespace {

using platform::IconGroup;
using platform::IconImage;

constexpr const char kContactOnline[] = "CONTACT_ONLINE";

bool looksOffline(int32_t presence) { return presence == RY_PRESENCE_OFFLINE || presence == RY_PRESENCE_UNKNOWN; }

const char* deviceIconName(int32_t deviceType) {
    switch (deviceType) {
    case RY_DEVICE_ROBOT: return "CONTACT_BOT";
    case RY_DEVICE_PC: return "CONTACT_PC";
    case RY_DEVICE_MOBILE: return "CONTACT_MOBILE";
    case RY_DEVICE_MAC: return "CONTACT_MAC";
    case RY_DEVICE_IPHONE: return "CONTACT_IPHONE";
    default: return kContactOnline;
    }
}

platform::ResourceName resourceName(const RY_IconResource& resource) {
    return resource.name ? platform::ResourceName{resource.name} : platform::ResourceName{"", resource.number};
}

// Among the images of exactly this width or height, those of 4 or 8 bits per
// pixel; of these the one with the most bits, the first listed on a tie.
const IconImage* imageForComposing(const IconGroup& group, int size) {
    const IconImage* chosen = nullptr;
    for (const IconImage& image : group.images) {
        if (image.width != size && image.height != size) continue;
        if (image.bitsPerPixel != 4 && image.bitsPerPixel != 8) continue;
        if (!chosen || image.bitsPerPixel > chosen->bitsPerPixel) chosen = &image;
    }
    return chosen;
}

uint32_t greyOf(uint32_t color) {
    const uint32_t luminance =
        (29 * platform::blueOf(color) + 150 * platform::greenOf(color) + 77 * platform::redOf(color)) / 256;
    return platform::rgb(uint8_t(luminance), uint8_t(luminance), uint8_t(luminance));
}

enum class Layer { Base, Overlay };

// The base replaces colour and mask; an overlay paints only its opaque pixels
// and makes them opaque.
void drawLayer(platform::Icon& icon, const RY_IconResource& resource, bool grey, Layer layer) {
    const auto group = platform::loadIconGroup(resource.module, resourceName(resource));
    const IconImage* image = group ? imageForComposing(*group, icon.width()) : nullptr;
    if (!image) return;
    const int width = std::min(image->width, icon.width());
    const int height = std::min(image->height, icon.height());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool opaque = image->isOpaque(x, y);
            if (layer == Layer::Overlay && !opaque) continue;
            const uint32_t color = image->pixel(x, y);
            icon.setPixel(x, y, grey ? greyOf(color) : color);
            icon.setOpaque(x, y, opaque);
        }
}

}  // namespace
}  // namespace kestrova::api

using namespace kestrova::api;

extern "C" {

RY_IconResource* RY_GetContactIconResource(RY_IconResource* out, HCONTACT contact) {
    const Contact& c = *body<Contact>(contact);
    if (c.service) {
        const Service& s = *static_cast<Service*>(c.service->body);
        if (s.iconModule && s.iconResource) {
            *out = {s.iconModule, nullptr, s.iconResource};
            return out;
        }
    }
    const char* name = looksOffline(c.presence) ? kContactOnline : deviceIconName(c.deviceType);
    *out = {kestrova::platform::mainProgramModule(), name, 0};
    return out;
}

RY_IconResource* RY_GetStateOverlayIconResource(RY_IconResource* out, int32_t presence) {
    if (presence == RY_PRESENCE_AWAY)
        *out = {kestrova::platform::mainProgramModule(), "OVERLAY_AWAY", 0};
    else if (presence == RY_PRESENCE_BUSY)
        *out = {kestrova::platform::mainProgramModule(), "OVERLAY_BUSY", 0};
    else
        *out = {nullptr, nullptr, 0};
    return out;
}

HICON RY_GetContactIcon(HCONTACT contact, int32_t size) {
    if (size <= 0 || size > kestrova::platform::kMaxIconDimension) return nullptr;
    const int32_t presence = body<Contact>(contact)->presence;
    RY_IconResource base, overlay;
    RY_GetContactIconResource(&base, contact);
    RY_GetStateOverlayIconResource(&overlay, presence);
    const bool grey = looksOffline(presence);
    if (!overlay.module && !grey)
        return kestrova::platform::loadIcon(base.module, resourceName(base), size).release();

    auto icon = std::make_unique<kestrova::platform::Icon>(size, size);
    drawLayer(*icon, base, grey, Layer::Base);
    if (overlay.module) drawLayer(*icon, overlay, grey, Layer::Overlay);
    return icon.release();
}

}  // extern "C"
