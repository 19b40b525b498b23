// Typing runs on a timer of the client's own thread.
#include "typist.h"

#include <algorithm>
#include <cstdio>

namespace vorivevo::practice {

namespace {

constexpr char kTypistClass[] = "PracticeTypist";
constexpr UINT_PTR kTypingTimer = 1;
// Keys that fall due between two ticks go together at the second, so the rate holds on average.
constexpr UINT kTickMs = 5;
// After a run's last key: time for its keys to reach the box before the run is reported.
constexpr double kSettleMs = 500;

std::string Ms(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", ms);
    return text;
}

}  // namespace

Typist::Typist(HINSTANCE instance, ChatFrame& frame, EventLog& log) : instance_(instance), frame_(frame), log_(log) {
    LARGE_INTEGER frequency;
    if (QueryPerformanceFrequency(&frequency)) ticksPerMs_ = static_cast<double>(frequency.QuadPart) / 1000;
}

Typist::~Typist() {
    if (window_) DestroyWindow(window_);
}

bool Typist::Create() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = instance_;
    windowClass.lpszClassName = kTypistClass;
    if (!RegisterClassA(&windowClass)) return false;
    // Message-only: nothing to see, nothing that takes the focus.
    window_ = CreateWindowExA(0, kTypistClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_, this);
    return window_ != nullptr;
}

double Typist::NowMs() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs_;
}

LRESULT CALLBACK Typist::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Typist*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == WM_TIMER && wParam == kTypingTimer) {
        self->OnTick();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Typist::Type(Path path, int count, double rate) {
    runs_.push_back(Run{path, count, rate});
    if (runs_.size() == 1) SetTimer(window_, kTypingTimer, kTickMs, nullptr);
}

void Typist::OnTick() {
    if (runs_.empty()) {
        KillTimer(window_, kTypingTimer);
        return;
    }
    const Run& run = runs_.front();
    const double now = NowMs();
    if (!begun_) {
        begun_ = true;
        beganMs_ = now;
        typed_ = toEntry_ = toSend_ = elsewhere_ = 0;
    }
    // Key i is due i / rate seconds after the run began.
    while (typed_ < run.count && now >= beganMs_ + typed_ * 1000 / run.rate) {
        TypeKey(run.path);
        ++typed_;
        lastKeyMs_ = now;
    }
    if (typed_ == run.count && now >= lastKeyMs_ + kSettleMs) Finish();
}

void Typist::TypeKey(Path path) {
    const char letter = Letter(keysTyped_++);
    if (path == Path::Thread) {
        const std::string where = frame_.FocusName();
        const HWND focus = GetFocus();
        if (where == "entry") ++toEntry_;
        else if (where == "send") ++toSend_;
        else ++elsewhere_;
        if (focus) PostMessageA(focus, WM_CHAR, static_cast<WPARAM>(letter), 1);
        return;
    }
    const WORD key = static_cast<WORD>('A' + (letter - 'a'));
    INPUT input[2]{};
    for (int i = 0; i < 2; ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = key;
        input[i].ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
        input[i].ki.dwFlags = i == 0 ? 0 : KEYEVENTF_KEYUP;
    }
    inFlight_.emplace_back(letter, NowMs());
    SendInput(2, input, sizeof(INPUT));
}

void Typist::OnEntryCharacter(WPARAM character) {
    // Keys ahead of this one that have not come went elsewhere (to Send, to another program).
    while (!inFlight_.empty() && static_cast<WPARAM>(static_cast<unsigned char>(inFlight_.front().first)) != character)
        inFlight_.pop_front();
    if (inFlight_.empty()) return;
    delays_.push_back(NowMs() - inFlight_.front().second);
    inFlight_.pop_front();
    ++toEntry_;
}

void Typist::Finish() {
    const Run run = runs_.front();
    runs_.pop_front();
    begun_ = false;
    std::string record;
    if (run.path == Path::Thread) {
        record = "typed thread " + std::to_string(run.count) + " entry " + std::to_string(toEntry_) + " send " +
                 std::to_string(toSend_) + " elsewhere " + std::to_string(elsewhere_);
    } else {
        std::sort(delays_.begin(), delays_.end());
        const double median = delays_.empty() ? 0 : delays_[delays_.size() / 2];
        const double most = delays_.empty() ? 0 : delays_.back();
        record = "typed keyboard " + std::to_string(run.count) + " entry " + std::to_string(toEntry_) +
                 " delay-ms " + Ms(median) + " " + Ms(most);
    }
    inFlight_.clear();
    delays_.clear();
    log_.Event(record);
}

}  // namespace vorivevo::practice
