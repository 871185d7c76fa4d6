// The file drop target: CF_HDROP in, "\r\n"-joined local paths out.
#include "ui/file_drop_target_win.h"

#include <shellapi.h>

#include <vector>

namespace ui {

namespace {

FORMATETC hdropFormat() {
  FORMATETC format{};
  format.cfFormat = CF_HDROP;
  format.dwAspect = DVASPECT_CONTENT;
  format.lindex = -1;
  format.tymed = TYMED_HGLOBAL;
  return format;
}

}  // namespace

bool FileDropTarget::registerOn(HWND window, Handler onDrop) {
  auto* target = new FileDropTarget(std::move(onDrop));
  const HRESULT registered = RegisterDragDrop(window, target);
  target->Release();  // the registration keeps it alive from here on
  return SUCCEEDED(registered);
}

std::string FileDropTarget::pathsOf(IDataObject* data) {
  if (data == nullptr) return {};
  FORMATETC format = hdropFormat();
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return {};
  std::string paths;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
    auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
    if (drop != nullptr) {
      const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
      for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::vector<char> path(length + 1, '\0');
        const UINT got = DragQueryFileA(drop, i, path.data(), length + 1);
        if (i > 0) paths += "\r\n";
        paths.append(path.data(), got);
      }
      GlobalUnlock(medium.hGlobal);
    }
  }
  ReleaseStgMedium(&medium);
  return paths;
}

FileDropTarget::FileDropTarget(Handler onDrop) : onDrop_(std::move(onDrop)) {}

HRESULT STDMETHODCALLTYPE FileDropTarget::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE FileDropTarget::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE FileDropTarget::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE FileDropTarget::DragEnter(IDataObject* data, DWORD, POINTL,
                                                    DWORD* effect) {
  FORMATETC format = hdropFormat();
  acceptable_ = data != nullptr && data->QueryGetData(&format) == S_OK;
  if (effect != nullptr) *effect = acceptable_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  if (effect != nullptr) *effect = acceptable_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileDropTarget::DragLeave() {
  acceptable_ = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  const std::string paths = pathsOf(data);
  acceptable_ = false;
  if (paths.empty()) {
    if (effect != nullptr) *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  if (effect != nullptr) *effect = DROPEFFECT_COPY;
  // Keep this object alive while the handler runs: it may revoke the registration.
  AddRef();
  if (onDrop_) onDrop_(paths);
  Release();
  return S_OK;
}

}  // namespace ui
