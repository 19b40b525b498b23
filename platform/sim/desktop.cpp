// The window tree, the platform's text-message semantics, and the call accounting.
#include "desktop.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <utility>

#include "horizon_reached.h"
#include "windows1252.h"

namespace vorivevo::sim {

namespace {

constexpr WindowHandle kHwndBottom = 1;
constexpr WindowHandle kHwndNoTopmost = 0xFFFFFFFEu;
constexpr unsigned kSwpNoZOrder = 0x0004;

bool SameClassName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const SentMessage& sent) {
    const char* name = nullptr;
    switch (sent.message) {
        case WM_SETTEXT: name = "WM_SETTEXT"; break;
        case WM_GETTEXT: name = "WM_GETTEXT"; break;
        case WM_GETTEXTLENGTH: name = "WM_GETTEXTLENGTH"; break;
        case WM_NCLBUTTONDOWN: name = "WM_NCLBUTTONDOWN"; break;
        case WM_LBUTTONDOWN: name = "WM_LBUTTONDOWN"; break;
        case WM_LBUTTONUP: name = "WM_LBUTTONUP"; break;
        case WM_KEYDOWN: name = "WM_KEYDOWN"; break;
        case WM_KEYUP: name = "WM_KEYUP"; break;
        case WM_NULL: name = "WM_NULL"; break;
        case EM_GETSEL: name = "EM_GETSEL"; break;
        case EM_SETSEL: name = "EM_SETSEL"; break;
        case EM_REPLACESEL: name = "EM_REPLACESEL"; break;
        case kIncidentalReads: name = "any incidental reads"; break;
        default: break;
    }
    out << '(';
    if (name != nullptr) {
        out << name;
    } else {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%04X", static_cast<unsigned>(sent.message));
        out << hex;
    }
    out << ", " << sent.wParam << ')';
    if (sent.window != kNoWindow) {
        char to[24];
        std::snprintf(to, sizeof to, " to 0x%08X", static_cast<unsigned>(sent.window));
        out << to;
    }
    return out;
}

Desktop::Desktop() = default;

Desktop::~Desktop() = default;

Desktop::Window* Desktop::Find(WindowHandle window) {
    if (window == kNoWindow) return nullptr;
    const auto found = windows_.find(window);
    return found == windows_.end() ? nullptr : &found->second;
}

const Desktop::Window* Desktop::Find(WindowHandle window) const {
    if (window == kNoWindow) return nullptr;
    const auto found = windows_.find(window);
    return found == windows_.end() ? nullptr : &found->second;
}

Desktop::Window& Desktop::ListOwner(const Window& window) {
    return window.parent == kNoWindow ? root_ : windows_.at(window.parent);
}

void Desktop::Unlink(Window& window) {
    Window& owner = ListOwner(window);
    if (window.previous != kNoWindow) {
        windows_.at(window.previous).next = window.next;
    } else {
        owner.firstChild = window.next;
    }
    if (window.next != kNoWindow) {
        windows_.at(window.next).previous = window.previous;
    } else {
        owner.lastChild = window.previous;
    }
    window.previous = window.next = kNoWindow;
}

void Desktop::LinkAtTop(WindowHandle handle, Window& window) {
    // Among top-level windows the topmost ones form a band above the rest.
    if (window.parent == kNoWindow && !window.topmost) {
        WindowHandle lastTopmost = kNoWindow;
        for (WindowHandle h = root_.firstChild; h != kNoWindow && windows_.at(h).topmost; h = windows_.at(h).next)
            lastTopmost = h;
        if (lastTopmost != kNoWindow) {
            LinkAfter(handle, window, lastTopmost);
            return;
        }
    }
    Window& owner = ListOwner(window);
    window.previous = kNoWindow;
    window.next = owner.firstChild;
    if (owner.firstChild != kNoWindow) windows_.at(owner.firstChild).previous = handle;
    owner.firstChild = handle;
    if (owner.lastChild == kNoWindow) owner.lastChild = handle;
}

void Desktop::LinkAtBottom(WindowHandle handle, Window& window) {
    Window& owner = ListOwner(window);
    window.next = kNoWindow;
    window.previous = owner.lastChild;
    if (owner.lastChild != kNoWindow) windows_.at(owner.lastChild).next = handle;
    owner.lastChild = handle;
    if (owner.firstChild == kNoWindow) owner.firstChild = handle;
}

void Desktop::LinkAfter(WindowHandle handle, Window& window, WindowHandle after) {
    Window& owner = ListOwner(window);
    Window& before = windows_.at(after);
    window.previous = after;
    window.next = before.next;
    if (before.next != kNoWindow) {
        windows_.at(before.next).previous = handle;
    } else {
        owner.lastChild = handle;
    }
    before.next = handle;
}

WindowHandle Desktop::CreateWindow(WindowHandle parent, const std::string& className, const std::string& text,
                                   Placement placement) {
    if (parent != kNoWindow && Find(parent) == nullptr)
        throw std::logic_error("CreateWindow: no parent window " + std::to_string(parent));
    WindowHandle handle = nextHandle_;
    if (reusesHandles_ && !freedHandles_.empty()) {
        handle = freedHandles_.front();
        freedHandles_.pop_front();
    } else {
        nextHandle_ += 4;
    }
    Window& window = windows_[handle];
    window.className = className;
    window.text = Utf8ToUtf16(text);
    window.parent = parent;
    window.thread = parent == kNoWindow ? nextThread_++ : kNoThread;
    window.identity = ++windowsMade_;
    const bool atTop = placement == Placement::Top || (placement == Placement::Default && parent == kNoWindow);
    if (atTop) {
        LinkAtTop(handle, window);
    } else {
        LinkAtBottom(handle, window);
    }
    return handle;
}

void Desktop::DestroyTree(WindowHandle handle) {
    if (reusesHandles_) freedHandles_.push_back(handle);
    Window& window = windows_.at(handle);
    while (window.firstChild != kNoWindow) DestroyTree(window.firstChild);
    Unlink(window);
    windows_.erase(handle);
}

void Desktop::DestroyWindow(WindowHandle window) {
    const Window* found = Find(window);
    if (found == nullptr) return;
    // As the platform does, a focus inside what goes falls back to the parent (none for a top-level window).
    const auto thread = threads_.find(ThreadOf(window));
    if (thread != threads_.end()) {
        for (WindowHandle inside = thread->second.focus; inside != kNoWindow; inside = Parent(inside)) {
            if (inside != window) continue;
            thread->second.focus = found->parent;
            thread->second.fellBackTo = found->parent;
            thread->second.focusFellBack = true;
            break;
        }
    }
    DestroyTree(window);
}

void Desktop::EndProcess(WindowHandle window) {
    const ThreadId key = ThreadOf(window);
    if (key == kNoThread) return;
    std::vector<WindowHandle> topLevel;
    for (WindowHandle h = root_.firstChild; h != kNoWindow; h = windows_.at(h).next)
        if (windows_.at(h).thread == key) topLevel.push_back(h);
    for (const WindowHandle h : topLevel) DestroyWindow(h);
    Thread& thread = threads_[key];
    const double now = clock_.Now();
    thread.busyUntil = std::min(thread.busyUntil, now);
    thread.loopUntil = std::min(thread.loopUntil, now);
    for (const std::shared_ptr<Waiting>& waiting : thread.waiting) {
        waiting->handled = true;
        waiting->windowGone = true;
        waiting->answeredAt = now;
    }
    thread.waiting.clear();
    thread.focus = kNoWindow;
}

void Desktop::BringToTop(WindowHandle handle) {
    Window* window = Find(handle);
    if (window == nullptr) return;
    Unlink(*window);
    LinkAtTop(handle, *window);
}

bool Desktop::IsWindow(WindowHandle window) const { return Find(window) != nullptr; }

std::uint64_t Desktop::Identity(WindowHandle window) const {
    const Window* found = Find(window);
    return found == nullptr ? 0 : found->identity;
}

WindowHandle Desktop::Parent(WindowHandle window) const {
    const Window* found = Find(window);
    return found == nullptr ? kNoWindow : found->parent;
}

std::vector<WindowHandle> Desktop::Children(WindowHandle window) const {
    const Window* owner = window == kNoWindow ? &root_ : Find(window);
    std::vector<WindowHandle> children;
    if (owner == nullptr) return children;
    for (WindowHandle h = owner->firstChild; h != kNoWindow; h = windows_.at(h).next) children.push_back(h);
    return children;
}

std::string Desktop::ClassName(WindowHandle window) const {
    const Window* found = Find(window);
    return found == nullptr ? std::string() : found->className;
}

bool Desktop::IsTopmost(WindowHandle window) const {
    const Window* found = Find(window);
    return found != nullptr && found->topmost;
}

std::u16string Desktop::Text16(WindowHandle window) const {
    const Window* found = Find(window);
    return found == nullptr ? std::u16string() : found->text;
}

void Desktop::SetText16(WindowHandle window, const std::u16string& text) {
    if (Window* found = Find(window)) {
        found->text = text;
        found->selection.start = std::min(found->selection.start, text.size());
        found->selection.end = std::min(found->selection.end, text.size());
    }
}

std::string Desktop::TextBytes(WindowHandle window) const { return Utf16ToWindows1252(Text16(window)); }

void Desktop::SetTextBytes(WindowHandle window, const std::string& ansi) { SetText16(window, Windows1252ToUtf16(ansi)); }

std::string Desktop::Text(WindowHandle window) const { return Utf16ToUtf8(Text16(window)); }

void Desktop::SetText(WindowHandle window, const std::string& utf8) { SetText16(window, Utf8ToUtf16(utf8)); }

Desktop::Selection Desktop::SelectionOf(WindowHandle window) const {
    const Window* found = Find(window);
    return found == nullptr ? Selection{} : found->selection;
}

void Desktop::Select(WindowHandle window, std::size_t start, std::size_t end) {
    Window* found = Find(window);
    if (found == nullptr) return;
    start = std::min(start, found->text.size());
    end = std::min(end, found->text.size());
    found->selection = start <= end ? Selection{start, end} : Selection{end, start};
}

MessageHandler Desktop::SetHandler(WindowHandle window, MessageHandler handler) {
    Window* found = Find(window);
    if (found == nullptr) return nullptr;
    MessageHandler replaced = found->handler ? *found->handler : nullptr;
    found->handler = handler ? std::make_shared<MessageHandler>(std::move(handler)) : nullptr;
    return replaced;
}

LResult Desktop::DefaultHandling(const MessageContext& context) {
    Window* window = Find(context.window);
    if (window == nullptr) return 0;
    switch (context.message) {
        case WM_GETTEXTLENGTH:
            return static_cast<LResult>(window->text.size());
        case WM_GETTEXT: {
            // At most wParam - 1 bytes and a NUL; the rest of the caller's buffer stays as it was.
            std::string* buffer = context.getTextBuffer;
            if (buffer == nullptr || context.wParam == 0 || buffer->size() < context.wParam) return 0;
            const std::string ansi = Utf16ToWindows1252(window->text);
            const std::size_t count = std::min<std::size_t>(ansi.size(), context.wParam - 1);
            ansi.copy(buffer->data(), count);
            (*buffer)[count] = '\0';
            return static_cast<LResult>(count);
        }
        case WM_SETTEXT:
            // A null text empties the window, as on the platform; the caret goes to the start.
            window->text = context.setText == nullptr ? std::u16string() : Windows1252ToUtf16(*context.setText);
            window->selection = Selection{};
            return 1;
        case EM_REPLACESEL: {
            if (context.setText == nullptr) return 0;
            const Selection selection = window->selection;
            const std::u16string text = Windows1252ToUtf16(*context.setText);
            window->text.replace(selection.start, selection.end - selection.start, text);
            const std::size_t caret = selection.start + text.size();
            window->selection = Selection{caret, caret};
            return 0;
        }
        case EM_GETSEL: {
            // Both positions in one answer; an edit box answers -1 when either does not fit a word.
            const Selection selection = window->selection;
            if (selection.end > 0xFFFF) return -1;
            return static_cast<LResult>(selection.start | (selection.end << 16));
        }
        case EM_SETSEL: {
            // -1 as the start takes the selection away and leaves the caret; -1 as the end means the end.
            const auto start = static_cast<long long>(static_cast<std::intptr_t>(context.wParam));
            const auto end = static_cast<long long>(context.lParam);
            const std::size_t length = window->text.size();
            if (start < 0) {
                window->selection.start = window->selection.end;
                return 0;
            }
            Select(context.window, static_cast<std::size_t>(start),
                   end < 0 ? length : static_cast<std::size_t>(end));
            return 0;
        }
        default:
            return 0;
    }
}

void Desktop::JoinThread(WindowHandle topLevel, WindowHandle ofTopLevel) {
    Window* window = Find(TopLevelOf(topLevel));
    const ThreadId thread = ThreadOf(ofTopLevel);
    if (window != nullptr && thread != kNoThread) window->thread = thread;
}

WindowHandle Desktop::TopLevelOf(WindowHandle window) const {
    const Window* found = Find(window);
    if (found == nullptr) return kNoWindow;
    while (found->parent != kNoWindow) {
        window = found->parent;
        found = Find(window);
    }
    return window;
}

Desktop::ThreadId Desktop::ThreadOf(WindowHandle window) const {
    const Window* topLevel = Find(TopLevelOf(window));
    return topLevel == nullptr ? kNoThread : topLevel->thread;
}

void Desktop::TakeTime(WindowHandle window, double seconds, std::function<void()> done) {
    const ThreadId key = ThreadOf(window);
    if (key == kNoThread) return;
    Thread& thread = threads_[key];
    const double now = clock_.Now();
    if (!thread.Busy(now)) thread.busySince = now;
    thread.busyUntil = std::max(thread.busyUntil, now) + std::max(seconds, 0.0);
    clock_.At(thread.busyUntil, [this, key, done = std::move(done)] {
        if (done) done();
        RunWaiting(key);
    });
}

void Desktop::Input(WindowHandle window, std::function<void()> action) {
    const ThreadId key = ThreadOf(window);
    if (key == kNoThread) return;
    auto waiting = std::make_shared<Waiting>();
    waiting->input = std::move(action);
    threads_[key].waiting.push_back(waiting);
    RunWaiting(key);
}

void Desktop::RunLoopInHandler(WindowHandle window, double seconds, std::function<void()> done) {
    const ThreadId key = ThreadOf(window);
    if (key == kNoThread) return;
    Thread& thread = threads_[key];
    const double end = clock_.Now() + std::max(seconds, 0.0);
    thread.loopUntil = std::max(thread.loopUntil, end);
    handlerReturnsAt_ = std::max(handlerReturnsAt_, end);
    clock_.At(end, [this, key, done = std::move(done)] {
        if (done) done();
        RunWaiting(key);
    });
}

WindowHandle Desktop::FocusOf(WindowHandle window) const {
    const auto found = threads_.find(ThreadOf(window));
    if (found == threads_.end() || !IsWindow(found->second.focus)) return kNoWindow;
    return found->second.focus;
}

long Desktop::AnswersFrom(WindowHandle window) const {
    const auto found = threads_.find(ThreadOf(window));
    return found == threads_.end() ? 0 : found->second.answers;
}

void Desktop::TakeFocus(WindowHandle window) {
    const ThreadId key = ThreadOf(window);
    if (key == kNoThread) return;
    threads_[key].focus = window;
}

bool Desktop::FocusFellBack(WindowHandle window) const {
    const auto found = threads_.find(ThreadOf(window));
    return found != threads_.end() && found->second.focusFellBack && found->second.focus == found->second.fellBackTo;
}

void Desktop::LoseFocus(WindowHandle window) {
    const ThreadId key = ThreadOf(window);
    if (key == kNoThread) return;
    threads_[key].focus = kNoWindow;
    threads_[key].focusFellBack = false;
}

double Desktop::FreeSince(WindowHandle window) const {
    const auto found = threads_.find(ThreadOf(window));
    if (found == threads_.end()) return 0.0;
    const Thread& thread = found->second;
    if (thread.Busy(clock_.Now()) || clock_.Now() < thread.loopUntil) return std::numeric_limits<double>::infinity();
    return std::max(thread.busyUntil, thread.loopUntil);
}

void Desktop::RunWaiting(ThreadId key) {
    Thread& thread = threads_[key];
    while (!thread.Busy(clock_.Now())) {
        // Inside a handler's loop, sent messages are handled and input waits for the handler to return.
        const bool inLoop = clock_.Now() < thread.loopUntil;
        const auto next = std::find_if(thread.waiting.begin(), thread.waiting.end(),
                                       [inLoop](const auto& waiting) { return !inLoop || !waiting->input; });
        if (next == thread.waiting.end()) return;
        const std::shared_ptr<Waiting> taken = *next;
        thread.waiting.erase(next);
        const double outerReturn = handlerReturnsAt_;
        handlerReturnsAt_ = -std::numeric_limits<double>::infinity();
        Handle(*taken);
        // A handler that takes time, or runs a loop, answers when it is done; what waits behind one that
        // takes time waits on.
        taken->answeredAt = std::max({clock_.Now(), thread.busyUntil, handlerReturnsAt_});
        handlerReturnsAt_ = outerReturn;
        taken->handled = true;
    }
}

void Desktop::Handle(Waiting& waiting) {
    if (waiting.input) {
        waiting.input();
        return;
    }
    if (Find(waiting.window) == nullptr) {
        waiting.windowGone = true;
        return;
    }
    const MessageContext context{waiting.window,
                                 waiting.message,
                                 waiting.wParam,
                                 waiting.lParam,
                                 waiting.setText ? &*waiting.setText : nullptr,
                                 waiting.buffer ? &*waiting.buffer : nullptr};
    const std::u16string& text = Find(waiting.window)->text;
    waiting.lossy = waiting.message == WM_GETTEXT && !std::all_of(text.begin(), text.end(), InWindows1252);
    const std::shared_ptr<MessageHandler> handler = Find(waiting.window)->handler;
    if (handler) {
        if (const std::optional<LResult> result = (*handler)(context)) {
            waiting.result = *result;
            return;
        }
    }
    waiting.result = DefaultHandling(context);
}

void Desktop::BeforeCall(long calls, std::function<void()> action) {
    beforeCalls_.emplace(callsMade_ + std::max(calls, 1L), std::move(action));
}

std::vector<SentMessage> Desktop::TrafficTo(WindowHandle window) const {
    return TrafficTo(std::vector<WindowHandle>{window});
}

std::vector<SentMessage> Desktop::TrafficTo(const std::vector<WindowHandle>& windows) const {
    std::vector<SentMessage> sent;
    for (const SentMessage& message : traffic_)
        if (std::find(windows.begin(), windows.end(), message.window) != windows.end()) sent.push_back(message);
    return sent;
}

void Desktop::Charge(long CallCounts::*operation) {
    ++(calls_.*operation);
    ++callsMade_;
    if (budgetExceeded_ || (callBudget_ >= 0 && callsMade_ > callBudget_)) {
        // Sticky: should a handler swallow the first throw, the next call throws again.
        budgetExceeded_ = true;
        throw HorizonReached{"more window-system calls than the budget of " + std::to_string(callBudget_)};
    }
    while (!beforeCalls_.empty() && beforeCalls_.begin()->first <= callsMade_) {
        std::function<void()> action = std::move(beforeCalls_.begin()->second);
        beforeCalls_.erase(beforeCalls_.begin());
        action();
    }
}

WindowHandle Desktop::FindWindowA(const std::string& className) {
    Charge(&CallCounts::findWindow);
    for (WindowHandle h = root_.firstChild; h != kNoWindow; h = windows_.at(h).next) {
        if (SameClassName(windows_.at(h).className, className)) return h;
    }
    return kNoWindow;
}

WindowHandle Desktop::GetWindow(WindowHandle window, unsigned command) {
    Charge(&CallCounts::getWindow);
    const Window* found = Find(window);
    if (found == nullptr) return kNoWindow;
    switch (command) {
        case GW_CHILD: return found->firstChild;
        case GW_HWNDNEXT: return found->next;
        default: return kNoWindow;
    }
}

int Desktop::GetClassNameA(WindowHandle window, char* buffer, int size) {
    Charge(&CallCounts::getClassName);
    const Window* found = Find(window);
    if (found == nullptr || buffer == nullptr || size <= 0) return 0;
    const std::size_t count = std::min<std::size_t>(found->className.size(), static_cast<std::size_t>(size) - 1);
    found->className.copy(buffer, count);
    buffer[count] = '\0';
    return static_cast<int>(count);
}

// As the real back end: nothing is sent to a thread while a message followed to its return has not
// returned (unless its window has gone), nor for a while after a message went unanswered.
bool Desktop::HoldsOff(SenderHold& hold) {
    if (hold.inFlight) {
        const Waiting& inFlight = *hold.inFlight;
        if (!(inFlight.handled && inFlight.answeredAt <= clock_.Now()) && Find(inFlight.window) != nullptr) return true;
        hold.inFlight.reset();
    }
    return clock_.Now() < hold.holdUntil;
}

Reply Desktop::Deliver(Holds& holds, WindowHandle window, Message message, WParam wParam, LParam lParam,
                       const std::string* setText, std::string* getTextBuffer) {
    Charge(&CallCounts::sendMessage);
    if (recordTraffic_) traffic_.push_back(SentMessage{message, wParam, window});
    if (trace_ != nullptr) {
        *trace_ << clock_.Now() << (&holds == &holds_ ? " " : " [2] ") << SentMessage{message, wParam, window} << ' ' << ClassName(window);
        if (setText != nullptr) *trace_ << " \"" << Windows1252ToUtf8(*setText) << '"';
        *trace_ << " holding \"" << Text(window) << "\" " << SelectionOf(window).start << '-' << SelectionOf(window).end
                << '\n';
    }
    if (Find(window) == nullptr) return Reply{Delivery::NoWindow, 0};
    const ThreadId key = ThreadOf(window);
    SenderHold& hold = holds[key];
    const auto answered = [this](const Waiting& waiting) {
        return waiting.handled && waiting.answeredAt <= clock_.Now();
    };
    // A thread that has been busy for long is taken for hung and not waited for, unless the message is
    // followed to its return.
    if (HoldsOff(hold)) return Reply{Delivery::NoAnswer, 0};
    const bool followed = FollowedToItsReturn(message);
    {
        const Thread& thread = threads_[key];
        if (!followed && thread.Busy(clock_.Now()) && clock_.Now() - thread.busySince >= hungAfter_) {
            hold.holdUntil = clock_.Now() + holdAfterTimeout_;
            return Reply{Delivery::NoAnswer, 0};
        }
    }
    if (sendMessageCost_ > 0.0) {
        clock_.AdvanceBy(sendMessageCost_);
        // What the clock ran on the way may have closed the window.
        if (Find(window) == nullptr) return Reply{Delivery::NoWindow, 0};
    }
    Thread& thread = threads_[key];
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_KEYDOWN || message == WM_KEYUP) {
        // One whose window has gone will do nothing in its turn.
        const bool behind = std::any_of(thread.givenUp.begin(), thread.givenUp.end(), [&](const auto& earlier) {
            return !answered(*earlier) && Find(earlier->window) != nullptr;
        });
        if (behind) ++pressesBehindUnanswered_;
        if (behind && trace_ != nullptr) *trace_ << clock_.Now() << " the press above went behind an unanswered message\n";
    }

    auto waiting = std::make_shared<Waiting>();
    waiting->window = window;
    waiting->message = message;
    waiting->wParam = wParam;
    waiting->lParam = lParam;
    if (setText != nullptr) waiting->setText = *setText;
    if (getTextBuffer != nullptr) waiting->buffer = *getTextBuffer;
    thread.waiting.push_back(waiting);
    RunWaiting(key);

    const double giveUp = clock_.Now() + kSendTimeout;
    while (!answered(*waiting) && clock_.Now() < giveUp) {
        const double until = waiting->handled ? waiting->answeredAt : clock_.NextActionTime();
        clock_.AdvanceTo(std::min(until, giveUp));
    }
    if (!answered(*waiting)) {
        // The clock ran on the way: look the thread and the hold up again.
        Thread& later = threads_[key];
        SenderHold& laterHold = holds[key];
        if (!followed && !waiting->handled && dropsUnreceived_) {
            later.waiting.erase(std::find(later.waiting.begin(), later.waiting.end(), waiting));
            laterHold.holdUntil = clock_.Now() + holdAfterTimeout_;
            return Reply{Delivery::NoAnswer, 0};
        }
        // Handled later, in its turn, or returning later; its answer then goes nowhere.
        if (followed) {
            laterHold.inFlight = waiting;
        } else {
            laterHold.holdUntil = clock_.Now() + holdAfterTimeout_;
        }
        later.givenUp.erase(std::remove_if(later.givenUp.begin(), later.givenUp.end(),
                                           [&answered](const auto& earlier) { return answered(*earlier); }),
                            later.givenUp.end());
        later.givenUp.push_back(waiting);
        return Reply{Delivery::NoAnswer, 0};
    }
    if (waiting->windowGone) return Reply{Delivery::NoWindow, 0};
    ++threads_[key].answers;
    if (getTextBuffer != nullptr && waiting->buffer) *getTextBuffer = *waiting->buffer;
    return Reply{Delivery::Answered, waiting->result, waiting->lossy};
}

Reply Desktop::Send(WindowHandle window, Message message, WParam wParam, LParam lParam) {
    return Deliver(holds_, window, message, wParam, lParam, nullptr, nullptr);
}

Reply Desktop::Send(WindowHandle window, Message message, WParam wParam, TextIn lParam) {
    return SendText(holds_, window, message, wParam, lParam);
}

Reply Desktop::Send(WindowHandle window, Message message, WParam wParam, TextBuffer lParam) {
    return SendBuffer(holds_, window, message, wParam, lParam);
}

Reply Desktop::SendText(Holds& holds, WindowHandle window, Message message, WParam wParam, TextIn lParam) {
    const std::string ansi = Utf8ToWindows1252(lParam.text);
    return Deliver(holds, window, message, wParam, 0, &ansi, nullptr);
}

Reply Desktop::SendBuffer(Holds& holds, WindowHandle window, Message message, WParam wParam, TextBuffer lParam) {
    if (Find(window) == nullptr) {
        // Nothing touches the caller's buffer, so its text stays as it was.
        return Deliver(holds, window, message, wParam, 0, nullptr, nullptr);
    }
    // The window gets wParam bytes: the caller's filling, cut or padded to wParam - 1, then a NUL.
    std::string buffer = Utf8ToWindows1252(lParam.text);
    const std::size_t visible = wParam == 0 ? 0 : static_cast<std::size_t>(wParam - 1);
    buffer.resize(visible, '\0');
    if (wParam != 0) buffer.push_back('\0');
    const Reply reply = Deliver(holds, window, message, wParam, 0, nullptr, &buffer);
    if (!reply.Answered()) return reply;
    buffer.resize(std::min(buffer.size(), visible));
    lParam.text = Windows1252ToUtf8(buffer);
    return reply;
}

void Desktop::SetWindowPos(WindowHandle handle, WindowHandle insertAfter, int x, int y, int cx, int cy,
                           unsigned flags) {
    Charge(&CallCounts::setWindowPos);
    Window* window = Find(handle);
    if (window == nullptr) return;
    setWindowPosCalls_.push_back(SetWindowPosCall{handle, insertAfter, x, y, cx, cy, flags});
    if ((flags & kSwpNoZOrder) != 0) return;
    const bool topLevel = window->parent == kNoWindow;
    Unlink(*window);
    if (insertAfter == HWND_TOPMOST && topLevel) {
        window->topmost = true;
    } else if (insertAfter == kHwndNoTopmost && topLevel) {
        window->topmost = false;
    }
    if (insertAfter == kHwndBottom) {
        window->topmost = false;
        LinkAtBottom(handle, *window);
    } else {
        // HWND_TOP, HWND_TOPMOST, HWND_NOTOPMOST; the sim places nothing behind a given window.
        LinkAtTop(handle, *window);
    }
}

void Desktop::ReleaseCapture() { Charge(&CallCounts::releaseCapture); }

// A conversion, not a call on any window: it is not counted, and moves no scripted action.
std::string Desktop::ThroughCodePage(const std::string& text) { return Windows1252ToUtf8(Utf8ToWindows1252(text)); }

// Every copy of the program in a test shares this desktop, as copies on one machine share the platform.
bool Desktop::ClaimEntryBoxes(const void* copy) {
    if (trace_ != nullptr) *trace_ << clock_.Now() << " claim by " << copy << " (held by " << entryBoxesHeldBy_ << ")\n";
    if (entryBoxesHeldBy_ == nullptr) {
        entryBoxesHeldBy_ = copy;
        entryBoxesHeldSince_ = clock_.Now();
    }
    return entryBoxesHeldBy_ == copy;
}

void Desktop::ReleaseEntryBoxes(const void* copy) {
    if (trace_ != nullptr) *trace_ << clock_.Now() << " release by " << copy << " (held by " << entryBoxesHeldBy_ << ")\n";
    if (entryBoxesHeldBy_ == copy) entryBoxesHeldBy_ = nullptr;
}

WindowHandle Desktop::FocusOfThread(WindowHandle window) {
    Charge(&CallCounts::focusOfThread);
    return FocusOf(window);
}

bool Desktop::MoveThreadFocus(WindowHandle from, WindowHandle to) { return MoveThreadFocus(holds_, from, to); }

bool Desktop::MoveThreadFocus(Holds& holds, WindowHandle from, WindowHandle to) {
    Charge(&CallCounts::moveThreadFocus);
    const ThreadId key = ThreadOf(to);
    if (key == kNoThread || from == kNoWindow || FocusOf(to) != from) return true;
    // As the real back end: nothing while the thread owes this copy an answer, nor into another top-level
    // window than the one that has the focus (that would activate it).
    if (HoldsOff(holds[key])) return false;
    if (TopLevelOf(from) != TopLevelOf(to)) return true;
    // A focus given back to where it had fallen (the press came after the fall) is still the client's doing.
    threads_[key].focus = to;
    return true;
}

}  // namespace vorivevo::sim
