#include "install/folder_picker.h"

#include <shobjidl.h>

namespace {
// Releases a COM interface once, at scope end.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { if (p_) p_->Release(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* operator->() const { return p_; }
    T** put() { return &p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// Text from CoTaskMemAlloc, freed once.
class CoTaskText {
public:
    CoTaskText() = default;
    ~CoTaskText() { CoTaskMemFree(text_); }
    CoTaskText(const CoTaskText&) = delete;
    CoTaskText& operator=(const CoTaskText&) = delete;
    PWSTR* put() { return &text_; }
    PWSTR get() const { return text_; }

private:
    PWSTR text_ = nullptr;
};
}  // namespace

std::wstring PickFolder(HWND owner, const wchar_t* title) {
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                reinterpret_cast<void**>(dialog.put())))) {
        return {};
    }
    FILEOPENDIALOGOPTIONS options = 0;
    if (SUCCEEDED(dialog->GetOptions(&options))) {
        dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    }
    dialog->SetTitle(title);
    if (FAILED(dialog->Show(owner))) return {};  // cancelled or failed
    ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(item.put()))) return {};
    CoTaskText path;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, path.put())) || !path.get()) return {};
    return path.get();
}
