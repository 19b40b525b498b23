// What screen readers learn of a tile, through the standard accessibility interface (IAccessible).
#pragma once

#include "win32_api.h"

#include <oleacc.h>

#include <string>

namespace vorivevo {

// Answers for one tile; called on the window's thread, when a screen reader asks.
class TileAccessibleSource {
public:
    virtual std::wstring AccessibleName() const = 0;
    virtual long AccessibleRole() const = 0;
    virtual std::wstring AccessibleDescription() const = 0;
    // Whether the tile can be pressed, and pressing it: only takes note, like a click.
    virtual bool Pressable() const = 0;
    virtual void Press() noexcept = 0;

protected:
    ~TileAccessibleSource() = default;
};

// The tile's own name, role, description and default action over the system's standard object for
// its window, which answers the rest (place on the screen, state, focus, parent). A screen reader
// may keep the object after the tile is gone: Detach then cuts it from the tile.
class TileAccessible final : public IAccessible {
public:
    // A new object with one reference, or nullptr when the system's object cannot be made.
    static TileAccessible* Create(HWND tile, TileAccessibleSource& source) noexcept;
    void Detach() noexcept { source_ = nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

private:
    TileAccessible(IAccessible* standard, TileAccessibleSource& source) noexcept;
    ~TileAccessible();
    // Whether a call is about the tile itself, which is all this object describes.
    static bool IsSelf(const VARIANT& child) noexcept;

    LONG references_ = 1;
    IAccessible* standard_;
    TileAccessibleSource* source_;
};

}  // namespace vorivevo
