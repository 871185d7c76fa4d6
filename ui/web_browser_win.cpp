// Hosting the WebBrowser control by hand. A container gives an OLE object a client site; to
// be shown inside our window (in place), the object also asks the site for the window and
// the rectangle (IOleInPlaceSite) and for the frame it may put menus and borders in
// (IOleInPlaceFrame). This site answers with the host window and the control's area, and
// declines menus, borders and toolbars: the control is a plain page view.
#include "ui/web_browser_win.h"

#include <string>

#include "platform/text.h"

namespace ui {

class WebBrowserSite : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  WebBrowserSite(HWND host, const RECT& area) : host_(host), area_(area) {}
  virtual ~WebBrowserSite() = default;
  WebBrowserSite(const WebBrowserSite&) = delete;
  WebBrowserSite& operator=(const WebBrowserSite&) = delete;

  // IUnknown, shared by the three interfaces.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite)) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame)) {
      *object = static_cast<IOleInPlaceFrame*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const long left = --references_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IOleClientSite: no storage, no moniker, no container document.
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    if (moniker != nullptr) *moniker = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
    if (container != nullptr) *container = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow, for the site and the frame alike: the host window.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (window == nullptr) return E_POINTER;
    *window = host_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite: activation is always welcome, at the control's area.
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                             IOleInPlaceUIWindow** document, LPRECT position,
                                             LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO frameInfo) override {
    if (frame != nullptr) {
      *frame = static_cast<IOleInPlaceFrame*>(this);
      AddRef();
    }
    if (document != nullptr) *document = nullptr;
    if (position != nullptr) *position = area_;
    if (clip != nullptr) *clip = area_;
    if (frameInfo != nullptr) {
      frameInfo->fMDIApp = FALSE;
      frameInfo->hwndFrame = host_;
      frameInfo->haccel = nullptr;
      frameInfo->cAccelEntries = 0;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow and IOleInPlaceFrame: no borders, toolbars or menus to share.
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
    return INPLACE_E_NOTOOLSPACE;
  }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  HWND host_;
  RECT area_;
  long references_ = 1;
};

namespace {

// A BSTR made from local text, freed with the object.
class Bstr {
 public:
  explicit Bstr(const std::string& local) {
    const std::u16string wide = platform::localToWide(local);
    text_ = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                              static_cast<UINT>(wide.size()));
  }
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return text_; }

 private:
  BSTR text_ = nullptr;
};

}  // namespace

bool WebBrowser::create(HWND host, const RECT& area) {
  destroy();
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&object_)))) {
    object_ = nullptr;
    return false;
  }
  site_ = new WebBrowserSite(host, area);
  RECT at = area;
  if (FAILED(object_->SetClientSite(static_cast<IOleClientSite*>(site_))) ||
      FAILED(OleSetContainedObject(object_, TRUE)) ||
      FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site_),
                             0, host, &at)) ||
      FAILED(object_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_)))) {
    browser_ = nullptr;
    destroy();
    return false;
  }
  return true;
}

void WebBrowser::destroy() {
  if (browser_ != nullptr) {
    browser_->Release();
    browser_ = nullptr;
  }
  if (object_ != nullptr) {
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(
            object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
      inPlace->InPlaceDeactivate();
      inPlace->Release();
    }
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    object_->Release();
    object_ = nullptr;
  }
  if (site_ != nullptr) {
    site_->Release();
    site_ = nullptr;
  }
}

bool WebBrowser::setSilent(bool silent) {
  return browser_ != nullptr &&
         SUCCEEDED(browser_->put_Silent(silent ? VARIANT_TRUE : VARIANT_FALSE));
}

bool WebBrowser::navigate(const std::string& address) {
  if (browser_ == nullptr) return false;
  Bstr url(address);
  VARIANT empty;
  VariantInit(&empty);
  return SUCCEEDED(browser_->Navigate(url.get(), &empty, &empty, &empty, &empty));
}

std::string WebBrowser::locationUrl() const {
  if (browser_ == nullptr) return {};
  BSTR url = nullptr;
  if (FAILED(browser_->get_LocationURL(&url)) || url == nullptr) return {};
  const std::u16string wide(reinterpret_cast<const char16_t*>(url), SysStringLen(url));
  SysFreeString(url);
  return platform::wideToLocal(wide);
}

}  // namespace ui
