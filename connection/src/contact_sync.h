// The server's contact list mirrored into api contacts: the "contacts" map
// of a profile or of a "GROUP UPDATE" (contact id in decimal -> record, an
// empty record meaning "no longer on the list"). The logon profile carries
// full records, in which a missing field clears the contact's; later ones
// carry only what changed.
//
// Group 0 is the contact list: a contact is on it when it is a member, and
// its member flags there are the list state ("state") shifted left by 8.
//
// A bridge's contact list ("BRIDGE CONTACT") has the same records for the
// contacts of a bridged account, kept in the bridge's own directory; every
// contact in it is on the list.
#pragma once

#include "contact_directory.h"
#include "incoming_messages.h"
#include "session_link.h"

#include "kestrova/wire/data_map_view.h"

#include <cstdint>
#include <string_view>

namespace kestrova::connection {

inline constexpr uint64_t kContactListGroup = 0;

class ContactSync {
public:
    ContactSync(ContactDirectory& contacts, IncomingMessages& incoming, SessionLink& link);

    // The encoded "contacts" map.
    void applyContactList(std::string_view encoded, bool full);
    void applyRecord(uint64_t id, const wire::DataMapView& record, bool full);
    // A bridge's encoded "contacts" map, into the bridge's contacts.
    void applyBridgedList(std::string_view encoded, ContactDirectory& bridgeContacts);
    // Drops this service's contacts that the server did not confirm since the
    // session ended.
    void pruneStale();
    // The account's own contact, there from the logon on whether or not the
    // server lists it: the account's name, the profile's nickname (else the
    // name) and status line, the status the logon asked for, the profile's
    // user data. A record of the server for it is applied over this.
    void refreshOwnContact(const char* nickname, const char* statusLine);

private:
    enum class Source { Account, Bridge };
    void applyList(std::string_view encoded, bool full, ContactDirectory& directory, Source source);
    void applyRecordIn(ContactDirectory& directory, uint64_t id, const wire::DataMapView& record, bool full,
                       Source source);
    void applyUserData(HCONTACT contact, uint64_t id, const wire::DataMapView& record, bool full,
                       RY_ContactData& change);
    // Points the own contact at the profile's user-data map.
    static void shareOwnMap(HCONTACT contact, HDATAMAP own, RY_ContactData& change);

    ContactDirectory& contacts_;
    IncomingMessages& incoming_;
    SessionLink& link_;
};

}  // namespace kestrova::connection
