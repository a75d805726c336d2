// One-line builders and probes for tests of the object model.
#pragma once

#include "core_fixture.h"

#include "kestrova/wire/data_map.h"

#include <string>
#include <vector>

inline RY_ContactData contactRecord(uint32_t flags = 0) {
    RY_ContactData data{};
    data.size = sizeof data;
    data.flags = flags;
    return data;
}

inline HCONTACT newContact(int32_t presence = RY_PRESENCE_ONLINE, int32_t deviceType = RY_DEVICE_PC,
                           HSERVICE service = nullptr) {
    RY_ContactData data = contactRecord(RY_CONTACT_PRESENCE | RY_CONTACT_DEVICE_TYPE);
    data.presence = presence;
    data.deviceType = deviceType;
    if (service) {
        data.flags |= RY_CONTACT_SERVICE;
        data.service = service;
    }
    return RY_CreateContact(&data);
}

inline void setPresence(HCONTACT contact, int32_t presence) {
    RY_ContactData data = contactRecord(RY_CONTACT_PRESENCE);
    data.presence = presence;
    RY_SetContactData(contact, &data);
}

inline HSERVICE newService() {
    RY_ServiceData data{};
    data.size = sizeof data;
    return RY_CreateService(&data);
}

inline int32_t refs(const void* handle) { return RY_GetHandleReferenceCount(handle); }

// A message as the connection creates it for an incoming one.
inline HMESSAGE incomingMessage(HCONTACT sender, void* target = nullptr, bool isGroup = false) {
    RY_MessageData data{};
    data.size = sizeof data;
    data.flags = RY_MESSAGE_CONTACT | RY_MESSAGE_TARGET | RY_MESSAGE_IS_GROUP | RY_MESSAGE_ORIGIN;
    data.contact = sender;
    data.target = target ? target : sender;
    data.isGroup = isGroup;
    data.origin = RY_ORIGIN_LIVE;
    return RY_CreateMessage(&data);
}

// Captures every packet handed to "Connection/SendPacket" while it lives.
class PacketCapture {
public:
    PacketCapture() {
        RY_RegisterFunction(kestrova::names::kConnectionSendPacket.name, &PacketCapture::send, this);
    }
    ~PacketCapture() { RY_UnregisterFunction(kestrova::names::kConnectionSendPacket.name); }

    std::vector<std::string> packets;

private:
    static intptr_t send(void* context, void* arg) {
        auto* bytes = static_cast<RY_PacketBytes*>(arg);
        static_cast<PacketCapture*>(context)->packets.emplace_back(static_cast<const char*>(bytes->data),
                                                                   bytes->length);
        return 1;
    }
};

inline kestrova::wire::DataMapEntries decodeMap(const std::string& bytes) {
    kestrova::wire::DataMapEntries entries;
    kestrova::wire::parseDataMap({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, entries);
    return entries;
}

inline std::string encodeMap(const kestrova::wire::DataMapEntries& entries) {
    return kestrova::wire::encodeDataMap(entries);
}

// The packet a profile or position update is expected to be, byte for byte.
inline std::string expectedPacket(const std::string& command, const std::string& body, uint32_t messageId) {
    return command + "\nContent-Length: " + std::to_string(body.size()) + "\nMesg-Id: " + std::to_string(messageId) +
           "\n\n" + body;
}
