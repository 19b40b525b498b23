#include "tile_accessible.h"

#include <new>

namespace vorivevo {
namespace {

// The answer a screen reader gets from an object whose tile is gone.
constexpr HRESULT kGone = RPC_E_DISCONNECTED;

HRESULT Text(const std::wstring& text, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

TileAccessible* TileAccessible::Create(HWND tile, TileAccessibleSource& source) noexcept {
    IAccessible* standard = nullptr;
    if (FAILED(CreateStdAccessibleObject(tile, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&standard))) ||
        standard == nullptr)
        return nullptr;
    auto* made = new (std::nothrow) TileAccessible(standard, source);
    if (made == nullptr) standard->Release();
    return made;
}

TileAccessible::TileAccessible(IAccessible* standard, TileAccessibleSource& source) noexcept
    : standard_(standard), source_(&source) {}

TileAccessible::~TileAccessible() { standard_->Release(); }

bool TileAccessible::IsSelf(const VARIANT& child) noexcept {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT TileAccessible::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG TileAccessible::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG TileAccessible::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT TileAccessible::GetTypeInfoCount(UINT* count) { return standard_->GetTypeInfoCount(count); }

HRESULT TileAccessible::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
    return standard_->GetTypeInfo(index, locale, info);
}

HRESULT TileAccessible::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) {
    return standard_->GetIDsOfNames(iid, names, count, locale, ids);
}

// Late-bound callers would reach the system's object and so its answers, not ours; the accessibility
// clients that matter call the interface directly.
HRESULT TileAccessible::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* exception, UINT* argumentError) {
    return standard_->Invoke(id, iid, locale, flags, params, result, exception, argumentError);
}

HRESULT TileAccessible::get_accParent(IDispatch** parent) { return standard_->get_accParent(parent); }

HRESULT TileAccessible::get_accChildCount(long* count) { return standard_->get_accChildCount(count); }

HRESULT TileAccessible::get_accChild(VARIANT child, IDispatch** object) {
    return standard_->get_accChild(child, object);
}

HRESULT TileAccessible::get_accName(VARIANT child, BSTR* name) {
    if (!IsSelf(child)) return standard_->get_accName(child, name);
    if (source_ == nullptr) return kGone;
    try {
        return Text(source_->AccessibleName(), name);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT TileAccessible::get_accValue(VARIANT child, BSTR* value) { return standard_->get_accValue(child, value); }

HRESULT TileAccessible::get_accDescription(VARIANT child, BSTR* description) {
    if (!IsSelf(child)) return standard_->get_accDescription(child, description);
    if (source_ == nullptr) return kGone;
    try {
        return Text(source_->AccessibleDescription(), description);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT TileAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!IsSelf(child)) return standard_->get_accRole(child, role);
    if (role == nullptr) return E_POINTER;
    if (source_ == nullptr) return kGone;
    VariantInit(role);
    role->vt = VT_I4;
    role->lVal = source_->AccessibleRole();
    return S_OK;
}

HRESULT TileAccessible::get_accState(VARIANT child, VARIANT* state) { return standard_->get_accState(child, state); }

HRESULT TileAccessible::get_accHelp(VARIANT child, BSTR* help) { return standard_->get_accHelp(child, help); }

HRESULT TileAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    return standard_->get_accHelpTopic(file, child, topic);
}

HRESULT TileAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return standard_->get_accKeyboardShortcut(child, shortcut);
}

HRESULT TileAccessible::get_accFocus(VARIANT* child) { return standard_->get_accFocus(child); }

HRESULT TileAccessible::get_accSelection(VARIANT* children) { return standard_->get_accSelection(children); }

HRESULT TileAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (!IsSelf(child)) return standard_->get_accDefaultAction(child, action);
    if (source_ == nullptr) return kGone;
    if (!source_->Pressable()) {
        if (action != nullptr) *action = nullptr;
        return S_FALSE;
    }
    return Text(L"Press", action);
}

HRESULT TileAccessible::accSelect(long flags, VARIANT child) { return standard_->accSelect(flags, child); }

HRESULT TileAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    return standard_->accLocation(left, top, width, height, child);
}

HRESULT TileAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    return standard_->accNavigate(direction, start, end);
}

HRESULT TileAccessible::accHitTest(long left, long top, VARIANT* child) {
    return standard_->accHitTest(left, top, child);
}

HRESULT TileAccessible::accDoDefaultAction(VARIANT child) {
    if (!IsSelf(child)) return standard_->accDoDefaultAction(child);
    if (source_ == nullptr) return kGone;
    if (!source_->Pressable()) return DISP_E_MEMBERNOTFOUND;
    source_->Press();
    return S_OK;
}

HRESULT TileAccessible::put_accName(VARIANT child, BSTR name) { return standard_->put_accName(child, name); }

HRESULT TileAccessible::put_accValue(VARIANT child, BSTR value) { return standard_->put_accValue(child, value); }

}  // namespace vorivevo
