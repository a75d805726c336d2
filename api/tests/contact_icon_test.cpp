// Contact icons composed from small icon files that each test writes.
#include "object_helpers.h"

#include "../../lib/platform/tests/support/ico_builder.h"
#include "kestrova/platform/icon.h"
#include "kestrova/platform/icon_resources.h"

#include <dlfcn.h>

#include <memory>

using kestrova::platform::Icon;
using kestrova::platform::rgb;
using kestrova::testing::PaletteImage;
using kestrova::testing::writeIconFile;

namespace {

constexpr uint32_t kRed = rgb(200, 40, 10), kGreen = rgb(30, 180, 60), kBlue = rgb(20, 30, 220);
constexpr uint32_t kYellow = rgb(250, 220, 0);

uint32_t grey(uint32_t color) {
    const uint32_t l = (29 * (color & 0xff) + 150 * ((color >> 8) & 0xff) + 77 * (color >> 16)) / 256;
    return rgb(uint8_t(l), uint8_t(l), uint8_t(l));
}

PaletteImage solid(int size, int bits, uint32_t color) { return PaletteImage::filled(size, bits, {0, color}, 1); }

// An overlay that covers only the bottom-right quarter.
PaletteImage cornerBadge(int size, uint32_t color) {
    PaletteImage image = PaletteImage::filled(size, 4, {0, color}, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) image.set(x, y, 1, x >= size / 2 && y >= size / 2);
    return image;
}

using IconPtr = std::unique_ptr<Icon>;

class ContactIcons : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ::setenv("KESTROVA_RESOURCES", (home_ / "resources").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("KESTROVA_RESOURCES");
        CoreTest::TearDown();
    }
    void programIcon(const std::string& name, const std::vector<PaletteImage>& images) {
        writeIconFile(home_ / "resources" / "kestrova" / "icons" / (name + ".ico"), images);
    }
    IconPtr iconOf(int32_t presence, int32_t deviceType, int size = 16) {
        HCONTACT contact = newContact(presence, deviceType);
        IconPtr icon(RY_GetContactIcon(contact, size));
        RY_ReleaseContact(contact);
        return icon;
    }
};

std::string resourceName(const RY_IconResource& r) { return r.name ? r.name : ""; }

}  // namespace

TEST_F(ContactIcons, ResourceFollowsDeviceTypeWhileOnlineAndTurnsPlainOffline) {
    const std::pair<int32_t, const char*> devices[] = {{RY_DEVICE_ROBOT, "CONTACT_BOT"}, {RY_DEVICE_PC, "CONTACT_PC"},
                                                       {RY_DEVICE_MOBILE, "CONTACT_MOBILE"}, {RY_DEVICE_MAC, "CONTACT_MAC"},
                                                       {RY_DEVICE_IPHONE, "CONTACT_IPHONE"}, {42, "CONTACT_ONLINE"}};
    for (auto [device, name] : devices) {
        HCONTACT contact = newContact(RY_PRESENCE_AWAY, device);
        RY_IconResource r{};
        EXPECT_EQ(RY_GetContactIconResource(&r, contact), &r);
        EXPECT_EQ(r.module, kestrova::platform::mainProgramModule());
        EXPECT_EQ(resourceName(r), name);
        for (int32_t offline : {RY_PRESENCE_OFFLINE, RY_PRESENCE_UNKNOWN}) {
            setPresence(contact, offline);
            RY_GetContactIconResource(&r, contact);
            EXPECT_EQ(resourceName(r), "CONTACT_ONLINE");
        }
        RY_ReleaseContact(contact);
    }
}

TEST_F(ContactIcons, BridgedServiceIconWinsWhenItHasOne) {
    RY_ServiceData data{};
    data.size = sizeof data;
    data.flags = RY_SERVICE_ICON;
    data.iconModule = reinterpret_cast<void*>(0x1234);
    data.iconResource = 0;  // no resource: the device icon stays
    HSERVICE service = RY_CreateService(&data);
    HCONTACT contact = newContact(RY_PRESENCE_ONLINE, RY_DEVICE_MAC, service);
    RY_IconResource r{};
    RY_GetContactIconResource(&r, contact);
    EXPECT_EQ(resourceName(r), "CONTACT_MAC");

    data.iconResource = 135;
    RY_SetServiceData(service, &data);
    RY_GetContactIconResource(&r, contact);
    EXPECT_EQ(r.module, reinterpret_cast<void*>(0x1234));
    EXPECT_EQ(r.name, nullptr);
    EXPECT_EQ(r.number, 135u);
    RY_ReleaseContact(contact);
    RY_ReleaseService(service);
}

TEST_F(ContactIcons, OverlayOnlyForAwayAndBusy) {
    RY_IconResource r{};
    RY_GetStateOverlayIconResource(&r, RY_PRESENCE_AWAY);
    EXPECT_EQ(resourceName(r), "OVERLAY_AWAY");
    RY_GetStateOverlayIconResource(&r, RY_PRESENCE_BUSY);
    EXPECT_EQ(resourceName(r), "OVERLAY_BUSY");
    for (int32_t other : {0, 1, 3, 4, 100}) {
        RY_GetStateOverlayIconResource(&r, other);
        EXPECT_EQ(r.module, nullptr);
        EXPECT_EQ(r.name, nullptr);
    }
}

TEST_F(ContactIcons, OnlineWithoutOverlayIsTheLoadedIconUnchanged) {
    PaletteImage bot = solid(16, 8, kRed);
    bot.set(3, 4, 0, false);
    programIcon("CONTACT_BOT", {bot});
    IconPtr icon = iconOf(RY_PRESENCE_ONLINE, RY_DEVICE_ROBOT);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->pixel(0, 0), kRed);
    EXPECT_FALSE(icon->isOpaque(3, 4));
    EXPECT_TRUE(icon->isOpaque(4, 4));
}

TEST_F(ContactIcons, OfflineContactsAreDrawnGreyFromThePlainIcon) {
    PaletteImage plain = solid(16, 4, kGreen);
    plain.set(0, 0, 0, false);
    programIcon("CONTACT_ONLINE", {plain});
    programIcon("CONTACT_BOT", {solid(16, 4, kRed)});
    IconPtr icon = iconOf(RY_PRESENCE_UNKNOWN, RY_DEVICE_ROBOT);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->pixel(5, 5), grey(kGreen));
    EXPECT_EQ(grey(kGreen), rgb(121, 121, 121));  // (29*60 + 150*180 + 77*30) / 256 = 121.3
    EXPECT_TRUE(icon->isOpaque(5, 5));
    EXPECT_FALSE(icon->isOpaque(0, 0));
}

TEST_F(ContactIcons, CompositionTakesTheDeepestExactImageOfFourOrEightBits) {
    programIcon("CONTACT_ONLINE", {solid(32, 8, kRed), solid(16, 4, kBlue), solid(16, 8, kGreen),
                                   solid(16, 8, kYellow), solid(16, 1, kRed)});
    IconPtr icon = iconOf(RY_PRESENCE_OFFLINE, RY_DEVICE_PC);
    EXPECT_EQ(icon->pixel(8, 8), grey(kGreen));  // first of the two 8-bit images of 16 pixels
}

TEST_F(ContactIcons, WithoutASuitableImageTheComposedIconStaysBlackAndOpaque) {
    programIcon("CONTACT_ONLINE", {solid(22, 8, kRed), solid(16, 1, kRed)});
    IconPtr icon = iconOf(RY_PRESENCE_OFFLINE, RY_DEVICE_PC);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->pixel(8, 8), 0u);
    EXPECT_TRUE(icon->isOpaque(8, 8));
}

TEST_F(ContactIcons, OverlayPaintsOnlyItsOpaquePixelsInColour) {
    PaletteImage pc = solid(16, 8, kBlue);
    pc.set(15, 15, 0, false);  // transparent corner under the badge
    pc.set(0, 0, 0, false);    // transparent corner outside it
    programIcon("CONTACT_PC", {pc});
    programIcon("OVERLAY_AWAY", {cornerBadge(16, kYellow)});
    programIcon("OVERLAY_BUSY", {cornerBadge(16, kRed)});

    IconPtr away = iconOf(RY_PRESENCE_AWAY, RY_DEVICE_PC);
    ASSERT_TRUE(away);
    EXPECT_EQ(away->pixel(2, 2), kBlue);
    EXPECT_EQ(away->pixel(12, 12), kYellow);
    EXPECT_TRUE(away->isOpaque(15, 15));  // the badge made it opaque
    EXPECT_FALSE(away->isOpaque(0, 0));
    EXPECT_EQ(away->pixel(7, 12), kBlue);  // left of the badge

    IconPtr busy = iconOf(RY_PRESENCE_BUSY, RY_DEVICE_PC);
    EXPECT_EQ(busy->pixel(12, 12), kRed);
}

TEST_F(ContactIcons, BridgedNetworkIconIsGreyedFromItsModulesResources) {
    void* module = ::dlopen("libkestrova-platform.so", RTLD_LAZY | RTLD_NOLOAD);
    ASSERT_NE(module, nullptr);
    writeIconFile(home_ / "resources" / "kestrova-platform" / "icons" / "7.ico", {solid(22, 8, kYellow)});
    RY_ServiceData data{};
    data.size = sizeof data;
    data.flags = RY_SERVICE_ICON;
    data.iconModule = module;
    data.iconResource = 7;
    HSERVICE service = RY_CreateService(&data);
    HCONTACT contact = newContact(RY_PRESENCE_OFFLINE, RY_DEVICE_PC, service);
    IconPtr icon(RY_GetContactIcon(contact, 22));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width(), 22);
    EXPECT_EQ(icon->pixel(10, 10), grey(kYellow));

    setPresence(contact, RY_PRESENCE_ONLINE);
    icon.reset(RY_GetContactIcon(contact, 22));
    EXPECT_EQ(icon->pixel(10, 10), kYellow);
    RY_ReleaseContact(contact);
    RY_ReleaseService(service);
    ::dlclose(module);
}

TEST_F(ContactIcons, TheShellsOwnIconsLoadFromTheBuild) {
    ::setenv("KESTROVA_RESOURCES", (std::filesystem::path(std::getenv("KESTROVA_BIN")) / "resources").c_str(), 1);
    for (int32_t presence : {RY_PRESENCE_ONLINE, RY_PRESENCE_AWAY, RY_PRESENCE_OFFLINE}) {
        IconPtr icon = iconOf(presence, RY_DEVICE_IPHONE, 22);
        ASSERT_TRUE(icon) << presence;
        int opaque = 0;
        for (int y = 0; y < 22; ++y)
            for (int x = 0; x < 22; ++x) opaque += icon->isOpaque(x, y);
        EXPECT_GT(opaque, 40) << presence;
        EXPECT_LT(opaque, 22 * 22) << presence;
    }
}
