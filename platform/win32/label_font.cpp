#include "label_font.h"

#include <stdexcept>

namespace vorivevo {
namespace {

constexpr int kPointSize = 6;
constexpr int kPointsPerInch = 72;

// "Small Fonts" first; then sans-serif outline faces that stay legible at 6 points, as found on
// Windows and then on the machines Wine runs on. ("MS Sans Serif" is left out: its smallest bitmap
// is 8 points, too tall for the label.) With none of them the font mapper picks for the first.
constexpr const wchar_t* kPreferredFaces[] = {L"Small Fonts", L"Tahoma", L"Arial", L"Liberation Sans",
                                              L"DejaVu Sans"};

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one match is enough
}

}  // namespace

bool LabelFont::FaceInstalled(const std::wstring& face) {
    WindowDc screen(nullptr);
    LOGFONTW wanted{};
    wanted.lfCharSet = ANSI_CHARSET;
    face.copy(wanted.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(screen.Get(), &wanted, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

LabelFont::LabelFont(int pixelsPerInch) : face_(kPreferredFaces[0]) {
    for (const wchar_t* face : kPreferredFaces) {
        if (FaceInstalled(face)) {
            face_ = face;
            break;
        }
    }
    // Not antialiased: at 6 points smoothing only blurs the digits, and a raster face has none.
    font_.Reset(CreateFontW(-MulDiv(kPointSize, pixelsPerInch, kPointsPerInch), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                            FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                            DEFAULT_PITCH | FF_SWISS, face_.c_str()));
    if (!font_) throw std::runtime_error("CreateFont failed for the counter");
}

}  // namespace vorivevo
