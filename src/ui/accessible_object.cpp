#include "ui/accessible_object.h"

#include <commctrl.h>

#include <new>

#include "app/system_library.h"
#include "app/win_owners.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x41;  // beside any subclass the control already has

// oleacc is no KnownDLL: taken from the system folder at run time, never imported.
using CreateStdObject = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFrom = LRESULT(WINAPI*)(REFIID, WPARAM, IUnknown*);

HRESULT CreateStandardObject(HWND control, IAccessible** out) {
    static const CreateStdObject create = SystemFunction<CreateStdObject>(L"oleacc.dll", "CreateStdAccessibleObject");
    return create ? create(control, OBJID_CLIENT, kAccessibleInterfaceId, reinterpret_cast<void**>(out)) : E_NOTIMPL;
}

LRESULT ResultFromObject(WPARAM wParam, IUnknown* object) {
    static const LresultFrom answer = SystemFunction<LresultFrom>(L"oleacc.dll", "LresultFromObject");
    return answer ? answer(kAccessibleInterfaceId, wParam, object) : 0;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// A BSTR for the caller to free; S_FALSE with none for an empty text, as MSAA asks.
HRESULT Answer(const std::wstring& text, BSTR* out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

class ControlAccessible final : public IAccessible {
public:
    ControlAccessible(HWND control, AccessibleFactsSource source) : control_(control), source_(source) {
        CreateStandardObject(control, standard_.put());
    }
    ControlAccessible(const ControlAccessible&) = delete;
    ControlAccessible& operator=(const ControlAccessible&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(id, kAccessibleInterfaceId) || IsEqualIID(id, IID_IDispatch) || IsEqualIID(id, IID_IUnknown)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: MSAA clients call the interface directly; there is no type library of ours.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible: what the facts say about the control itself...
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        if (!IsSelf(child)) return Standard() ? standard_.get()->get_accName(child, out) : E_INVALIDARG;
        AccessibleFacts facts;
        if (!Ask(&facts)) return E_FAIL;
        return Answer(facts.name, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        if (!IsSelf(child)) return Standard() ? standard_.get()->get_accValue(child, out) : E_INVALIDARG;
        AccessibleFacts facts;
        if (!Ask(&facts)) return E_FAIL;
        return Answer(facts.value, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        if (!IsSelf(child)) return Standard() ? standard_.get()->get_accDescription(child, out) : E_INVALIDARG;
        AccessibleFacts facts;
        if (!Ask(&facts)) return E_FAIL;
        return Answer(facts.description, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        if (!IsSelf(child)) return Standard() ? standard_.get()->get_accDefaultAction(child, out) : E_INVALIDARG;
        AccessibleFacts facts;
        if (!Ask(&facts)) return E_FAIL;
        return Answer(facts.defaultAction, out);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        if (!IsSelf(child)) return Standard() ? standard_.get()->get_accRole(child, out) : E_INVALIDARG;
        if (!out) return E_INVALIDARG;
        AccessibleFacts facts;
        if (!Ask(&facts)) return E_FAIL;
        VariantInit(out);
        out->vt = VT_I4;
        out->lVal = facts.role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        if (!IsSelf(child)) return Standard() ? standard_.get()->get_accState(child, out) : E_INVALIDARG;
        if (!out) return E_INVALIDARG;
        AccessibleFacts facts;
        if (!Ask(&facts)) return E_FAIL;
        VariantInit(out);
        out->vt = VT_I4;
        out->lVal = facts.state | WindowAccessibleState(control_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!IsSelf(child)) return Standard() ? standard_.get()->accDoDefaultAction(child) : E_INVALIDARG;
        AccessibleFacts facts;
        if (!Ask(&facts)) return E_FAIL;
        if (facts.defaultAction.empty()) return DISP_E_MEMBERNOTFOUND;
        if (!IsWindowEnabled(control_)) return E_FAIL;
        // Posted: the caller may be another process waiting on this call.
        return PostMessageW(control_, BM_CLICK, 0, 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    // ... and everything else (place, parent, navigation, children) as the system's proxy has it.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        return Standard() ? standard_.get()->get_accParent(out) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
        return Standard() ? standard_.get()->get_accChildCount(out) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return Standard() ? standard_.get()->get_accChild(child, out) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return Standard() ? standard_.get()->get_accHelp(child, out) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return Standard() ? standard_.get()->get_accHelpTopic(file, child, topic) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return Standard() ? standard_.get()->get_accKeyboardShortcut(child, out) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        return Standard() ? standard_.get()->get_accFocus(out) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        return Standard() ? standard_.get()->get_accSelection(out) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return Standard() ? standard_.get()->accSelect(flags, child) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override {
        return Standard() ? standard_.get()->accLocation(x, y, width, height, child) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        return Standard() ? standard_.get()->accNavigate(direction, start, out) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        return Standard() ? standard_.get()->accHitTest(x, y, out) : E_FAIL;
    }

private:
    ~ControlAccessible() = default;  // only Release deletes

    bool Standard() const { return standard_.valid() && IsWindow(control_); }
    // A reader may keep the object after its window has gone.
    bool Ask(AccessibleFacts* facts) const {
        if (!IsWindow(control_)) return false;
        source_(control_, facts);
        return true;
    }

    LONG references_ = 1;
    HWND control_;
    AccessibleFactsSource source_;
    ScopedComPtr<IAccessible> standard_;
};

LRESULT CALLBACK AccessibleSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) noexcept {
    if (message == WM_GETOBJECT) {
        if (LRESULT answer = AnswerGetObject(hwnd, wParam, lParam, reinterpret_cast<AccessibleFactsSource>(data))) {
            return answer;
        }
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, AccessibleSubclassProc, kSubclassId);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
}  // namespace

LRESULT AnswerGetObject(HWND control, WPARAM wParam, LPARAM lParam, AccessibleFactsSource source) {
    // The object id arrives as a DWORD, sign-extended by some callers and not by others.
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT || !source) return 0;
    ScopedComPtr<IAccessible> object(new (std::nothrow) ControlAccessible(control, source));
    if (!object) return 0;
    const LRESULT answer = ResultFromObject(wParam, object.get());
    return answer > 0 ? answer : 0;  // LresultFromObject holds its own reference
}

bool GiveAccessibleFacts(HWND control, AccessibleFactsSource source) {
    return control && source &&
           SetWindowSubclass(control, AccessibleSubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(source));
}

long WindowAccessibleState(HWND control) {
    long state = 0;
    if (!IsWindowVisible(control)) state |= STATE_SYSTEM_INVISIBLE;
    if (!IsWindowEnabled(control)) {
        state |= STATE_SYSTEM_UNAVAILABLE;
    } else if (GetWindowLongPtrW(control, GWL_STYLE) & WS_TABSTOP) {
        state |= STATE_SYSTEM_FOCUSABLE;
    }
    if (GetFocus() == control) state |= STATE_SYSTEM_FOCUSED;
    return state;
}

void NotifyAccessibleChange(DWORD event, HWND control) {
    if (control) NotifyWinEvent(event, control, OBJID_CLIENT, CHILDID_SELF);
}
