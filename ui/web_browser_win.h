// The system's web-browser control (the WebBrowser ActiveX object) hosted in a window of
// ours: a client site that lets it activate in place inside a rectangle of the host window.
#pragma once

#include <windows.h>
// After windows.h, which they need.
#include <exdisp.h>
#include <ole2.h>

#include <string>

namespace ui {

class WebBrowserSite;

class WebBrowser {
 public:
  WebBrowser() = default;
  ~WebBrowser() { destroy(); }
  WebBrowser(const WebBrowser&) = delete;
  WebBrowser& operator=(const WebBrowser&) = delete;

  // Creates the control in `host` (whose thread has OLE started) and activates it in place
  // at `area`, in the host's client coordinates. False when the system has no such control.
  bool create(HWND host, const RECT& area);
  // Deactivates and releases the control; the host calls this before its window goes.
  void destroy();

  bool created() const { return browser_ != nullptr; }
  // Switches off the control's own dialog boxes (script errors and the like).
  bool setSilent(bool silent);
  // Starts loading an address; false when the control refused it.
  bool navigate(const std::string& address);
  // The address of the document the control shows, as it reports it; "" before one loaded.
  std::string locationUrl() const;

 private:
  WebBrowserSite* site_ = nullptr;
  IOleObject* object_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
};

}  // namespace ui
