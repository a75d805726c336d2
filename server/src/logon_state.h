// Where one connection stands in the sign-in exchange, and what the server
// offered it (the challenge, or the nonce of a resume).
#pragma once

#include "account_store.h"
#include "handshake.h"

#include <memory>
#include <optional>
#include <string>

namespace kestrova::server {

class SubscriberSession;

struct LogonState {
    enum class Step { AwaitLogon, AwaitAuth, AwaitResumeProof, SignedIn };

    Step step = Step::AwaitLogon;
    std::string name;                // as the client gave it in "LOGON"
    std::optional<Account> account;  // empty for an unknown name
    bool plainOffered = false;
    Challenge challenge{};
    Nonce nonce{};
    // The client asked to resume and was refused: it ends its old session
    // after counting our "AUTH", so that packet is not part of the new count.
    bool resumeRefused = false;
    std::shared_ptr<SubscriberSession> resumeCandidate;
    std::string resumeNonce;
    int packetsBeforeLogon = 0;
};

}  // namespace kestrova::server
