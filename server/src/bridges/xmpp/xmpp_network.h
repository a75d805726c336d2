// The XMPP network of the bridges: a NetworkFactory whose adapters log in
// to XMPP servers, each on a thread of its own (xmpp_link.h), and deliver
// their events by posting them to the server's event loop. The factory owns
// the threads: an adapter that is destroyed asks its link to stop and
// returns at once (the link says goodbye on its own thread); finished
// threads are joined when the next login starts, and all of them when the
// factory goes.
#pragma once

#include "bridges/network.h"

#include <asio.hpp>

namespace kestrova::server::bridges::xmpp {

NetworkFactory xmppNetwork(asio::io_context& io);

} // namespace kestrova::server::bridges::xmpp
