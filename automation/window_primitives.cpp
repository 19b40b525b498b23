// The window primitives and the timed wait.
#include <algorithm>
#include <cctype>
#include <utility>

#include "client_automation.h"
#include "text_units.h"

namespace vorivevo {

bool ClientAutomation::ClassMatches(const std::string& className, const std::string& pattern) {
    if (className.size() < pattern.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        auto upper = [](char c) { return std::toupper(static_cast<unsigned char>(c)); };
        if (upper(className[i]) != upper(pattern[i])) return false;
    }
    return true;
}

WindowHandle ClientAutomation::FindChildByClass(WindowHandle parent, const std::string& pattern) {
    WindowHandle child = windows_.GetWindow(parent, GW_CHILD);
    for (int walked = 0; child != kNoWindow && walked < kMaxSiblingWalk; ++walked) {
        // The whole 250-character buffer is compared, so a class shorter than the pattern meets a NUL.
        if (ClassMatches(WindowClassOf(child), pattern)) return child;
        child = windows_.GetWindow(child, GW_HWNDNEXT);
    }
    return kNoWindow;
}

std::string ClientAutomation::WindowClassOf(WindowHandle window) {
    std::string buffer(kClassBufferLength, '\0');
    windows_.GetClassNameA(window, buffer.data(), kClassBufferLength);
    return buffer;
}

std::string ClientAutomation::ReadWindowText(WindowHandle window) {
    const LResult claimed = windows_.SendMessageA(window, WM_GETTEXTLENGTH, 0, LParam{0});
    const long length = static_cast<long>(std::clamp<LResult>(claimed, 0, kMaxTextLength));
    std::string buffer(static_cast<std::size_t>(length), ' ');
    windows_.SendMessageA(window, WM_GETTEXT, static_cast<WParam>(length) + 1, TextBuffer{buffer});
    return buffer;
}

void ClientAutomation::WriteWindowText(WindowHandle window, const std::string& text) {
    windows_.SendMessageA(window, WM_SETTEXT, 0, TextIn{text});
}

ClientAutomation::Outcome ClientAutomation::OutcomeOf(const Reply& reply) {
    switch (reply.delivery) {
        case Delivery::Answered: return Outcome::Done;
        case Delivery::NoWindow: return Outcome::Gone;
        case Delivery::NoAnswer: break;
    }
    return Outcome::Unanswered;
}

ClientAutomation::Outcome ClientAutomation::SendTo(WindowHandle window, Message message, WParam wParam, LParam lParam,
                                                   LResult* answer) {
    const Reply reply = windows_.Send(window, message, wParam, lParam);
    if (answer != nullptr) *answer = reply.result;
    return OutcomeOf(reply);
}

ClientAutomation::Outcome ClientAutomation::SendText(WindowHandle window, Message message, const std::string& text) {
    return OutcomeOf(windows_.Send(window, message, 0, TextIn{text}));
}

ClientAutomation::Outcome ClientAutomation::ReadBox(WindowHandle box, std::string& text, bool* lossy) {
    const Reply length = windows_.Send(box, WM_GETTEXTLENGTH, 0, LParam{0});
    if (!length.Answered()) return OutcomeOf(length);
    const LResult announced = std::clamp<LResult>(length.result, 0, kMaxTextLength);
    // Room for one character more than announced, so that a text that grew in between shows as well as
    // one that shrank: the read counts only when exactly the announced characters came, and then holds
    // the whole text.
    std::string buffer(static_cast<std::size_t>(announced) + 1, ' ');
    const Reply copied = windows_.Send(box, WM_GETTEXT, static_cast<WParam>(announced) + 2, TextBuffer{buffer});
    if (!copied.Answered()) return OutcomeOf(copied);
    const std::size_t end = buffer.find('\0');
    if (copied.result != announced || end == std::string::npos) return Outcome::Refused;
    // A text that lost characters on the way would come back to the box without them: only a caller that
    // writes none of it back takes such a read.
    if (copied.lossy && lossy == nullptr) return Outcome::Refused;
    if (lossy != nullptr) *lossy = copied.lossy;
    buffer.resize(end);
    text = std::move(buffer);
    return Outcome::Done;
}

std::size_t ClientAutomation::KeysTypedAt(const std::string& now, const std::string& text) {
    if (now.size() < text.size()) return std::string::npos;
    std::size_t head = static_cast<std::size_t>(
        std::mismatch(text.begin(), text.end(), now.begin()).first - text.begin());
    // Two characters that begin with the same bytes are still two: the keys begin at a character.
    while (head > 0 && head < now.size() && IsFollowingByte(now[head])) --head;
    const std::size_t tail = static_cast<std::size_t>(
        std::mismatch(text.rbegin(), text.rend(), now.rbegin()).first - text.rbegin());
    return head + tail >= text.size() ? head : std::string::npos;
}

void ClientAutomation::PinAboveAll(WindowHandle window) {
    windows_.SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void ClientAutomation::BeginWindowDrag(WindowHandle window) {
    events_.DoEvents();
    windows_.ReleaseCapture();
    // Runs the system's move loop; returns when the button is released.
    windows_.SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, LParam{0});
}

void ClientAutomation::WaitSeconds(Duration length) {
    const Instant deadline = events_.Now() + std::max(length, Duration::zero());
    for (;;) {
        if (events_.Now() >= deadline) return;
        events_.DoEvents();
        if (events_.Now() >= deadline) return;
        SettleOwedDraftWhenDue();
        events_.WaitForEvent(std::min(deadline, drafts_.NextTry()));
    }
}

}  // namespace vorivevo
