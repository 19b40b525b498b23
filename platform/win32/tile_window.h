// One tile: a child window that paints its bitmap (and the counter, on the idle panel), turns mouse presses
// and keys into the window's events, and describes itself to screen readers.
#pragma once

#include "win32_api.h"

#include <string>

#include "control_layout.h"
#include "window_events.h"
#include "label.h"
#include "tile_accessible.h"
#include "tile_bitmap.h"

namespace vorivevo {

// The window that holds the tiles. Called from the tiles' window procedures: OnTileEvent must only
// take note.
class TileEventTarget {
public:
    virtual void OnTileEvent(WindowEvent event) noexcept = 0;
    // A mouse button went down on the tile; the pointer has left it since the last press.
    virtual void OnTilePressed(ControlId id) noexcept = 0;
    virtual void OnTileLeft(ControlId id) noexcept = 0;
    // What a screen reader calls the tile, and what its tooltip says.
    virtual std::wstring TileName(ControlId id) const = 0;
    virtual std::wstring TileTip(ControlId id) const = 0;

protected:
    ~TileEventTarget() = default;
};

// The keyboard-cues convention: a tile shows where the focus is only once the keyboard has been used
// in the window. The parent keeps that state: WM_CHANGEUISTATE from a tile asks it to change, and it
// answers WM_QUERYUISTATE and tells the tiles with WM_UPDATEUISTATE.
class TileWindow final : private TileAccessibleSource {
public:
    static constexpr const wchar_t* kClassName = L"VorivevoTile";

    // `label`: the label this tile draws over its bitmap, or nullptr; it must outlive the tile.
    TileWindow(ControlId id, const Image& image, const Label* label, TileEventTarget& target);
    TileWindow(const TileWindow&) = delete;
    TileWindow& operator=(const TileWindow&) = delete;
    ~TileWindow();

    // Makes the child window at `rect` (the parent's client pixels). The parent owns and destroys it.
    // Throws std::runtime_error.
    void Create(HWND parent, const RECT& rect, HINSTANCE instance);

    HWND Handle() const noexcept { return window_; }
    ControlId Id() const noexcept { return id_; }

    // Everything the tile shows, drawn to `dc` in the tile's client coordinates: what WM_PAINT draws,
    // the focus rectangle included when the tile has the focus and the window shows it.
    void Paint(HDC dc) const noexcept;
    // Marks the label's rectangle for repainting, bitmap included, so old text does not stay; and tells
    // screen readers that the tile's name, which carries the count, changed.
    void InvalidateLabel() const noexcept;
    // The window text: what the system's own accessibility objects and window lists read.
    void UpdateWindowText() const noexcept;

private:
    static bool ClassRegistered(HINSTANCE instance);
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnButtonDown(UINT message);
    void OnLeftButtonUp(LPARAM lParam);
    bool OnKeyDown(WPARAM key, LPARAM flags);
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    bool ShowsFocus() const noexcept;

    // TileAccessibleSource
    std::wstring AccessibleName() const override;
    long AccessibleRole() const override;
    std::wstring AccessibleDescription() const override;
    bool Pressable() const override;
    void Press() noexcept override;
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
    TileAccessible* accessible_ = nullptr;  // one reference of ours, made when first asked for
};

}  // namespace vorivevo
