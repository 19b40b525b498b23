// The font of the idle-minutes counter: "Small Fonts" at 6 points, or the nearest small face where the
// machine lacks it.
#pragma once

#include "win32_api.h"

#include <string>

#include "win32_handles.h"

namespace vorivevo {

class LabelFont {
public:
    // `pixelsPerInch`: the density the window is laid out for (96 times its whole scale factor).
    // Throws std::runtime_error when no font can be made.
    explicit LabelFont(int pixelsPerInch);

    HFONT Get() const noexcept { return font_.Get(); }
    // The face asked for: the first of the preferred faces that the machine has.
    const std::wstring& FaceName() const noexcept { return face_; }

    static bool FaceInstalled(const std::wstring& face);

private:
    std::wstring face_;
    GdiObject<HFONT> font_;
};

}  // namespace vorivevo
