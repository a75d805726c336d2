// Contacts: the people and robots the user talks to. A contact lives in
// groups, messages and the plug-ins' own maps, held by handle; it holds a
// reference to its service and to its data map.
#pragma once

#include "handle.h"

#include <string>

namespace kestrova::api {

class Contact : public Object {
public:
    Contact() : Object(ObjectKind::Contact) {}
    ~Contact() override;
    SubscriberSet* subscribers() override { return &subscribers_; }

    HandleRecord* service = nullptr;  // one reference
    uint64_t contactId = 0;
    std::string name, nickname, statusText;
    int32_t presence = 0;
    int32_t deviceType = 0;
    HandleRecord* dataMap = nullptr;  // one reference

private:
    SubscriberSet subscribers_;
};

// Replaces a held reference: the new handle is duplicated before the old one
// is released, so setting the same handle again changes no count.
void replaceReference(HandleRecord*& held, HandleRecord* replacement);
// The empty text for null.
inline std::string textOrEmpty(const char* text) { return text ? text : ""; }

}  // namespace kestrova::api
