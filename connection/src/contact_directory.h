// The contacts of the account, one api contact per server id: whoever asks
// for an id gets the same contact, created on first use with the service and
// the id. The directory holds one reference to each.
#pragma once

#include "kestrova/api.h"

#include <cstdint>
#include <map>

namespace kestrova::connection {

class ContactDirectory {
public:
    ContactDirectory() = default;
    ~ContactDirectory();
    ContactDirectory(const ContactDirectory&) = delete;
    ContactDirectory& operator=(const ContactDirectory&) = delete;

    // The service new contacts belong to; the directory keeps its own reference.
    void setService(HSERVICE service);
    HSERVICE service() const { return service_; }

    // Get-or-create; the caller gets a new reference.
    HCONTACT get(uint64_t id);
    // A new reference to a known contact, or null.
    HCONTACT find(uint64_t id) const;
    bool contains(uint64_t id) const { return contacts_.count(id) != 0; }
    size_t size() const { return contacts_.size(); }

    // The session ended: nobody's presence is known any more.
    void markStale();
    // The plug-in stops: the service's contacts leave every group and the
    // directory lets go of them.
    void removeAll();

private:
    HSERVICE service_ = nullptr;
    std::map<uint64_t, HCONTACT> contacts_;
};

}  // namespace kestrova::connection
