// The automation routines: finding, reading, writing and pressing windows, waiting, the chat room, dialogs.
#pragma once

#include <string>

#include "draft_keeper.h"
#include "event_loop.h"
#include "window_system.h"

namespace vorivevo {

// What became of a post, as the user would want to know it.
enum class PostResult {
    Posted,      // the client took our line
    NoChatRoom,  // no room (or no client) to post into: nothing was sent
    NoAnswer,    // the client did not answer in time: the line went nowhere, the draft is kept
    NotTaken,    // the box or the room changed under the post, or the client kept the line
    // The client answers, but the box would not take back (or read whole) the draft an earlier post owes
    // it: nothing was sent, the draft is kept and tried again
    DraftRefused,
    AnotherCopyPosting,  // another copy of this program holds the client's entry boxes: nothing was sent
};

// Holds nothing found: every call starts afresh from the client's windows. What it holds is the window
// system and the event loop it works through, and the keeper of what a post still owes the user's entry box, which the
// window's logic keeps from one post to the next.
class ClientAutomation {
public:
    ClientAutomation(WindowSystem& windows, EventLoop& events, DraftKeeper& drafts)
        : windows_(windows), events_(events), drafts_(drafts) {}
    // With a keeper of its own, for callers that make one post and wait for nothing owed (tests,
    // benchmarks).
    ClientAutomation(WindowSystem& windows, EventLoop& events) : ClientAutomation(windows, events, ownDrafts_) {}
    ClientAutomation(const ClientAutomation&) = delete;
    ClientAutomation& operator=(const ClientAutomation&) = delete;

    // Window primitives.
    WindowHandle FindChildByClass(WindowHandle parent, const std::string& pattern);
    std::string WindowClassOf(WindowHandle window);
    std::string ReadWindowText(WindowHandle window);
    void WriteWindowText(WindowHandle window, const std::string& text);
    void PressWindow(WindowHandle window);
    void PinAboveAll(WindowHandle window);
    void BeginWindowDrag(WindowHandle window);
    // Also gives back, while it waits, what a post still owes the user's entry box (see SettleOwedDraft).
    void WaitSeconds(Duration length);

    // The chat room.
    WindowHandle LocateChatRoom();
    WindowHandle LocateChatEntry();
    WindowHandle LocateChatSendButton();
    void PressChatSend();
    // Never sends, loses or moves the user's draft: see chat_room.cpp.
    PostResult PostToChat(const std::string& line);

    // Gives back what an earlier post owes the user's entry box, once the client answers again. True when
    // nothing is owed any more; the claim on the boxes goes then too, unless the caller is a post that
    // goes on with them. Dispatches no events.
    enum class KeepClaim { No, Yes };
    bool SettleOwedDraft(KeepClaim keep = KeepClaim::No);
    // The same, only when the keeper's next try has come; the waits and the timer call it.
    void SettleOwedDraftWhenDue();

    // The client's dialogs. Nothing is pressed while the client still owes an answer.
    void DismissPalette();
    void DismissModal();

    // Where `now` is `text` with keys typed into it at one place (none typed included): how many of
    // text's characters come before them; npos when `now` is not that.
    static std::size_t KeysTypedAt(const std::string& now, const std::string& text);

    // The size of the class buffer.
    static constexpr int kClassBufferLength = 250;
    // More than any chat line or draft could hold; a window that claims more is cut to this (characters).
    static constexpr long kMaxTextLength = 1L << 20;
    // Far above any real count of sibling windows; a list that changes under a walk cannot trap it.
    static constexpr int kMaxSiblingWalk = 100000;
    // How long a post keeps pressing Send on a box that does not empty: time of its own (handlers
    // dispatched inside it, such as a drag, do not count), and passes of its loop (each presses once at
    // most).
    static constexpr Duration kSendGiveUp = std::chrono::seconds(2);
    static constexpr int kSendGiveUpPasses = 50;
    // How often a draft owed to the user's box is tried again while the client does not answer; the
    // window system's own hold on a client that left a message unanswered is longer.
    static constexpr Duration kOwedDraftRetry = std::chrono::milliseconds(500);

private:
    // What became of one step on the entry box.
    enum class Outcome { Done, Refused, Gone, Unanswered };
    struct Found {
        WindowHandle room;
        WindowHandle window;
    };

    Found LocateInRoom(const char* pattern, int steps);
    WindowHandle StepSiblings(WindowHandle window, int steps);
    void DispatchEvents();
    void DismissFirstIcon(const char* dialogClass);

    static Outcome OutcomeOf(const Reply& reply);
    // The entry box by its handle. A read is Done only when both messages were answered and the window
    // wrote as many characters as it had announced; Refused when its text changed length between them,
    // or held characters that the ANSI code page lacks.
    // A write is Refused when the window answered 0 and a read right after shows that it kept its text
    // (keys typed into it meanwhile aside).
    Outcome ReadBox(WindowHandle box, std::string& text);
    // `before`: what the box held right before the write, as last read.
    Outcome WriteBox(WindowHandle box, const std::string& text, const std::string& before);
    Outcome SendTo(WindowHandle window, Message message, WParam wParam, LParam lParam, LResult* answer = nullptr);

    // The steps of a post after its first, each on the room and box the post began with.
    bool StillThere(const Found& at);
    Outcome TakeBox(HeldDraft& held);
    Outcome PressSendOver(const Found& at, HeldDraft& held);
    // A press (button-down, then button-up; the second only once the first was answered) that leaves the
    // client's keyboard focus where it was: a button takes the focus on its button-down, and the user's
    // next keys would go to it, a Space or Enter pressing it. A press left unanswered is noted in `held`
    // (when given), so that the focus goes back once the client answers.
    Outcome PressKeepingFocus(WindowHandle button, HeldDraft* held);
    // Back to `before` if the press of `pressed` left the focus on it. False when that must be tried again
    // once the client answers. Dispatches no events.
    bool GiveFocusBack(WindowHandle pressed, WindowHandle before);
    // True when the box owes nothing more: the draft and caret are back, the box kept the user's own
    // text, or the box is gone. Dispatches no events.
    bool PutDraftBack(HeldDraft& held);
    // PutDraftBack, keeping what could not be given back.
    void GiveBack(HeldDraft& held);
    friend class PostHold;
    friend class EntryBoxClaim;

    WindowSystem& windows_;
    EventLoop& events_;
    DraftKeeper ownDrafts_;
    DraftKeeper& drafts_;
    // Time spent in the event pump by this object's room searches, so that a post can leave out of its
    // bound the handlers run there.
    Duration dispatched_{};
};

}  // namespace vorivevo
