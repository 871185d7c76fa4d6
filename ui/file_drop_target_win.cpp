// The file drop target: CF_HDROP in, "\r\n"-joined local paths out.
#include "ui/file_drop_target_win.h"

#include <shellapi.h>

#include <vector>

#include "platform/text.h"

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

DroppedFiles FileDropTarget::filesOf(IDataObject* data) {
  DroppedFiles files;
  if (data == nullptr) return files;
  FORMATETC format = hdropFormat();
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return files;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
    auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
    if (drop != nullptr) {
      // The wide names, converted here without best fit: DragQueryFileA would turn
      // "track².mp3" into "track2.mp3", another file that may well exist.
      const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
      for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::vector<wchar_t> path(length + 1, L'\0');
        const UINT got = DragQueryFileW(drop, i, path.data(), length + 1);
        std::string local;
        if (!platform::wideToLocalExact(std::u16string(path.begin(), path.begin() + got), local)) {
          files.refused.push_back(local);
          continue;
        }
        if (!files.paths.empty()) files.paths += "\r\n";
        files.paths += local;
      }
      GlobalUnlock(medium.hGlobal);
    }
  }
  ReleaseStgMedium(&medium);
  return files;
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
  acceptable_ = false;
  DroppedFiles files;
  try {
    files = filesOf(data);
  } catch (...) {
    files = DroppedFiles();
  }
  if (effect != nullptr) *effect = files.paths.empty() ? DROPEFFECT_NONE : DROPEFFECT_COPY;
  if (files.paths.empty() && files.refused.empty()) return S_OK;
  // Keep this object alive while the handler runs: it may revoke the registration.
  AddRef();
  // No exception may cross into OLE, which called us.
  try {
    if (onDrop_) onDrop_(files);
  } catch (...) {
  }
  Release();
  return S_OK;
}

}  // namespace ui
