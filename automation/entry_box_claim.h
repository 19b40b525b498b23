// This copy's claim on the client's entry boxes, held for as long as a post or a press runs.
#pragma once

#include <algorithm>

#include "client_automation.h"

namespace vorivevo {

// This copy's hold on the client's entry boxes for a post, and for as long as the post leaves something
// owed to the client: another copy's post meanwhile would take our line for the user's draft, or press
// behind our unanswered message. Another copy's hold is waited out for a while, dispatching events. The
// release may run while the stack unwinds: it dispatches no events.
class ClientAutomation::EntryBoxClaim {
public:
    // `wait`: how long another copy's hold is waited out.
    EntryBoxClaim(ClientAutomation& automation, Duration wait) : automation_(automation), held_(Claim(automation, wait)) {
        if (held_) automation_.drafts_.AddClaimHolder();
    }
    EntryBoxClaim(const EntryBoxClaim&) = delete;
    EntryBoxClaim& operator=(const EntryBoxClaim&) = delete;
    ~EntryBoxClaim() {
        if (!held_) return;
        automation_.drafts_.RemoveClaimHolder();
        automation_.ReleaseClaimIfIdle();
    }
    bool Held() const { return held_; }

private:
    static bool Claim(ClientAutomation& automation, Duration wait) {
        EventLoop& events = automation.events_;
        const Instant giveUp = events.Now() + wait;
        while (!automation.windows_.ClaimEntryBoxes(&automation.drafts_)) {
            if (events.Now() >= giveUp) return false;
            events.WaitForEvent(std::min(events.Now() + kClaimPoll, giveUp));
            events.DoEvents();
        }
        return true;
    }

    ClientAutomation& automation_;
    bool held_;
};

}  // namespace vorivevo
