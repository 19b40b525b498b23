// Owners for the GDI objects, device contexts, windows and window classes that the back end creates.
#pragma once

#include "win32_api.h"

#include <utility>

namespace vorivevo {

// A font, bitmap, brush or pen of our own: deleted with DeleteObject. Stock objects are never put here.
template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) noexcept : handle_(handle) {}
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { Reset(); }

    Handle Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    void Reset(Handle handle = nullptr) noexcept {
        if (handle_ != nullptr) DeleteObject(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

// A memory device context from CreateCompatibleDC.
class MemoryDc {
public:
    explicit MemoryDc(HDC compatibleWith) noexcept : dc_(CreateCompatibleDC(compatibleWith)) {}
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc() {
        if (dc_ != nullptr) DeleteDC(dc_);
    }
    HDC Get() const noexcept { return dc_; }

private:
    HDC dc_;
};

// A window's (or, with nullptr, the screen's) common device context from GetDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    HDC Get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// One WM_PAINT's BeginPaint ... EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND window) noexcept : window_(window) { BeginPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { EndPaint(window_, &paint_); }
    HDC Dc() const noexcept { return paint_.hdc; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

// Selects an object into a DC for one scope and puts the previous one back.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    ~SelectScope() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A top-level window of our own: destroyed with its children when the owner goes.
class UniqueWindow {
public:
    UniqueWindow() = default;
    explicit UniqueWindow(HWND window) noexcept : window_(window) {}
    UniqueWindow(const UniqueWindow&) = delete;
    UniqueWindow& operator=(const UniqueWindow&) = delete;
    ~UniqueWindow() { Reset(); }

    HWND Get() const noexcept { return window_; }
    // Destroys the window held (unless it is already gone) and takes `replacement` instead.
    void Reset(HWND replacement = nullptr) noexcept {
        HWND window = std::exchange(window_, replacement);
        if (window != nullptr && IsWindow(window)) DestroyWindow(window);
    }
    // For a window that destroyed itself: forget it without destroying anything.
    void Forget() noexcept { window_ = nullptr; }

private:
    HWND window_ = nullptr;
};

// A kernel object handle of our own (process, thread, event): closed with CloseHandle.
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) noexcept : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    KernelHandle(KernelHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    ~KernelHandle() { Close(); }

    HANDLE Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }

private:
    void Close() noexcept {
        if (handle_ != nullptr) CloseHandle(handle_);
        handle_ = nullptr;
    }
    HANDLE handle_ = nullptr;
};

// A window class registered for the life of the object.
class RegisteredClass {
public:
    explicit RegisteredClass(const WNDCLASSEXW& windowClass) noexcept
        : instance_(windowClass.hInstance), atom_(RegisterClassExW(&windowClass)) {}
    RegisteredClass(const RegisteredClass&) = delete;
    RegisteredClass& operator=(const RegisteredClass&) = delete;
    ~RegisteredClass() {
        if (atom_ != 0) UnregisterClassW(reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom_)), instance_);
    }
    bool Ok() const noexcept { return atom_ != 0; }

private:
    HINSTANCE instance_;
    ATOM atom_;
};

}  // namespace vorivevo
