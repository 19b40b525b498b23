// The contract cases' stage on real windows: the client's window tree, built from the system's own
// controls on a thread of its own, and driven through the user32 back end.
#include "win32_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <exception>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "ansi_text.h"
#include "client_window_tree.h"
#include "contract_desktop.h"
#include "tick_deadline.h"
#include "win32_event_pump.h"
#include "win32_window_system.h"

namespace vorivevo::contract {
namespace {

using client_model::ChildRole;
using client_model::Control;

// A child's control id is this plus its place in the client model's list of the window's children.
constexpr int kFirstChildId = 100;
constexpr UINT kFirstMdiChildId = 50000;
constexpr UINT kRunTask = WM_APP + 1;

// Our own class names; nothing looks them up.
constexpr char kParentClass[] = "_Vorivevo_Parent";
constexpr char kEditClass[] = "_Vorivevo_Edit";
constexpr char kRunnerClass[] = "_Vorivevo_Runner";

std::string ToAnsi(const std::string& utf8) {
    const std::wstring wide = Utf8ToWide(utf8);
    return WideToAnsi(wide.data(), wide.size());
}

// As UTF-8, whether the window is ANSI or Unicode.
std::string Utf8TextOf(HWND window) {
    if (window == nullptr) return {};
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    return WideToUtf8(text.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

std::string AnsiTextOf(HWND window) {
    if (window == nullptr) return {};
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::string Lowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// What a class of ours is made from: a system control it superclasses, or one of our procedures.
enum class Base { Own, Edit, Button, ListBox, Static, MdiClient };

const char* SystemClassOf(Base base) {
    switch (base) {
        case Base::Edit: return "EDIT";
        case Base::Button: return "BUTTON";
        case Base::ListBox: return "LISTBOX";
        case Base::Static: return "STATIC";
        case Base::MdiClient: return "MDICLIENT";
        case Base::Own: break;
    }
    return nullptr;
}

struct ClassKind {
    Base base;
    WNDPROC proc;  // for Base::Own
    bool operator==(const ClassKind& other) const { return base == other.base && proc == other.proc; }
};

// Class names are case-insensitive atoms of the process: while "RICHCNTL" is registered, "RichCntl"
// cannot be, and the class keeps reporting its first spelling. A case may hold two stages at once while
// it replaces one, so registrations are counted across stages, and a class goes when the last stage
// using it has destroyed its windows; the next case may then register another spelling.
class ClassRegistry {
public:
    static void Acquire(const std::string& name, const ClassKind& kind) {
        std::lock_guard<std::mutex> lock(Mutex());
        auto& entries = Entries();
        const auto found = entries.find(Lowercase(name));
        if (found != entries.end()) {
            if (found->second.spelling != name || !(found->second.kind == kind))
                throw std::logic_error("the class \"" + name + "\" is wanted while \"" + found->second.spelling +
                                       "\" is registered in another spelling or built otherwise: a process holds "
                                       "one class per name, whatever its letter case");
            ++found->second.users;
            return;
        }
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        if (kind.base == Base::Own) {
            windowClass.lpfnWndProc = kind.proc;
        } else if (!GetClassInfoExA(nullptr, SystemClassOf(kind.base), &windowClass)) {
            throw std::runtime_error(std::string("no system class ") + SystemClassOf(kind.base));
        }
        windowClass.cbSize = sizeof(windowClass);
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = name.c_str();
        windowClass.style &= ~CS_GLOBALCLASS;
        if (RegisterClassExA(&windowClass) == 0)
            throw std::runtime_error("RegisterClassEx failed for \"" + name + "\": error " +
                                     std::to_string(GetLastError()));
        entries.emplace(Lowercase(name), Entry{name, kind, 1});
    }

    static void Release(const std::string& name) {
        std::lock_guard<std::mutex> lock(Mutex());
        auto& entries = Entries();
        const auto found = entries.find(Lowercase(name));
        if (found == entries.end() || --found->second.users > 0) return;
        UnregisterClassA(name.c_str(), GetModuleHandleA(nullptr));
        entries.erase(found);
    }

private:
    struct Entry {
        std::string spelling;
        ClassKind kind;
        int users;
    };
    static std::mutex& Mutex() {
        static std::mutex mutex;
        return mutex;
    }
    static std::map<std::string, Entry>& Entries() {
        static std::map<std::string, Entry> entries;
        return entries;
    }
};

// The classes one stage uses, each counted once, released when the stage goes.
class StageClasses {
public:
    StageClasses() = default;
    StageClasses(const StageClasses&) = delete;
    StageClasses& operator=(const StageClasses&) = delete;
    ~StageClasses() {
        for (const auto& name : names_) ClassRegistry::Release(name);
    }
    void Need(const std::string& name, const ClassKind& kind) {
        for (const auto& held : names_)
            if (held == name) return;
        ClassRegistry::Acquire(name, kind);
        names_.push_back(name);
    }

private:
    std::vector<std::string> names_;
};

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK RunnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The task catches everything itself: nothing may unwind through the system's dispatch.
    if (message == kRunTask) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The client's own thread: its windows are answered there, so our messages to them cross threads and
// take the bounded path that messages to the real client take. Every task runs there, one at a time,
// while the calling thread waits, so the stage's state is only ever touched on this thread.
class ClientThread {
public:
    ClientThread() {
        classes_.Need(kRunnerClass, ClassKind{Base::Own, RunnerProc});
        std::promise<HWND> ready;
        std::future<HWND> runner = ready.get_future();
        thread_ = std::thread([this, &ready] { Main(ready); });
        runner_ = runner.get();
        if (runner_ == nullptr) {
            thread_.join();
            throw std::runtime_error("the client thread could not make its window");
        }
    }
    ~ClientThread() {
        Run([] { PostQuitMessage(0); });
        thread_.join();
    }
    ClientThread(const ClientThread&) = delete;
    ClientThread& operator=(const ClientThread&) = delete;

    template <typename Task>
    auto Run(Task task) -> decltype(task()) {
        using Result = decltype(task());
        if constexpr (std::is_void_v<Result>) {
            RunTask(task);
        } else {
            std::optional<Result> result;
            RunTask([&] { result.emplace(task()); });
            return std::move(*result);
        }
    }

private:
    void RunTask(const std::function<void()>& task) {
        std::exception_ptr failure;
        const std::function<void()> guarded = [&] {
            try {
                task();
            } catch (...) {
                failure = std::current_exception();
            }
        };
        SendMessageA(runner_, kRunTask, 0, reinterpret_cast<LPARAM>(&guarded));
        if (failure) std::rethrow_exception(failure);
    }

    void Main(std::promise<HWND>& ready) {
        const HWND runner = CreateWindowExA(0, kRunnerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                            GetModuleHandleA(nullptr), nullptr);
        ready.set_value(runner);
        if (runner == nullptr) return;
        // The ANSI loop, as the client's.
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        DestroyWindow(runner);
    }

    StageClasses classes_;
    std::thread thread_;
    HWND runner_ = nullptr;
};

class Win32ContractDesktop;

// What the client's windows ask of the stage; it runs on the client thread.
Win32ContractDesktop* StageOf(HWND window) {
    return reinterpret_cast<Win32ContractDesktop*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MdiChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK KeepingEntryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK UnicodeEntryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class Win32ContractDesktop final : public ContractDesktop {
public:
    ~Win32ContractDesktop() override {
        // The next case must find none of these windows, and their classes cannot go while they exist.
        client_.Run([this] {
            for (auto window = topLevel_.rbegin(); window != topLevel_.rend(); ++window)
                if (IsWindow(*window)) DestroyWindow(*window);
            topLevel_.clear();
        });
    }

    WindowSystem& Windows() override { return windows_; }
    EventLoop& Events() override { return events_; }
    long Dispatches() override { return events_.Pumps(); }

    Family MakeParent(const std::vector<std::string>& childClasses) override {
        return client_.Run([&] {
            const HWND parent = CreateTopLevel(kParentClass, {Base::Own, PlainProc}, "");
            std::vector<HWND> children;
            for (const auto& className : childClasses)
                children.push_back(CreateChild(parent, className, {Base::Own, PlainProc}, 0, ""));
            ExpectChildOrder(parent, children);
            Family family{ToWindowHandle(parent), {}};
            for (const HWND child : children) family.children.push_back(ToWindowHandle(child));
            return family;
        });
    }

    WindowHandle MakeWindow(WindowHandle parent, const std::string& className) override {
        return client_.Run([&] {
            const HWND window = parent == kNoWindow
                                    ? CreateTopLevel(className, {Base::Own, PlainProc}, "")
                                    : CreateChild(ToHwnd(parent), className, {Base::Own, PlainProc}, 0, "");
            return ToWindowHandle(window);
        });
    }

    WindowHandle MakeTextWindow(const std::string& text) override {
        return client_.Run([&] { return ToWindowHandle(CreateTopLevel(kEditClass, {Base::Edit, nullptr}, text)); });
    }

    void OpenChatClient(const ChatLayout& layout) override {
        client_.Run([&] { BuildClient(layout); });
    }
    WindowHandle Room() override { return client_.Run([this] { return ToWindowHandle(Alive(room_)); }); }
    WindowHandle EntryBox() override { return client_.Run([this] { return ToWindowHandle(Alive(entryBox_)); }); }
    std::string EntryText() override { return client_.Run([this] { return Utf8TextOf(Alive(entryBox_)); }); }
    void TypeDraft(const std::string& text) override {
        client_.Run([&] {
            ownChange_ = true;
            // An ANSI box gets it through the code page, as from SetWindowTextA.
            if (const HWND entry = Alive(entryBox_)) SetWindowTextW(entry, Utf8ToWide(text).c_str());
            ownChange_ = false;
        });
    }
    void Select(unsigned start, unsigned end) override {
        client_.Run([&] { SendMessageA(Alive(entryBox_), EM_SETSEL, start, end); });
    }
    std::pair<unsigned, unsigned> Selection() override {
        return client_.Run([this] {
            DWORD start = 0, end = 0;
            SendMessageA(Alive(entryBox_), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            return std::pair<unsigned, unsigned>{start, end};
        });
    }
    void FocusEntryBox() override {
        client_.Run([this] { SetFocus(Alive(entryBox_)); });
    }
    WindowHandle FocusedWindow() override { return client_.Run([] { return ToWindowHandle(GetFocus()); }); }
    std::vector<std::string> Received() override { return client_.Run([this] { return received_; }); }
    long SendPresses() override { return client_.Run([this] { return presses_; }); }

    WindowHandle OpenDialog(DialogKind kind) override {
        return client_.Run([&] {
            const char* dialogClass =
                kind == DialogKind::Palette ? client_model::kPaletteClass : client_model::kModalClass;
            const HWND dialog = CreateTopLevel(dialogClass, {Base::Own, DialogProc}, "Prompt");
            SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            CreateChildren(dialog, client_model::kDialogChildren, ClientClasses{});
            return ToWindowHandle(dialog);
        });
    }
    std::vector<DialogPress> DialogPresses() override { return client_.Run([this] { return dialogPresses_; }); }

    // From the client's windows, on the client thread.
    HWND MdiClient() const { return mdiClient_; }
    // A box that keeps its text refuses every text given to it but the client's own (the user's typing, a send).
    LRESULT OnKeepingEntry(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if ((message == WM_SETTEXT || message == EM_REPLACESEL) && !ownChange_) return FALSE;
        return CallWindowProcA(entryProc_, window, message, wParam, lParam);
    }
    LRESULT OnUnicodeEntry(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        return CallWindowProcW(entryProc_, window, message, wParam, lParam);
    }
    void OnRoomCommand(HWND room, WPARAM wParam) {
        const int sendId = kFirstChildId + client_model::kRoomChildren.IndexOf(ChildRole::Send);
        if (room == room_ && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == sendId) OnSendClicked();
    }
    void OnDialogCommand(HWND dialog, WPARAM wParam) {
        if (HIWORD(wParam) != BN_CLICKED) return;
        dialogPresses_.push_back(DialogPress{ToWindowHandle(dialog), static_cast<int>(LOWORD(wParam)) - kFirstChildId});
    }

private:
    static HWND Alive(HWND window) { return window != nullptr && IsWindow(window) ? window : nullptr; }

    // Hidden and without a caption, so that Wine does not take them for windows that a window manager
    // would handle: without one, it stalls for about two seconds when it destroys such a window.
    HWND CreateTopLevel(const std::string& className, const ClassKind& kind, const std::string& text) {
        classes_.Need(className, kind);
        const HWND window = CreateWindowExA(0, className.c_str(), ToAnsi(text).c_str(),
                                            WS_POPUP | WS_CLIPCHILDREN | (kind.base == Base::Edit ? ES_AUTOHSCROLL : 0),
                                            0, 0, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (window == nullptr) throw std::runtime_error("could not create a window of class " + className);
        topLevel_.push_back(window);
        return window;
    }

    HWND CreateChild(HWND parent, const std::string& className, const ClassKind& kind, int id,
                     const std::string& text) {
        classes_.Need(className, kind);
        DWORD style = WS_CHILD | WS_VISIBLE;
        switch (kind.base) {
            // Without it a single-line box refuses text wider than itself.
            case Base::Edit: style |= ES_AUTOHSCROLL; break;
            case Base::Button: style |= BS_PUSHBUTTON; break;
            case Base::ListBox: style |= LBS_NOINTEGRALHEIGHT; break;
            case Base::Static: style |= SS_LEFT; break;
            case Base::MdiClient:
            case Base::Own: break;
        }
        // The button's click needs the press point (0, 0) inside it, so every child has a size.
        const HWND child =
            CreateWindowExA(0, className.c_str(), ToAnsi(text).c_str(), style, 0, 0, 60, 20, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
        if (child == nullptr) throw std::runtime_error("could not create a child of class " + className);
        return child;
    }

    static void ExpectChildOrder(HWND parent, const std::vector<HWND>& expected) {
        std::vector<HWND> actual;
        for (HWND h = GetWindow(parent, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) actual.push_back(h);
        if (actual != expected)
            throw std::logic_error("the windows' order from the top is not the order the stage meant to build");
    }

    static void ExpectClassName(HWND window, const std::string& expected) {
        char name[256] = {};
        GetClassNameA(window, name, sizeof name);
        if (expected != name)
            throw std::logic_error("a window of class \"" + std::string(name) + "\" where the stage meant \"" +
                                   expected + "\"");
    }

    // The client's classes, as the client model spells them unless a case asks for other letter cases.
    struct ClientClasses {
        std::string mdiClient;  // empty: the system's own
        std::string richText = client_model::ClassOf(Control::RichText);
        std::string listBox = client_model::ClassOf(Control::ListBox);
        std::string staticText = client_model::ClassOf(Control::Static);
        std::string icon = client_model::ClassOf(Control::Icon);

        const std::string& Of(Control control) const {
            switch (control) {
                case Control::RichText: return richText;
                case Control::ListBox: return listBox;
                case Control::Static: return staticText;
                case Control::Icon: break;
            }
            return icon;
        }
    };

    static ClassKind KindOf(Control control) {
        switch (control) {
            case Control::RichText: return {Base::Edit, nullptr};
            case Control::ListBox: return {Base::ListBox, nullptr};
            case Control::Static: return {Base::Static, nullptr};
            case Control::Icon: break;
        }
        return {Base::Button, nullptr};
    }

    // The children in the model's order, each with the id of its place there; `keep` may leave some out.
    template <typename Keep>
    std::vector<HWND> CreateChildren(HWND parent, client_model::Children children, const ClientClasses& names,
                                     Keep keep) {
        std::vector<HWND> created(static_cast<std::size_t>(children.size()), nullptr);
        for (int index = 0; index < children.size(); ++index) {
            const client_model::ChildWindow& child = children[index];
            if (!keep(child)) continue;
            created[static_cast<std::size_t>(index)] =
                CreateChild(parent, names.Of(child.control), KindOf(child.control), kFirstChildId + index, child.text);
        }
        return created;
    }
    std::vector<HWND> CreateChildren(HWND parent, client_model::Children children, const ClientClasses& names) {
        return CreateChildren(parent, children, names, [](const client_model::ChildWindow&) { return true; });
    }

    void BuildClient(const ChatLayout& layout) {
        if (frame_ != nullptr) throw std::logic_error("OpenChatClient: one client per stage");
        if (layout.mdiChildren < 0 || layout.roomPosition < 0 || layout.roomPosition > layout.mdiChildren)
            throw std::logic_error("OpenChatClient: the room's position must lie among the MDI children");
        layout_ = layout;
        ClientClasses names;
        if (layout.otherLetterCase) {
            // The system's MDI client reads back as "MDIClient" whatever the case; a superclass of it
            // under another spelling keeps its behaviour and shows the other letter case.
            names.mdiClient = "MdiClient";
            names.richText = "RichCntl";
            names.listBox = "_Aol_ListBox";
            names.icon = "_aol_icon";
        }

        frame_ = CreateTopLevel(client_model::kFrameClass, {Base::Own, FrameProc}, "Online Client");
        for (const client_model::FrameChild child : client_model::kFrameChildren) {
            if (child == client_model::FrameChild::StatusLine) {
                CreateChild(frame_, names.staticText, {Base::Static, nullptr}, 0, client_model::kStatusLineText);
                continue;
            }
            CLIENTCREATESTRUCT clientCreate{};
            clientCreate.idFirstChild = kFirstMdiChildId;
            const char* mdiClass = "MDICLIENT";
            if (!names.mdiClient.empty()) {
                classes_.Need(names.mdiClient, {Base::MdiClient, nullptr});
                mdiClass = names.mdiClient.c_str();
            }
            mdiClient_ = CreateWindowExA(0, mdiClass, nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 400,
                                         300, frame_, nullptr, GetModuleHandleA(nullptr), &clientCreate);
            if (mdiClient_ == nullptr) throw std::runtime_error("could not create the MDI client");
        }
        SetWindowLongPtrA(frame_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

        classes_.Need(client_model::kRoomClass, {Base::Own, MdiChildProc});
        classes_.Need(client_model::kOtherWindowClass, {Base::Own, MdiChildProc});
        // Each new MDI child is activated and so comes out on top: build from the bottom up.
        std::vector<HWND> fromTop;
        int otherWindows = 0;
        for (int position = layout.mdiChildren; position >= 1; --position) {
            const bool isRoom = position == layout.roomPosition;
            const HWND child = CreateMdiChild(isRoom ? client_model::kRoomClass : client_model::kOtherWindowClass,
                                              isRoom ? "Chat Room" : "Window " + std::to_string(position));
            fromTop.insert(fromTop.begin(), child);
            if (isRoom) {
                room_ = child;
                BuildRoom(names);
            } else {
                CreateChildren(child, client_model::OtherWindowChildren(otherWindows++), names);
            }
        }
        ExpectChildOrder(mdiClient_, fromTop);
        ExpectClassName(mdiClient_, names.mdiClient.empty() ? client_model::kMdiClientClass : names.mdiClient);
    }

    HWND CreateMdiChild(const char* className, const std::string& title) {
        MDICREATESTRUCTA create{};
        create.szClass = className;
        create.szTitle = title.c_str();
        create.hOwner = GetModuleHandleA(nullptr);
        create.x = create.y = create.cx = create.cy = CW_USEDEFAULT;
        const HWND child =
            reinterpret_cast<HWND>(SendMessageA(mdiClient_, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
        if (child == nullptr) throw std::runtime_error("could not create an MDI child");
        return child;
    }

    void BuildRoom(const ClientClasses& names) {
        SetWindowLongPtrA(room_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        int kept = 0;
        const std::vector<HWND> children =
            CreateChildren(room_, client_model::kRoomChildren, names, [&](const client_model::ChildWindow& child) {
                if (kept == layout_.roomChildren) return false;
                if (child.role == ChildRole::People && !layout_.roomHasListBox) return false;
                ++kept;
                return true;
            });
        entryBox_ = children[static_cast<std::size_t>(client_model::kRoomChildren.IndexOf(ChildRole::Entry))];
        if (entryBox_ != nullptr && layout_.keepsText) {
            SetWindowLongPtrA(entryBox_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            entryProc_ = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(entryBox_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(KeepingEntryProc)));
        } else if (entryBox_ != nullptr && layout_.unicodeEntry) {
            // A procedure set through the wide call makes the window a Unicode one.
            SetWindowLongPtrW(entryBox_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            entryProc_ = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(entryBox_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(UnicodeEntryProc)));
            if (!IsWindowUnicode(entryBox_)) throw std::runtime_error("the entry box did not become a Unicode window");
        }
    }

    // The client takes the entry box's text as the line and empties the box, unless it refuses the line
    // or waits for more presses.
    void OnSendClicked() {
        ++presses_;
        if (layout_.sendMilliseconds > 0 && layout_.sendRunsLoop) {
            RunLoopFor(static_cast<DWORD>(layout_.sendMilliseconds));
        } else if (layout_.sendMilliseconds > 0) {
            // A slow network: the client answers nothing meanwhile.
            Sleep(static_cast<DWORD>(layout_.sendMilliseconds));
        }
        const HWND entry = Alive(entryBox_);
        const std::string text = AnsiTextOf(entry);
        if (text.empty() || layout_.refusesLines) return;
        if (++pressesOnLine_ < layout_.pressesNeeded) return;
        pressesOnLine_ = 0;
        received_.push_back(text);
        ownChange_ = true;
        SetWindowTextA(entry, "");
        ownChange_ = false;
    }

    // A warning box shown inside the handler: its loop answers every message sent to the thread, ours
    // included, until the handler goes on.
    static void RunLoopFor(DWORD milliseconds) {
        const TickDeadline deadline = TickDeadline::FromNow(milliseconds);
        for (DWORD left = deadline.Left(); left > 0; left = deadline.Left()) {
            MsgWaitForMultipleObjectsEx(0, nullptr, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    PostQuitMessage(static_cast<int>(message.wParam));
                    return;
                }
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    }

    ClientThread client_;
    Win32WindowSystem windows_;
    Win32EventPump events_;
    // Released after the client thread has destroyed every window of these classes.
    StageClasses classes_;
    std::vector<HWND> topLevel_;
    ChatLayout layout_;
    HWND frame_ = nullptr;
    HWND mdiClient_ = nullptr;
    HWND room_ = nullptr;
    HWND entryBox_ = nullptr;
    WNDPROC entryProc_ = nullptr;
    bool ownChange_ = false;
    long presses_ = 0;
    int pressesOnLine_ = 0;
    std::vector<std::string> received_;
    std::vector<DialogPress> dialogPresses_;
};

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32ContractDesktop* stage = StageOf(window);
    return DefFrameProcA(window, stage != nullptr ? stage->MdiClient() : nullptr, message, wParam, lParam);
}

// No exception may unwind through the system's dispatch: a failure is reported to the running case instead.
template <typename Handler>
void Guarded(Handler handler) noexcept {
    try {
        handler();
    } catch (const std::exception& failure) {
        ADD_FAILURE() << "the client's window failed: " << failure.what();
    } catch (...) {
        ADD_FAILURE() << "the client's window failed";
    }
}

LRESULT CALLBACK MdiChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        if (Win32ContractDesktop* stage = StageOf(window)) Guarded([&] { stage->OnRoomCommand(window, wParam); });
        return 0;
    }
    return DefMDIChildProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK KeepingEntryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return StageOf(window)->OnKeepingEntry(window, message, wParam, lParam);
}

LRESULT CALLBACK UnicodeEntryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return StageOf(window)->OnUnicodeEntry(window, message, wParam, lParam);
}

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        if (Win32ContractDesktop* stage = StageOf(window)) Guarded([&] { stage->OnDialogCommand(window, wParam); });
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<ContractDesktop> MakeContractDesktop() {
    // The cases' lines hold characters that only this code page turns into the bytes they expect.
    if (GetACP() != 1252)
        throw std::runtime_error("the contract cases expect the ANSI code page 1252, not " + std::to_string(GetACP()));
    return std::make_unique<Win32ContractDesktop>();
}

}  // namespace vorivevo::contract
