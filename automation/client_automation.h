// The automation routines: finding, reading, writing and pressing windows, waiting, the chat room, dialogs.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "draft_keeper.h"
#include "event_loop.h"
#include "window_system.h"

namespace vorivevo {

// What became of a post, as the user would want to know it.
enum class PostResult {
    Posted,      // the room received our line
    NoChatRoom,  // no room (or no client) to post into: nothing was sent
    // The windows at the entry box's or Send's place in the room are not of their kinds (another version
    // of the client, say): nothing was written or pressed
    RoomNotAsExpected,
    RoomClosed,  // the room (or the whole client) went away during the post: there is no box to keep
    NoAnswer,    // the client did not answer in time: the line went nowhere, the draft is kept
    NotTaken,    // the box or the room changed under the post, or the client kept the line
    // The client answers, but the box would not take back (or read whole) the draft an earlier post owes
    // it: nothing was sent, the draft is kept and tried again
    DraftRefused,
    AnotherCopyPosting,  // another copy of this program held the client's entry boxes for longer than we wait
};

// Holds nothing found: every call starts afresh from the client's windows. What it holds is the window
// system and the event loop it works through, and the keeper of what a post still owes the client, which the
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
    void PinAboveAll(WindowHandle window);
    void BeginWindowDrag(WindowHandle window);
    // Also gives back, while it waits, what a post still owes the client (see SettleOwedDraft).
    void WaitSeconds(Duration length);

    // The chat room.
    WindowHandle LocateChatRoom();
    WindowHandle LocateChatEntry();
    WindowHandle LocateChatSendButton();
    // Never sends, loses or moves the user's draft: see post_to_chat.cpp.
    PostResult PostToChat(const std::string& line);

    // Gives back what an earlier post owes the client, once the client answers again. True when nothing is
    // owed any more (given back, or given up on after kOwedDraftGiveUp); the claim on the boxes goes then
    // too, unless a post or a press holds it. Dispatches no events.
    bool SettleOwedDraft();
    // The same, only when the keeper's next try has come; the waits and the timer call it.
    void SettleOwedDraftWhenDue();

    // The client's dialogs. Nothing is pressed while the client still owes this copy or another an answer.
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
    // A post waits until the user has pressed no key for this long, so that our line does not go in while
    // their keys come: a typist's keys come a fifth of a second apart or closer within a word.
    static constexpr Duration kTypingPause = std::chrono::milliseconds(500);
    // But not for longer than this in all, so that a user who types on and on still gets their lines
    // (which are due once a minute) a few seconds late rather than never.
    static constexpr Duration kTypingWaitBound = std::chrono::seconds(10);
    // How long a post waits for another copy of this program to let go of the entry boxes: its post takes
    // well under a second unless the client does not answer, and then our line could not go either.
    static constexpr Duration kClaimWait = std::chrono::seconds(5);
    static constexpr Duration kClaimPoll = std::chrono::milliseconds(50);
    // How long a post keeps pressing Send on a box that does not empty: time of its own (handlers
    // dispatched inside it, such as a drag, do not count), and presses that changed nothing. A client
    // takes a line at its first press; the others allow for one that lets a press or two go while busy.
    static constexpr Duration kSendGiveUp = std::chrono::seconds(2);
    static constexpr int kPressesWithoutChange = 4;
    // How often what a post owes the client is tried again while the client does not answer or the box
    // refuses; the window system's own hold on a client that left a message unanswered is longer.
    static constexpr Duration kOwedDraftRetry = std::chrono::milliseconds(500);
    // A box that answers and still will not take the draft back for this long is given up on, so that
    // posting goes on; the user hears of it in the next post's report.
    static constexpr Duration kOwedDraftGiveUp = std::chrono::seconds(60);
    // Writes of the draft in a row that found the box changed under them (keys typed meanwhile) before
    // the give-back tries again later.
    static constexpr int kWriteRounds = 4;
    // Times the draft and its caret are read before a post gives up on a box whose text changes under
    // every read (the user typing faster than the client answers us).
    static constexpr int kDraftReads = 3;

private:
    // What became of one message, or one whole read, on the entry box.
    enum class Outcome { Done, Refused, Gone, Unanswered };
    // A write's fate, as a read after it shows.
    enum class WriteFate { Took, KeptOwn, NotKnown };
    struct Found {
        WindowHandle room = kNoWindow;
        WindowHandle box = kNoWindow;
        WindowHandle send = kNoWindow;
    };
    class PostHold;
    class EntryBoxClaim;
    struct SendBudget;

    // Finding. Class names match a pattern by their first characters, ignoring case.
    static bool ClassMatches(const std::string& className, const std::string& pattern);
    WindowHandle StepSiblings(WindowHandle window, int steps);
    WindowHandle LocateInRoom(WindowHandle room, const char* pattern, int steps);
    Found LocateEntryAndSend();
    bool StillThere(const Found& at);
    // Whether the held draft's room is still the window it was (its title read whole, the same); nothing
    // while the client does not answer.
    std::optional<bool> StillItsRoom(const HeldDraft& held);
    bool AsExpected(const Found& at);
    void DispatchEvents();

    // Messages and reads. A read is Done only when both messages were answered and the window wrote as
    // many characters as it had announced; Refused when its text changed length between them. `lossy`
    // (when given) says whether the box holds characters that the ANSI code page lacks, which the text
    // read has lost; without it, such a read is Refused.
    Outcome ReadBox(WindowHandle box, std::string& text, bool* lossy = nullptr);
    static Outcome OutcomeOf(const Reply& reply);
    // A read of the box the held draft knows: one that shows other than what we expect it to hold is read
    // again, and the second taken, so that a box that blanks its text for a moment is not taken for
    // empty (nor one whose keys are still coming for whole). Such a box shows its text blank in one read,
    // never in two in a row, whichever of the two it is.
    // `torn`, when given, gets what a first read showed when a key tore the read after it (else nothing).
    Outcome ReadHeld(const HeldDraft& held, std::string& text, bool* lossy = nullptr, std::string* torn = nullptr);
    Outcome SendTo(WindowHandle window, Message message, WParam wParam, LParam lParam, LResult* answer = nullptr);
    Outcome SendText(WindowHandle window, Message message, const std::string& text);

    // The entry box, as the held draft knows it (entry_box.cpp). Puts `text` in place of all the box holds,
    // once a read with the box selected shows it holds what we knew; a key the user types meanwhile takes
    // the place of the selection and stays before our text. The write's fate shows at the next read.
    Outcome ReplaceAll(HeldDraft& held, const std::string& text);
    // The same for characters `start` to `end` (the box holds characters the code page lacks, which a
    // write of all it holds would lose).
    Outcome Splice(HeldDraft& held, unsigned start, unsigned end, const std::string& text);
    // EM_SETSEL, noting where it leaves the caret.
    Outcome Select(HeldDraft& held, TextSelection selection);
    // Selects, and reads the box under the selection: Done when it holds what we knew; Refused when it
    // changed, the change taken in when it came before the selection.
    Outcome SelectOver(HeldDraft& held, TextSelection selection);
    void NoteUsersCaret(HeldDraft& held);
    bool NoteCaretAmongOurs(HeldDraft& held);
    bool TakeInKeysAmongOurs(HeldDraft& held, const std::string& now);
    bool TakeInKeysAroundHeld(HeldDraft& held, const std::string& now);
    void TakeInKeysBesideSelection(HeldDraft& held, const std::string& now, TextSelection caret,
                                   std::optional<TextSelection> before, std::optional<TextSelection> caretBefore);
    static void SettledAsHeld(HeldDraft& held, const std::string& now);
    void TakeInKeysAfterTornSelection(HeldDraft& held, const std::string& torn, std::optional<TextSelection> before,
                                      std::optional<TextSelection> caretBefore);
    void TakeInChangeBeforeSelection(HeldDraft& held, const std::string& now, bool lossy,
                                     std::optional<TextSelection> before, std::optional<TextSelection> caretBefore);
    // Takes in a whole read of the box: settles a write whose fate was not known, and puts the keys the
    // user typed since into their text. False when the box holds what cannot be told apart (it changed
    // our text): then only the keys told apart before go back.
    bool TakeInRead(HeldDraft& held, const std::string& now);
    bool TakeInWriteFate(HeldDraft& held, const std::string& now);
    bool TypedBeforeWriteWent(HeldDraft& held, const std::string& now);
    bool TakeInWriteAtStart(HeldDraft& held, const std::string& now);
    static bool ShowsUsersText(const HeldDraft& held);
    static void TakeInEditOfShown(HeldDraft& held, const std::string& now);
    static bool EditedOwnUnderOurs(const HeldDraft& held, const std::string& now);
    void TakeInEditedOwn(HeldDraft& held, const std::string& now);
    // Of the write the held draft awaits the fate of.
    static WriteFate FateOf(const std::string& now, const HeldDraft& held);

    // The post (post_to_chat.cpp).
    void AwaitTypingPause(Instant giveUp);
    bool TypedSince(Instant since);
    enum class Attempt { Over, YieldedToTyping };
    PostResult TryPost(const std::string& line, bool yieldToTyping, Attempt& attempt);
    Outcome TakeDraft(HeldDraft& held);
    PostResult SendLine(const Found& at, PostHold& hold, std::optional<Instant> yieldIfTypedSince);
    // A press (button-down, then button-up; the second only once the first was answered) that leaves the
    // client's keyboard focus where it was: a button takes the focus on its button-down, and the user's
    // next keys would go to it, a Space or Enter pressing it. A press left unanswered, or whose focus
    // could not go back yet, is noted in `held`, so that the focus goes back once the client answers.
    // By default the press a mouse makes; Space pressed on the button is the press the keyboard makes, which
    // a button takes without taking the focus.
    enum class PressBy { Mouse, Space };
    Outcome PressKeepingFocus(WindowHandle button, HeldDraft& held, PressBy by = PressBy::Mouse);
    // Back to `before` if the press of `pressed` left the focus on it. False when that must be tried again
    // once the client answers. Dispatches no events.
    bool GiveFocusBack(WindowHandle pressed, WindowHandle before);

    // The give-back (draft_return.cpp): one function a phase, each returning the phase to run next, or
    // nothing when it must be tried again later. None dispatches events.
    using Step = std::optional<GiveBackPhase>;
    Step AwaitAnswer(HeldDraft& held);
    Step ReturnFocus(HeldDraft& held);
    Step SettleWrite(HeldDraft& held);
    Step WriteDraft(HeldDraft& held);
    Step WriteAroundKeys(HeldDraft& held, const std::string& now);
    Step SpliceDraftAroundKeys(HeldDraft& held, const std::string& now);
    Step KeepTypedIntoOwn(HeldDraft& held, const std::string& now, std::size_t typedAt);
    Outcome NoteCaretAmongKeys(HeldDraft& held, const std::string& now);
    // `unchanged` (when given, and only when there is such an edit) counts the characters of `text` it left.
    static std::optional<unsigned> CaretAfterEditAt(const std::string& text, TextSelection caret,
                                                    const std::string& now, unsigned* unchanged = nullptr);
    static bool TypedOverOurs(const HeldDraft& held, TextSelection ours, const std::string& now,
                              std::optional<TextSelection> shown, unsigned keptByEdit);
    Step RestoreCaret(HeldDraft& held);
    Step Halted(HeldDraft& held, Outcome outcome);
    // Runs the phases until done (true) or one must wait.
    bool PutDraftBack(HeldDraft& held);
    // PutDraftBack, keeping what could not be given back.
    void GiveBack(HeldDraft& held);
    void ReleaseClaimIfIdle();
    void DismissFirstIcon(const char* dialogClass);

    WindowSystem& windows_;
    EventLoop& events_;
    DraftKeeper ownDrafts_;
    DraftKeeper& drafts_;
    // Time spent in the event pump by this object's room searches, so that a post can leave out of its
    // bound the handlers run there.
    Duration dispatched_{};
};

}  // namespace vorivevo
