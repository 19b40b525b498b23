// The automation routines: finding, reading, writing and pressing windows, waiting, the chat room, dialogs.
#pragma once

#include <string>

#include "host_runtime.h"
#include "window_system.h"

namespace vorivevo {

// Free of state: it holds only the two interfaces it works through, so every call starts afresh from the
// client's windows and nothing found is remembered between calls.
class Varn32 {
public:
    Varn32(WindowSystem& windows, HostRuntime& runtime) : windows_(windows), runtime_(runtime) {}

    // Window primitives.
    WindowHandle FindChildByClass(WindowHandle parent, const std::string& pattern);
    std::string WindowClassOf(WindowHandle window);
    std::string ReadWindowText(WindowHandle window);
    void WriteWindowText(WindowHandle window, const std::string& text);
    void PressWindow(WindowHandle window);
    void PinAboveAll(WindowHandle window);
    void BeginWindowDrag(WindowHandle window);
    void WaitSeconds(double seconds);

    // The chat room.
    WindowHandle LocateChatRoom();
    WindowHandle LocateChatEntry();
    WindowHandle LocateChatSendButton();
    void PressChatSend();
    void PostToChat(const std::string& line);

    // The client's dialogs.
    void DismissPalette();
    void DismissModal();

    // The size of the class buffer.
    static constexpr int kClassBufferLength = 250;
    // More than any chat line or draft could hold; a window that claims more is cut to this (characters).
    static constexpr long kMaxTextLength = 1L << 20;
    // Far above any real count of sibling windows; a list that changes under a walk cannot trap it.
    static constexpr int kMaxSiblingWalk = 100000;
    // How long a post keeps pressing Send on a box that does not empty: seconds, and presses.
    static constexpr double kSendGiveUpSeconds = 2.0;
    static constexpr int kSendGiveUpPresses = 50;

private:
    enum class Dispatch { Yes, No };
    WindowHandle LocateChatRoom(Dispatch dispatch);
    WindowHandle LocateChatEntry(Dispatch dispatch);
    WindowHandle StepSiblings(WindowHandle window, int steps);
    void DismissFirstIcon(const char* dialogClass);
    friend class DraftRestorer;

    WindowSystem& windows_;
    HostRuntime& runtime_;
};

}  // namespace vorivevo
