// Messages: one text, voice clip or photo with its header fields and body
// bytes. The body may grow chunk by chunk while it arrives or is recorded.
#pragma once

#include "handle.h"

#include <string>

namespace kestrova::api {

class Message : public Object {
public:
    Message();
    ~Message() override;
    SubscriberSet* subscribers() override { return &subscribers_; }

    uint64_t messageId = 0;
    HandleRecord* contact = nullptr;  // one reference
    HandleRecord* target = nullptr;   // one reference: a group when isGroup, else a contact
    bool isGroup = false;
    std::string contentType;
    bool complete = false;
    std::string body;  // bytes; std::string keeps them NUL-terminated for text bodies
    int32_t origin = 0;
    uint8_t mark1 = 0;
    int32_t totalLength = 0;
    uint8_t noUnread = 0;
    RY_MessageTime serverTime{};
    RY_MessageTime localTime{};

private:
    SubscriberSet subscribers_;
};

}  // namespace kestrova::api
