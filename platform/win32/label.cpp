#include "label.h"

#include "ansi_text.h"
#include "win32_handles.h"

namespace vorivevo {

Label::Label(const std::string& text, HFONT font, RECT rect) : font_(font), rect_(rect) { SetText(text); }

void Label::SetText(const std::string& text) {
    std::wstring shown = Utf8ToWide(text);
    text_ = text;
    shown_ = std::move(shown);
}

void Label::Draw(HDC dc) const noexcept {
    SelectScope font(dc, font_);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT rect = rect_;
    DrawTextW(dc, shown_.c_str(), static_cast<int>(shown_.size()), &rect,
              DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}

}  // namespace vorivevo
