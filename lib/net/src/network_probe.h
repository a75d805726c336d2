// Whether the device has a network of its own before a connection attempt,
// and the stand-in for the phone's data-connection manager.
#pragma once

namespace kestrova::net {

// False when one of the addresses of the machine's own host name is routable
// (first byte neither 127 nor 255).
bool networkNeedsBringingUp();
// NOTE: a desktop has no data-connection manager to dial a bearer; the
// network is whatever the system has configured, so nothing is brought up
// and the connect is tried all the same.
inline bool bringUpNetwork() { return false; }

}  // namespace kestrova::net
