// The idle-minutes counter's text, drawn by the tile that holds it over that tile's bitmap.
#pragma once

#include "win32_api.h"

#include <string>

namespace vorivevo {

class Label {
public:
    // `rect`: the label's place in its tile's client area, in device pixels.
    Label(const std::string& text, HFONT font, RECT rect);

    const std::string& Text() const noexcept { return text_; }
    void SetText(const std::string& text);
    const RECT& Rect() const noexcept { return rect_; }

    // Only the text, centred across the rectangle and top-aligned, in the button-text colour, with no
    // background of its own and clipped to the rectangle.
    void Draw(HDC dc) const noexcept;

private:
    std::string text_;  // UTF-8, as the logic wrote it
    std::wstring shown_;
    HFONT font_;
    RECT rect_;
};

}  // namespace vorivevo
