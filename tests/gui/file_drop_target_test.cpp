// The file drop target: what a drop of files hands on, and what it refuses.
#include "ui/file_drop_target_win.h"

#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/gui/gui_support.h"

namespace {

using gui_testing::local;

// A data object carrying either a CF_HDROP list of ANSI paths or only plain text, as the
// shell and a text editor would offer them.
class FakeData : public IDataObject {
 public:
  explicit FakeData(std::vector<std::string> paths, bool asFiles = true)
      : paths_(std::move(paths)), asFiles_(asFiles) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    std::string list;
    for (const std::string& p : paths_) list += p + '\0';
    list += '\0';
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    const CLIPFORMAT offered = asFiles_ ? CF_HDROP : CF_TEXT;
    return format->cfFormat == offered && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  std::vector<std::string> paths_;
  bool asFiles_;
};

TEST(FileDropTarget, DroppedFilesArriveAsOneTextOfPathsInDropOrder) {
  const std::vector<std::string> paths = {"C:\\music\\a.mp3", local("D:\\歌曲\\表.flac"),
                                          "C:\\b.txt"};
  FakeData data(paths);
  std::vector<std::string> delivered;
  auto* target = new ui::FileDropTarget([&](const std::string& p) { delivered.push_back(p); });
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(target->DragEnter(&data, MK_LBUTTON, {0, 0}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->Drop(&data, 0, {0, 0}, &effect), S_OK);
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0], paths[0] + "\r\n" + paths[1] + "\r\n" + paths[2]);
  target->Release();
}

TEST(FileDropTarget, DataWithoutFilesIsRefusedAndNothingIsHandedOn) {
  FakeData text({"C:\\a.mp3"}, /*asFiles=*/false);
  int calls = 0;
  auto* target = new ui::FileDropTarget([&](const std::string&) { ++calls; });
  DWORD effect = DROPEFFECT_COPY;
  target->DragEnter(&text, MK_LBUTTON, {0, 0}, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = DROPEFFECT_COPY;
  target->DragOver(MK_LBUTTON, {0, 0}, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = DROPEFFECT_COPY;
  target->Drop(&text, 0, {0, 0}, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(ui::FileDropTarget::pathsOf(&text), "");
  EXPECT_EQ(ui::FileDropTarget::pathsOf(nullptr), "");
  target->Release();
}

TEST(FileDropTarget, OneFileIsItsPathAlone) {
  FakeData one({"C:\\x.ogg"});
  EXPECT_EQ(ui::FileDropTarget::pathsOf(&one), "C:\\x.ogg");
}

}  // namespace
