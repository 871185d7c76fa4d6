// The recording's upload through "WinHttp.WinHttpRequest.5.1": Open, SetTimeouts,
// SetRequestHeader, Send with the file as a byte-array variant, ResponseText.
#include "lookup/speech_upload_win.h"

#include <windows.h>
// After windows.h, which it needs.
#include <ole2.h>

#include <algorithm>
#include <exception>
#include <vector>

#include "lookup/speech.h"
#include "platform/file.h"
#include "platform/text.h"

namespace lookup {

namespace {

// COM on this thread for the length of one upload (the GUI thread usually has it already).
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

// A VARIANT that frees what it holds (strings, arrays) when it goes.
struct Variant {
  VARIANT v;
  Variant() { VariantInit(&v); }
  ~Variant() { VariantClear(&v); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
};

class RequestObject {
 public:
  RequestObject() {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"WinHttp.WinHttpRequest.5.1", &clsid))) return;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IDispatch, reinterpret_cast<void**>(&object_))))
      object_ = nullptr;
  }
  ~RequestObject() {
    if (object_) object_->Release();
  }
  RequestObject(const RequestObject&) = delete;
  RequestObject& operator=(const RequestObject&) = delete;

  explicit operator bool() const { return object_ != nullptr; }

  // Calls a method (or reads a property) by name; `args` in the order the method lists them.
  bool call(const wchar_t* name, WORD kind, std::vector<const Variant*> args,
            VARIANT* result = nullptr) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
    std::vector<VARIANT> reversed;  // IDispatch takes arguments last first
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back((*it)->v);
    DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return SUCCEEDED(object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result,
                                     nullptr, nullptr));
  }

 private:
  IDispatch* object_ = nullptr;
};

void setText(Variant& variant, const std::string& local) {
  const std::u16string wide = platform::localToWide(local);
  variant.v.vt = VT_BSTR;
  variant.v.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                        static_cast<UINT>(wide.size()));
}

void setNumber(Variant& variant, int value) {
  variant.v.vt = VT_I4;
  variant.v.lVal = value;
}

// The file's bytes as a one-dimensional array of bytes; an unreadable file gives an empty
// array, which is still sent.
bool setFileBytes(Variant& variant, const std::string& path) {
  platform::ReadOnlyFile file(path);
  const std::uint64_t size = file.isOpen() ? file.size() : 0;
  if (size > 0x7FFFFFFF) return false;
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(size));
  if (!array) return false;
  variant.v.vt = VT_ARRAY | VT_UI1;
  variant.v.parray = array;
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data))) return false;
  const bool whole = file.readAt(0, data, static_cast<std::size_t>(size)) == size;
  SafeArrayUnaccessData(array);
  return whole;
}

std::string upload(const std::string& path, std::uint32_t samplesPerSecond,
                   const UploadTimeouts& timeouts) {
  ComApartment apartment;
  RequestObject request;
  if (!request) return {};
  // Before Open: the object hands its time-outs to the request that Open makes.
  Variant resolve, connect, send, receive;
  setNumber(resolve, timeouts.resolveMs);
  setNumber(connect, timeouts.connectMs);
  setNumber(send, timeouts.sendMs);
  setNumber(receive, timeouts.receiveMs);
  if (!request.call(L"SetTimeouts", DISPATCH_METHOD, {&resolve, &connect, &send, &receive}))
    return {};

  Variant verb, address, asynchronous;
  setText(verb, "POST");
  setText(address, speechAddress());
  asynchronous.v.vt = VT_BOOL;
  // Asynchronous, then waited for with a bound: the object's own time-outs are not
  // honoured everywhere (Wine's object waits on a silent server for as long as it stays
  // silent), and the window must be back within about a minute whatever the network does.
  asynchronous.v.boolVal = VARIANT_TRUE;
  if (!request.call(L"Open", DISPATCH_METHOD, {&verb, &address, &asynchronous})) return {};

  Variant headerName, headerValue;
  setText(headerName, "Content-Type");
  setText(headerValue, speechContentType(samplesPerSecond));
  if (!request.call(L"SetRequestHeader", DISPATCH_METHOD, {&headerName, &headerValue})) return {};

  Variant body;
  setFileBytes(body, path);
  if (body.v.vt != (VT_ARRAY | VT_UI1)) return {};
  if (!request.call(L"Send", DISPATCH_METHOD, {&body})) return {};
  Variant bound, done;
  setNumber(bound, timeouts.responseSeconds);
  if (!request.call(L"WaitForResponse", DISPATCH_METHOD, {&bound}, &done.v) ||
      done.v.vt != VT_BOOL || done.v.boolVal != VARIANT_TRUE) {
    request.call(L"Abort", DISPATCH_METHOD, {});
    return {};
  }

  Variant text;
  if (!request.call(L"ResponseText", DISPATCH_PROPERTYGET, {}, &text.v) || text.v.vt != VT_BSTR ||
      !text.v.bstrVal)
    return {};
  const auto* chars = reinterpret_cast<const char16_t*>(text.v.bstrVal);
  return platform::wideToLocal(std::u16string(chars, SysStringLen(text.v.bstrVal)));
}

}  // namespace

std::string uploadRecording(const std::string& path, std::uint32_t samplesPerSecond,
                            const UploadTimeouts& timeouts) {
  try {
    return upload(path, samplesPerSecond, timeouts);
  } catch (const std::exception&) {
    return {};  // no memory for the file or the reply: a failed upload
  }
}

}  // namespace lookup
