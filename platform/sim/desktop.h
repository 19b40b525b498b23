// The simulated desktop: an in-memory window tree behind the window-system operations.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "virtual_clock.h"
#include "window_system.h"

namespace vorivevo::sim {

// What a window's handler sees of a message sent to it. Texts are the Windows-1252 bytes that a real
// window would see.
struct MessageContext {
    WindowHandle window;
    Message message;
    WParam wParam;
    LParam lParam;                // 0 for the two text forms
    const std::string* setText;   // WM_SETTEXT or EM_REPLACESEL through TextIn: the text; otherwise null
    std::string* getTextBuffer;   // WM_GETTEXT through TextBuffer: the caller's wParam bytes; otherwise null
};

// Returns the message's result, or nothing to leave the message to the default handling (the text
// messages on the window's text; 0 for everything else). A handler may call back into the desktop,
// send further messages, and even destroy its own window.
using MessageHandler = std::function<std::optional<LResult>(const MessageContext&)>;

// One entry of the message traffic: the message, its wParam and the window it was sent to.
struct SentMessage {
    Message message;
    WParam wParam;
    WindowHandle window = kNoWindow;
    bool operator==(const SentMessage& other) const {
        return message == other.message && wParam == other.wParam && window == other.window;
    }
    bool operator!=(const SentMessage& other) const { return !(*this == other); }
};
std::ostream& operator<<(std::ostream& out, const SentMessage& sent);

// In an expected message traffic, in place of a message: any number of whole reads of the window here
// (WM_GETTEXTLENGTH, then WM_GETTEXT), none included. A table marks so the reads that are incidental, so
// that it pins the order of what matters, not every read (TrafficDifference).
inline constexpr Message kIncidentalReads = 0xFFFFFFFFu;

// Window-system calls made through the WindowSystem interface, by operation, calls on handle 0 included.
struct CallCounts {
    long findWindow = 0;
    long getWindow = 0;
    long getClassName = 0;
    long sendMessage = 0;
    long setWindowPos = 0;
    long releaseCapture = 0;
    long focusOfThread = 0;
    long moveThreadFocus = 0;
    long Total() const {
        return findWindow + getWindow + getClassName + sendMessage + setWindowPos + releaseCapture + focusOfThread +
               moveThreadFocus;
    }
};

struct SetWindowPosCall {
    WindowHandle window;
    WindowHandle insertAfter;
    int x, y, cx, cy;
    unsigned flags;
};

class Desktop final : public WindowSystem {
public:
    // Where a new window goes among its siblings. Default is what the platform does: a child at the
    // bottom (so children created in order are found by GW_CHILD and GW_HWNDNEXT in that order), a
    // top-level window on top of the others that are not topmost.
    enum class Placement { Default, Top, Bottom };

    // Without a limit a fault that loops on window calls alone would hang the test run; past this many
    // calls every call throws HorizonReached.
    static constexpr long kDefaultCallBudget = 20'000'000;

    // The bounds of the real back end, in seconds: how long a message to a busy thread is waited for
    // (kAnswerTimeout), how long after that every message to the thread fails at once (kUnansweredHold),
    // and how long a thread must have been busy to count as hung, so that a message to it that the back
    // end does not follow to its return (FollowedToItsReturn) fails at once without waiting.
    static constexpr double kSendTimeout = std::chrono::duration<double>(kAnswerTimeout).count();
    static constexpr double kHoldAfterTimeout = std::chrono::duration<double>(kUnansweredHold).count();
    static constexpr double kHungAfter = 5.0;

    Desktop();
    ~Desktop() override;
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // The tree. Parent 0 makes a top-level window, with a thread of its own. Handles are never 0, and a
    // destroyed window's handle stays dead unless the desktop reuses handles (SetReusesHandles). The text
    // is given in UTF-8.
    WindowHandle CreateWindow(WindowHandle parent, const std::string& className, const std::string& text = "",
                              Placement placement = Placement::Default);
    // Destroys the window and all its descendants. A dead handle is ignored.
    void DestroyWindow(WindowHandle window);
    // The process that owns the window ends: every top-level window of its thread goes, and every message
    // waiting for that thread fails as sent to no window, at once, however busy the thread was.
    void EndProcess(WindowHandle window);
    // As the platform does, handles of destroyed windows are given out again: the oldest freed first, a
    // window before its children, so that a window closed and made again the same way gets the same
    // handles. Off by default.
    void SetReusesHandles(bool reuses) { reusesHandles_ = reuses; }
    // To the top of its siblings; a top-level window that is not topmost stays below the topmost ones.
    void BringToTop(WindowHandle window);

    bool IsWindow(WindowHandle window) const;
    // What tells this window from every other, ever (handles are given out again): 0 for no window.
    std::uint64_t Identity(WindowHandle window) const;
    WindowHandle Parent(WindowHandle window) const;
    // Top of the z-order first. Children(0) lists the top-level windows.
    std::vector<WindowHandle> Children(WindowHandle window) const;
    std::string ClassName(WindowHandle window) const;
    bool IsTopmost(WindowHandle window) const;

    // Every window holds its text as a Unicode window does, in UTF-16 units; as Windows-1252 bytes (what
    // an ANSI read of it gets: '?' for each unit the code page lacks, and such a WM_GETTEXT answers
    // lossy), and as UTF-8.
    std::u16string Text16(WindowHandle window) const;
    void SetText16(WindowHandle window, const std::u16string& text);
    std::string TextBytes(WindowHandle window) const;
    void SetTextBytes(WindowHandle window, const std::string& ansi);
    std::string Text(WindowHandle window) const;
    void SetText(WindowHandle window, const std::string& utf8);

    // The caret and selection, in UTF-16 units from the start of the text (one for each byte of a
    // Windows-1252 text), start <= end. Every window keeps one, as an edit box does: WM_SETTEXT puts it
    // at 0, EM_SETSEL moves it, EM_GETSEL reports it, EM_REPLACESEL writes over it.
    struct Selection {
        std::size_t start = 0;
        std::size_t end = 0;
        bool operator==(const Selection& other) const { return start == other.start && end == other.end; }
    };
    Selection SelectionOf(WindowHandle window) const;
    // Clamped to the text, as EM_SETSEL does.
    void Select(WindowHandle window, std::size_t start, std::size_t end);

    // Returns the handler it replaces, so that a test may wrap the one a simulated program gave the window.
    MessageHandler SetHandler(WindowHandle window, MessageHandler handler);
    // The handling a message gets when the window's handler leaves it alone; handlers may call it
    // first and add to it.
    LResult DefaultHandling(const MessageContext& context);

    // Threads. Each top-level window and its descendants belong to one thread, the window's own unless it
    // joins another's; a thread handles one message at a time, in the order they come.
    void JoinThread(WindowHandle topLevel, WindowHandle ofTopLevel);
    // Whether the two windows belong to one thread.
    bool SameThread(WindowHandle a, WindowHandle b) const { return ThreadOf(a) != kNoThread && ThreadOf(a) == ThreadOf(b); }
    // The window's thread is busy for `seconds` from now (or from the end of what keeps it busy already):
    // messages and input for it wait, and a sender gives up on them as the real back end does. `done` runs
    // at the end; then the thread takes what waited. A handler calls it to take that long.
    void TakeTime(WindowHandle window, double seconds, std::function<void()> done = {});
    // The handler running on the window's thread runs a message loop for `seconds` (a warning box shown
    // inside it), then `done`, and only then returns: messages sent to the thread meanwhile are handled
    // at once, from inside that loop, while input waits for the handler to return (the box it shows has
    // the keyboard). A handler calls it as it runs.
    void RunLoopInHandler(WindowHandle window, double seconds, std::function<void()> done);
    // Input for the window's thread (a key the user types): runs at once when the thread is free, else in
    // its turn after what waits before it.
    void Input(WindowHandle window, std::function<void()> action);
    // The keyboard focus of the window's thread: the window its keys go to (Input), 0 when it has none.
    // TakeFocus is that thread's own SetFocus (a button taking it on its button-down, the user clicking a
    // box): `window` gets it. When the focus window, or a window around it, is destroyed, the focus falls
    // back to the parent of what went (none for a top-level window), as on the platform, and stays fallen
    // back until a window takes it. LoseFocus: the thread has it nowhere (another program is active).
    WindowHandle FocusOf(WindowHandle window) const;
    void TakeFocus(WindowHandle window);
    bool FocusFellBack(WindowHandle window) const;
    void LoseFocus(WindowHandle window);
    // How many messages the window's thread has answered to their senders in time, so far.
    long AnswersFrom(WindowHandle window) const;
    // When the window's thread last became free (from TakeTime, or from a handler's loop); +infinity while
    // it is not, 0 if it never was.
    double FreeSince(WindowHandle window) const;
    // Presses (button-downs and button-ups) sent to a thread while a message sent to it earlier, to a
    // window that still exists, was given up on and not yet answered: by any copy of the program, since
    // the thread takes them in one queue.
    long PressesBehindUnanswered() const { return pressesBehindUnanswered_; }

    // The real back end's hold (kHoldAfterTimeout) and its time for a thread to count as hung (kHungAfter),
    // in seconds. A test may shorten the one or lengthen the other, so that a thread may be neither hung
    // nor held while a message to it is still unanswered: whatever the back end holds off, the logic must
    // not press behind an unanswered message.
    void SetHoldAfterTimeout(double seconds) { holdAfterTimeout_ = seconds; }
    void SetHungAfter(double seconds) { hungAfter_ = seconds; }
    // Whether a message that the back end gave up on (not one it follows to its return) is taken out of
    // the thread's queue when its thread had not begun on it, so that it is never handled, as some
    // implementations of the platform do; by default it is handled later, in its turn.
    void SetDropsUnreceivedOnTimeout(bool drops) { dropsUnreceived_ = drops; }

    VirtualClock& Clock() { return clock_; }
    // The keyboard: a key the user pressed now (whichever window it goes to), and when the last one was.
    void NoteKeyPressed() { lastKeyPressed_ = clock_.Now(); }
    std::optional<double> LastKeyPressed() const { return lastKeyPressed_; }
    // Virtual seconds that each SendMessageA to an existing window takes, before the window sees it.
    void SetSendMessageCost(double seconds) { sendMessageCost_ = seconds; }
    // Runs `action` just before the window-system call that comes `calls` calls from now (1: the next);
    // the client's doings between two of our calls that take no time.
    void BeforeCall(long calls, std::function<void()> action);

    const CallCounts& Calls() const { return calls_; }
    void ResetCalls() { calls_ = CallCounts{}; }
    // Every call since the desktop was made; ResetCalls leaves it alone.
    long CallsMade() const { return callsMade_; }
    void SetCallBudget(long calls) { callBudget_ = calls; }
    bool CallBudgetExceeded() const { return budgetExceeded_; }

    // The messages sent to a handle, oldest first, whether or not a window had it (handle 0 included);
    // and those sent to any of several, in the order they were sent.
    std::vector<SentMessage> TrafficTo(WindowHandle window) const;
    std::vector<SentMessage> TrafficTo(const std::vector<WindowHandle>& windows) const;
    void ClearTraffic() { traffic_.clear(); }
    // Long runs that need no traffic can switch it off to keep memory flat.
    void SetTrafficRecording(bool on) { recordTraffic_ = on; }
    // Every message as it is sent (the time, "[2]" when another copy's back end sends it, the text it
    // carries, what the window holds then) and every claim on the entry boxes, one line each, to see what a failing schedule did; the simulated client
    // adds the user's keys. Null stops it.
    void SetTrace(std::ostream* trace) { trace_ = trace; }
    std::ostream* Trace() const { return trace_; }

    const std::vector<SetWindowPosCall>& SetWindowPosCalls() const { return setWindowPosCalls_; }

    // WindowSystem: the first copy of the program's back end (CopyBackEnd is another's).
    WindowHandle FindWindowA(const std::string& className) override;
    WindowHandle GetWindow(WindowHandle window, unsigned command) override;
    int GetClassNameA(WindowHandle window, char* buffer, int size) override;
    Reply Send(WindowHandle window, Message message, WParam wParam, LParam lParam) override;
    Reply Send(WindowHandle window, Message message, WParam wParam, TextIn lParam) override;
    Reply Send(WindowHandle window, Message message, WParam wParam, TextBuffer lParam) override;
    void SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                      unsigned flags) override;
    void ReleaseCapture() override;
    std::string ThroughCodePage(const std::string& text) override;
    bool ClaimEntryBoxes(const void* copy) override;
    // The copy that holds the claim (a post of its runs, or it owes a draft), null when none does; and
    // since when it has held it.
    const void* EntryBoxesHolder() const { return entryBoxesHeldBy_; }
    double EntryBoxesHeldSince() const { return entryBoxesHeldSince_; }
    void ReleaseEntryBoxes(const void* copy) override;
    // Each thread's focus window stands for its active window too: MoveThreadFocus gives the focus only
    // within the top-level window that holds it now, so a thread with none gets none.
    WindowHandle FocusOfThread(WindowHandle window) override;
    bool MoveThreadFocus(WindowHandle from, WindowHandle to) override;

private:
    friend class CopyBackEnd;
    using ThreadId = unsigned;
    static constexpr ThreadId kNoThread = 0;

    // Siblings form a doubly linked list, so that GW_HWNDNEXT costs the same however many there are.
    struct Window {
        std::string className;
        std::u16string text;
        Selection selection;
        ThreadId thread = kNoThread;  // a top-level window's; its descendants have the same
        std::uint64_t identity = 0;
        WindowHandle parent = kNoWindow;
        WindowHandle firstChild = kNoWindow;
        WindowHandle lastChild = kNoWindow;
        WindowHandle previous = kNoWindow;
        WindowHandle next = kNoWindow;
        bool topmost = false;
        // Shared, so that a handler that destroys its own window does not destroy itself while running.
        std::shared_ptr<MessageHandler> handler;
    };

    // A message or an input waiting for its thread. It owns its texts, since its sender may have given
    // up on it by the time it is handled.
    struct Waiting {
        WindowHandle window = kNoWindow;
        Message message = 0;
        WParam wParam = 0;
        LParam lParam = 0;
        std::optional<std::string> setText;
        std::optional<std::string> buffer;
        std::function<void()> input;
        bool handled = false;
        bool windowGone = false;  // the window was destroyed before its turn came
        bool lossy = false;       // WM_GETTEXT of a text with characters beyond the code page
        double answeredAt = 0.0;  // once handled: when its handler was done
        LResult result = 0;
    };

    struct Thread {
        double busySince = 0.0;
        double busyUntil = 0.0;
        // A handler's message loop runs until then (RunLoopInHandler).
        double loopUntil = 0.0;
        std::deque<std::shared_ptr<Waiting>> waiting;
        // Messages that a sender gave up on, whichever copy sent them.
        std::vector<std::shared_ptr<Waiting>> givenUp;
        WindowHandle focus = kNoWindow;
        bool focusFellBack = false;
        WindowHandle fellBackTo = kNoWindow;
        long answers = 0;
        bool Busy(double now) const { return now < busyUntil; }
    };

    // What one copy's back end keeps of the messages it sent to each thread: the hold after one went
    // unanswered (kHoldAfterTimeout), and a message it follows to its return (FollowedToItsReturn) that
    // has not returned yet.
    struct SenderHold {
        double holdUntil = 0.0;
        std::shared_ptr<Waiting> inFlight;
    };
    using Holds = std::unordered_map<ThreadId, SenderHold>;

    Window* Find(WindowHandle window);
    const Window* Find(WindowHandle window) const;
    // The node that holds a window's sibling list: its parent, or the desktop's root.
    Window& ListOwner(const Window& window);
    void Unlink(Window& window);
    void LinkAtTop(WindowHandle handle, Window& window);
    void LinkAtBottom(WindowHandle handle, Window& window);
    void LinkAfter(WindowHandle handle, Window& window, WindowHandle after);
    void DestroyTree(WindowHandle window);
    void Charge(long CallCounts::*operation);
    ThreadId ThreadOf(WindowHandle window) const;
    WindowHandle TopLevelOf(WindowHandle window) const;
    // Handles what waits for the thread, in order, until it is busy or nothing is left.
    void RunWaiting(ThreadId thread);
    void Handle(Waiting& waiting);
    // Whether the copy's back end sends the thread nothing now; forgets a message in flight that has
    // returned.
    bool HoldsOff(SenderHold& hold);
    Reply Deliver(Holds& holds, WindowHandle window, Message message, WParam wParam, LParam lParam,
                  const std::string* setText, std::string* getTextBuffer);
    Reply SendText(Holds& holds, WindowHandle window, Message message, WParam wParam, TextIn lParam);
    Reply SendBuffer(Holds& holds, WindowHandle window, Message message, WParam wParam, TextBuffer lParam);
    bool MoveThreadFocus(Holds& holds, WindowHandle from, WindowHandle to);

    Window root_;
    std::unordered_map<WindowHandle, Window> windows_;
    WindowHandle nextHandle_ = 0x00010010;
    bool reusesHandles_ = false;
    std::uint64_t windowsMade_ = 0;
    std::deque<WindowHandle> freedHandles_;
    ThreadId nextThread_ = 1;
    std::unordered_map<ThreadId, Thread> threads_;
    Holds holds_;
    long pressesBehindUnanswered_ = 0;
    double holdAfterTimeout_ = kHoldAfterTimeout;
    double hungAfter_ = kHungAfter;
    bool dropsUnreceived_ = false;
    const void* entryBoxesHeldBy_ = nullptr;
    double entryBoxesHeldSince_ = 0.0;
    // While a handler runs: when it returns, if it runs a loop (RunLoopInHandler); otherwise -infinity.
    double handlerReturnsAt_ = -std::numeric_limits<double>::infinity();
    VirtualClock clock_;
    std::optional<double> lastKeyPressed_;
    double sendMessageCost_ = 0.0;
    std::multimap<long, std::function<void()>> beforeCalls_;
    CallCounts calls_;
    long callsMade_ = 0;
    long callBudget_ = kDefaultCallBudget;
    bool budgetExceeded_ = false;
    bool recordTraffic_ = true;
    std::vector<SentMessage> traffic_;
    std::ostream* trace_ = nullptr;
    std::vector<SetWindowPosCall> setWindowPosCalls_;
};

// The back end of another copy of the program on the same desktop (the desktop itself is the first
// copy's): the windows, their threads, the clock and the claim on the entry boxes are shared, as two
// processes on one machine share them; what a back end keeps of the messages it sent (its hold on a
// thread that left one unanswered, a message it follows to its return) is its own.
class CopyBackEnd final : public WindowSystem {
public:
    explicit CopyBackEnd(Desktop& desktop) : desktop_(desktop) {}

    WindowHandle FindWindowA(const std::string& className) override { return desktop_.FindWindowA(className); }
    WindowHandle GetWindow(WindowHandle window, unsigned command) override { return desktop_.GetWindow(window, command); }
    int GetClassNameA(WindowHandle window, char* buffer, int size) override {
        return desktop_.GetClassNameA(window, buffer, size);
    }
    Reply Send(WindowHandle window, Message message, WParam wParam, LParam lParam) override {
        return desktop_.Deliver(holds_, window, message, wParam, lParam, nullptr, nullptr);
    }
    Reply Send(WindowHandle window, Message message, WParam wParam, TextIn lParam) override {
        return desktop_.SendText(holds_, window, message, wParam, lParam);
    }
    Reply Send(WindowHandle window, Message message, WParam wParam, TextBuffer lParam) override {
        return desktop_.SendBuffer(holds_, window, message, wParam, lParam);
    }
    void SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                      unsigned flags) override {
        desktop_.SetWindowPos(window, insertAfter, x, y, cx, cy, flags);
    }
    void ReleaseCapture() override { desktop_.ReleaseCapture(); }
    std::string ThroughCodePage(const std::string& text) override { return desktop_.ThroughCodePage(text); }
    bool ClaimEntryBoxes(const void* copy) override { return desktop_.ClaimEntryBoxes(copy); }
    void ReleaseEntryBoxes(const void* copy) override { desktop_.ReleaseEntryBoxes(copy); }
    WindowHandle FocusOfThread(WindowHandle window) override { return desktop_.FocusOfThread(window); }
    bool MoveThreadFocus(WindowHandle from, WindowHandle to) override {
        return desktop_.MoveThreadFocus(holds_, from, to);
    }

private:
    Desktop& desktop_;
    Desktop::Holds holds_;
};

}  // namespace vorivevo::sim
