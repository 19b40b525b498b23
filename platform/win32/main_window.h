// The main window: the frameless top-level window with its five tiles, the idle-minutes counter and the
// two text boxes, and the tooltips that say what each does.
#pragma once

#include "win32_api.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "control_layout.h"
#include "window_events.h"
#include "label.h"
#include "label_font.h"
#include "tile_window.h"
#include "win32_handles.h"

namespace vorivevo {

// Where the window's events go. Both calls come from window procedures.
class MainWindowListener {
public:
    // Only take note of the event.
    virtual void OnWindowEvent(WindowEvent event) noexcept = 0;
    // The dialog timer ticked inside a loop of the system's that we do not own (the move loop of a drag), where the
    // noted ticks have to run at once.
    virtual void OnTickInSystemLoop() noexcept = 0;

protected:
    ~MainWindowListener() = default;
};

class MainWindow final : private TileEventTarget {
public:
    static constexpr const wchar_t* kClassName = L"VorivevoForm";

    // Creates the window, still hidden, with every control at its place and initial value. The scale
    // factor is the display's pixels per inch over 96, whole, at least 1. Throws std::runtime_error.
    explicit MainWindow(HINSTANCE instance);
    MainWindow(HINSTANCE instance, int scaleFactor);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow();

    static int ScaleFactorFor(int pixelsPerInch) noexcept;
    static int ScreenPixelsPerInch() noexcept;

    // nullptr once the window is destroyed.
    HWND Handle() const noexcept { return window_.Get(); }
    // The tiles' and text boxes' windows; the counter has none (its tile draws it).
    HWND ControlWindow(ControlId id) const noexcept;
    int ScaleFactor() const noexcept { return scale_; }
    const std::wstring& LabelFaceName() const noexcept { return font_.FaceName(); }

    void SetListener(MainWindowListener* listener) noexcept { listener_ = listener; }

    std::string IdleCounterText() const { return label_->Text(); }
    void SetIdleCounterText(const std::string& text);
    // What the last post did, in the user's words (UTF-8); the name bar's tooltip tells it.
    void SetLastPostReport(const std::string& text);
    // The tooltip of a control, as it would show now; empty for the counter, which has none.
    std::wstring TipText(ControlId id) const;
    // Whether the window shows where the keyboard focus is: only once the keyboard has been used in it.
    bool ShowsFocusCues() const noexcept { return focusCuesShown_; }
    // The tooltip control; nullptr where the system could not make one (the window works without).
    HWND TooltipWindow() const noexcept { return tooltip_.Get(); }
    // The text box's current text, UTF-8; empty once the window is gone.
    std::string EditText(ControlId textBox) const;

    // Starts the dialog timer, or restarts it if it runs. True when it runs: SetTimer can fail (no
    // window, or no timers left to the process). Destroy stops it.
    bool StartTimer(UINT intervalMs) noexcept;
    bool TimerRunning() const noexcept { return timerRunning_; }

    void Show() noexcept;
    void Destroy() noexcept;

    // Moves the focus on Tab and Shift+Tab in the controls' tab order; true when it took the message,
    // which must then not be dispatched.
    bool HandleDialogKey(const MSG& message) noexcept;

    // What a tile shows, drawn to `dc` in the tile's coordinates.
    void PaintTile(ControlId tile, HDC dc) const noexcept;

private:
    static bool ClassRegistered(HINSTANCE instance);
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnTileEvent(WindowEvent event) noexcept override;
    void OnTilePressed(ControlId id) noexcept override;
    void OnTileLeft(ControlId id) noexcept override;
    std::wstring TileName(ControlId id) const override;
    std::wstring TileTip(ControlId id) const override { return TipText(id); }
    void Report(WindowEvent event) noexcept;
    void CreateControls(HINSTANCE instance);
    void CreateTooltips(HINSTANCE instance);
    void OnChangeUiState(WPARAM wParam);
    LRESULT OnNotify(NMHDR& header);
    std::optional<ControlId> ControlOf(HWND window) const noexcept;
    HWND CreateTextBox(ControlId id, const char* text, const RECT& rect, HINSTANCE instance);
    RECT Scaled(const ControlGeometry& geometry) const noexcept;
    TileWindow* Tile(ControlId id) const noexcept;
    void StopTimer() noexcept;
    bool InSystemLoop() const noexcept { return inSizeMove_ || nonClientDepth_ > 0; }

    int scale_;
    LabelFont font_;
    std::unique_ptr<Label> label_;
    std::array<std::unique_ptr<TileWindow>, kControlCount> tiles_;  // by ControlId; none for the others
    HWND homePageBox_ = nullptr;
    HWND displayNameBox_ = nullptr;
    UniqueWindow window_;
    MainWindowListener* listener_ = nullptr;
    HWND lastFocus_ = nullptr;
    // Not owned by the window: under some window systems an owned pop-up takes away its owner's place
    // above all windows. Destroyed before the window.
    UniqueWindow tooltip_;
    // The tile pressed last, whose tooltip stays away until the pointer leaves it, as tooltips do after
    // a click: a tip that came back over the tile just clicked would hide the window's face.
    std::optional<ControlId> tipHeldBack_;
    std::wstring lastPostReport_;
    std::wstring shownTip_;  // the text a tooltip asked for last; it reads it after we answer
    bool focusCuesShown_ = false;
    bool timerRunning_ = false;
    bool inSizeMove_ = false;
    int nonClientDepth_ = 0;
};

}  // namespace vorivevo
