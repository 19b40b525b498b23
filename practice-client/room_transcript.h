// The chat room's transcript as people in a room see it: each line's mark-up rendered, not shown.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "chat_markup.h"

namespace vorivevo::practice {

class RoomTranscript {
public:
    RoomTranscript() = default;
    RoomTranscript(const RoomTranscript&) = delete;
    RoomTranscript& operator=(const RoomTranscript&) = delete;

    // Takes over the room's transcript window (its first RICHCNTL child, an edit control) and shows the
    // lines in the system's rich-text control, made as its only child, so that the room's own children stay
    // as the companion counts them. While the pointer is on a link, `statusLine` shows its address. Without
    // a rich-text control on the system, the lines show as their visible text, uncoloured, in the window
    // itself.
    void Attach(HWND window, HWND statusLine, HINSTANCE instance);
    // The room is going: nothing more to show.
    void Detach();

    // Appends a line: `sender` plain, then `ansiLine` (the client's ANSI bytes) rendered.
    void Append(const std::string& sender, const std::string& ansiLine);

private:
    struct LinkRange {
        LONG begin;  // characters of the rich-text control, the end excluded
        LONG end;
        std::string address;
    };

    static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND CreateView(HINSTANCE instance);
    // Appends text in a colour (none: the control's own) at the end, where the selection is.
    void AppendRun(const std::string& ansiText, std::optional<Rgb> colour, bool underlined);
    LONG SelectionEnd() const;
    // The link under a point of the view's client area, -1 for none.
    int LinkAt(POINT point) const;
    // The link's address in the status line while the pointer is on it (-1: on none), and what the status
    // line said before once it is off.
    void ShowLink(int link);

    HWND host_ = nullptr;
    HWND view_ = nullptr;
    HWND statusLine_ = nullptr;
    WNDPROC hostProc_ = nullptr;
    WNDPROC viewProc_ = nullptr;
    int lineHeight_ = 0;  // pixels
    bool empty_ = true;
    std::vector<LinkRange> links_;
    int hoveredLink_ = -1;
    std::string statusBeforeHover_;
};

}  // namespace vorivevo::practice
