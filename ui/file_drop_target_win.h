// An OLE drop target that accepts files dropped from the shell and hands their paths on as
// one text, the paths in local text joined by "\r\n". A name that local text cannot hold
// exactly is handed on apart, as refused, never as a look-alike path.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace ui {

// What a drop of files delivers.
struct DroppedFiles {
  std::string paths;  // the paths in local text, joined by "\r\n", in drop order
  // Paths the code page cannot hold exactly (the shell gives UTF-16 names, and a best-fit
  // conversion may name another, existing file), with substitutes, for the message.
  std::vector<std::string> refused;
};

class FileDropTarget : public IDropTarget {
 public:
  using Handler = std::function<void(const DroppedFiles& files)>;

  // Registers a new target on `window` (OleInitialize must have run on this thread). The
  // registration holds the only reference: RevokeDragDrop releases it. Returns false when
  // OLE refuses.
  static bool registerOn(HWND window, Handler onDrop);

  // The dropped files of a data object carrying CF_HDROP; nothing when it carries no files.
  static DroppedFiles filesOf(IDataObject* data);

  explicit FileDropTarget(Handler onDrop);
  virtual ~FileDropTarget() = default;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDropTarget
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                      DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                 DWORD* effect) override;

 private:
  LONG references_ = 1;
  bool acceptable_ = false;  // the data being dragged carries files
  Handler onDrop_;
};

}  // namespace ui
