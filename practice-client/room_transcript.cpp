// Rendering the room's lines in the system's rich-text control, and showing a link's address under the pointer.
#include "room_transcript.h"

#include <windowsx.h>
#include <richedit.h>

#include <algorithm>

#include "win_raii.h"

namespace vorivevo::practice {

namespace {

// Past the rich-text control's default of 64K characters, which a long session's transcript outgrows:
// lines beyond it would be dropped without a word.
constexpr LPARAM kTextLimit = 0x7FFFFFFE;  // characters

RoomTranscript* Self(HWND window) {
    return reinterpret_cast<RoomTranscript*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

// The newer library first, as a client of today would load it; the library stays for the process's life.
const wchar_t* LoadRichTextClass() {
    if (LoadLibraryW(L"msftedit.dll")) return MSFTEDIT_CLASS;
    if (LoadLibraryW(L"riched20.dll")) return RICHEDIT_CLASSW;
    return nullptr;
}

std::string WindowText(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(std::max(0, GetWindowTextA(window, text.data(), static_cast<int>(text.size())))));
    return text;
}

}  // namespace

void RoomTranscript::Attach(HWND window, HWND statusLine, HINSTANCE instance) {
    host_ = window;
    statusLine_ = statusLine;
    if (!host_) return;
    view_ = CreateView(instance);
    if (!view_) return;
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageW(view_, WM_SETFONT, font, FALSE);
    SendMessageW(view_, EM_EXLIMITTEXT, 0, kTextLimit);
    {
        WindowDc dc(view_);
        TEXTMETRICA metrics{};
        if (dc.Get()) {
            const HGDIOBJ previous = SelectObject(dc.Get(), reinterpret_cast<HGDIOBJ>(font));
            GetTextMetricsA(dc.Get(), &metrics);
            SelectObject(dc.Get(), previous);
        }
        lineHeight_ = metrics.tmHeight;
    }
    SetWindowLongPtrA(host_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    hostProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(host_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HostProc)));
    SetWindowLongPtrW(view_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    viewProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(view_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ViewProc)));

    // One scroll bar, the view's, and the view drawn over the host's own face. The host keeps its place
    // among the room's children.
    const LONG_PTR style = GetWindowLongPtrA(host_, GWL_STYLE);
    SetWindowLongPtrA(host_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_VSCROLL)) | WS_CLIPCHILDREN);
    SetWindowPos(host_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RECT area{};
    GetClientRect(host_, &area);
    MoveWindow(view_, 0, 0, area.right, area.bottom, TRUE);
}

HWND RoomTranscript::CreateView(HINSTANCE instance) {
    const wchar_t* richTextClass = LoadRichTextClass();
    if (!richTextClass) return nullptr;
    // A border of its own: the host's may be drawn inside its client area, which the view covers.
    return CreateWindowExW(0, richTextClass, L"",
                           WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0,
                           0, 10, 10, host_, nullptr, instance, nullptr);
}

void RoomTranscript::Detach() {
    if (hoveredLink_ >= 0 && statusLine_) SetWindowTextA(statusLine_, statusBeforeHover_.c_str());
    hoveredLink_ = -1;
    host_ = nullptr;
    view_ = nullptr;
    links_.clear();
}

void RoomTranscript::Append(const std::string& sender, const std::string& ansiLine) {
    const MarkedUpLine line = ParseChatMarkup(ansiLine);
    if (!view_) {
        if (!host_) return;
        const std::string plain = sender + line.VisibleText() + "\r\n";
        const int end = GetWindowTextLengthA(host_);
        SendMessageA(host_, EM_SETSEL, end, end);
        SendMessageA(host_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(plain.c_str()));
        return;
    }
    GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const auto end = static_cast<LONG>(SendMessageW(view_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
    CHARRANGE atEnd{end, end};
    SendMessageW(view_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&atEnd));
    AppendRun(empty_ ? sender : "\r" + sender, std::nullopt, false);
    empty_ = false;
    for (const MarkupSpan& span : line.spans) {
        const LONG begin = SelectionEnd();
        AppendRun(span.text, span.colour, span.link >= 0);
        if (span.link >= 0) links_.push_back(LinkRange{begin, SelectionEnd(), line.links[static_cast<std::size_t>(span.link)]});
    }
    SendMessageW(view_, WM_VSCROLL, SB_BOTTOM, 0);
}

void RoomTranscript::AppendRun(const std::string& ansiText, std::optional<Rgb> colour, bool underlined) {
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_UNDERLINE;
    format.dwEffects = (colour ? 0 : CFE_AUTOCOLOR) | (underlined ? CFE_UNDERLINE : 0);
    if (colour) format.crTextColor = RGB(colour->red, colour->green, colour->blue);
    SendMessageW(view_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    const std::wstring text = AnsiToWide(ansiText);
    SendMessageW(view_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

LONG RoomTranscript::SelectionEnd() const {
    CHARRANGE selection{};
    SendMessageW(view_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    return selection.cpMax;
}

int RoomTranscript::LinkAt(POINT point) const {
    POINTL at{point.x, point.y};
    const auto index = static_cast<LONG>(SendMessageW(view_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
    // The links lie in the order they were appended: the last one beginning at or before the character.
    const auto after = std::upper_bound(links_.begin(), links_.end(), index,
                                        [](LONG character, const LinkRange& link) { return character < link.begin; });
    if (after == links_.begin() || index >= std::prev(after)->end) return -1;
    // The nearest character answers for a point past its line's end or below the last line too.
    POINTL glyph{}, next{};
    SendMessageW(view_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&glyph), index);
    SendMessageW(view_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&next), index + 1);
    const bool onGlyph = point.x >= glyph.x && point.y >= glyph.y && point.y < glyph.y + lineHeight_ &&
                         (next.y != glyph.y || point.x < next.x);
    return onGlyph ? static_cast<int>(std::prev(after) - links_.begin()) : -1;
}

void RoomTranscript::ShowLink(int link) {
    if (link == hoveredLink_ || !statusLine_) return;
    if (hoveredLink_ < 0) {
        statusBeforeHover_ = WindowText(statusLine_);
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, view_, 0};
        TrackMouseEvent(&track);
    }
    hoveredLink_ = link;
    SetWindowTextA(statusLine_, link >= 0 ? links_[static_cast<std::size_t>(link)].address.c_str() : statusBeforeHover_.c_str());
}

LRESULT CALLBACK RoomTranscript::HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RoomTranscript* self = Self(window);
    switch (message) {
        case WM_SIZE:
            if (self->view_) MoveWindow(self->view_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            break;
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
            // Read from outside, the transcript gives what it shows, as a rich-text transcript would.
            if (self->view_) return SendMessageA(self->view_, message, wParam, lParam);
            break;
        default:
            break;
    }
    return CallWindowProcA(self->hostProc_, window, message, wParam, lParam);
}

LRESULT CALLBACK RoomTranscript::ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RoomTranscript* self = Self(window);
    switch (message) {
        case WM_MOUSEMOVE:
            if (self->view_) self->ShowLink(self->LinkAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
            break;
        case WM_MOUSELEAVE:
            self->ShowLink(-1);
            break;
        case WM_SETCURSOR:
            if (self->hoveredLink_ >= 0 && LOWORD(lParam) == HTCLIENT) {
                SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return CallWindowProcW(self->viewProc_, window, message, wParam, lParam);
}

}  // namespace vorivevo::practice
