// One picture tile: a child window that paints its bitmap (and Label1, on Picture5) and turns mouse
// presses into the window's events.
#pragma once

#include "win32_api.h"

#include "form_layout.h"
#include "host_runtime.h"
#include "label.h"
#include "tile_bitmap.h"

namespace vorivevo {

// Where a tile's events go; called from the tile's window procedure, so it must only take note.
class TileEventTarget {
public:
    virtual void OnTileEvent(FormEvent event) noexcept = 0;

protected:
    ~TileEventTarget() = default;
};

class TileWindow {
public:
    static constexpr const wchar_t* kClassName = L"VorivevoTile";

    // `label`: the label this tile draws over its bitmap, or nullptr; it must outlive the tile.
    TileWindow(ControlId id, const Image& image, const Label* label, TileEventTarget& target);
    TileWindow(const TileWindow&) = delete;
    TileWindow& operator=(const TileWindow&) = delete;

    // Makes the child window at `rect` (the parent's client pixels). The parent owns and destroys it.
    // Throws std::runtime_error.
    void Create(HWND parent, const RECT& rect, HINSTANCE instance);

    HWND Handle() const noexcept { return window_; }
    ControlId Id() const noexcept { return id_; }

    // Everything the tile shows, drawn to `dc` in the tile's client coordinates: what WM_PAINT draws.
    void Paint(HDC dc) const noexcept;
    // Marks the label's rectangle for repainting, bitmap included, so old text does not stay.
    void InvalidateLabel() const noexcept;

private:
    static bool ClassRegistered(HINSTANCE instance);
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnButtonDown(UINT message);
    void OnLeftButtonUp(LPARAM lParam);
    // Whether a point of the tile's client area is where the tile shows: inside the window and not under
    // a sibling above it.
    bool ShowsAt(POINT clientPoint) const;

    ControlId id_;
    TileBitmap bitmap_;
    const Label* label_;
    TileEventTarget& target_;
    HWND window_ = nullptr;
    SIZE size_{};
    bool leftPressed_ = false;
};

}  // namespace vorivevo
