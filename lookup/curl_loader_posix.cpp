// libcurl, opened on first use. Only the lookup commands go to the network, yet linking
// libcurl maps its TLS stack and some thirty shared libraries into every start of
// `lyrivane`, which costs a one-song `info` more than reading the song does. This file
// defines the libcurl entry points the transport calls and forwards each one to the library
// opened with dlopen the first time any of them is used. When libcurl cannot be opened,
// every call fails the way libcurl itself reports failure (a null handle, CURLE_FAILED_INIT)
// and the reason goes to stderr once: on Linux this core serves only the command line.
#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

struct CurlLibrary {
  CURLcode (*globalInit)(long) = nullptr;
  CURL* (*easyInit)() = nullptr;
  void (*easyCleanup)(CURL*) = nullptr;
  CURLcode (*easyPerform)(CURL*) = nullptr;
  CURLcode (*easySetopt)(CURL*, CURLoption, ...) = nullptr;
  CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...) = nullptr;
  const char* (*easyStrerror)(CURLcode) = nullptr;
  curl_slist* (*slistAppend)(curl_slist*, const char*) = nullptr;
  void (*slistFreeAll)(curl_slist*) = nullptr;
  std::string error;  // empty once every entry point was found
};

template <typename F>
bool bind(void* handle, const char* name, F& slot) {
  slot = reinterpret_cast<F>(dlsym(handle, name));
  return slot != nullptr;
}

CurlLibrary openCurl() {
  CurlLibrary lib;
  // LYRIVANE_LIBCURL names another build of the library (a full path or a soname).
  const char* override = std::getenv("LYRIVANE_LIBCURL");
  const char* names[] = {override, "libcurl.so.4", "libcurl-gnutls.so.4", "libcurl.so"};
  void* handle = nullptr;
  for (const char* name : names) {
    if (name == nullptr || *name == '\0') continue;
    handle = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr || override != nullptr) break;  // an explicit choice is final
  }
  if (handle == nullptr) {
    const char* why = dlerror();
    lib.error = why != nullptr ? why : "libcurl not found";
    return lib;
  }
  const bool all = bind(handle, "curl_global_init", lib.globalInit) &&
                   bind(handle, "curl_easy_init", lib.easyInit) &&
                   bind(handle, "curl_easy_cleanup", lib.easyCleanup) &&
                   bind(handle, "curl_easy_perform", lib.easyPerform) &&
                   bind(handle, "curl_easy_setopt", lib.easySetopt) &&
                   bind(handle, "curl_easy_getinfo", lib.easyGetinfo) &&
                   bind(handle, "curl_easy_strerror", lib.easyStrerror) &&
                   bind(handle, "curl_slist_append", lib.slistAppend) &&
                   bind(handle, "curl_slist_free_all", lib.slistFreeAll);
  if (!all) {
    lib = CurlLibrary{};
    lib.error = "the libcurl found lacks an entry point lyrivane needs";
    dlclose(handle);
  }
  return lib;
}

const CurlLibrary& curlLibrary() {
  static std::once_flag once;
  static CurlLibrary lib;
  std::call_once(once, [] {
    lib = openCurl();
    if (!lib.error.empty())
      std::fprintf(stderr, "lyrivane: cannot use libcurl, which the network needs: %s\n",
                   lib.error.c_str());
  });
  return lib;
}

bool loaded() { return curlLibrary().error.empty(); }

}  // namespace

extern "C" {

// libcurl declares its two variadic calls with an enum as the last named parameter. Its
// enumerators are int-sized, so the enum is passed exactly as an int is, which is what
// clang's -Wvarargs cannot know.
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wvarargs"
#endif

CURLcode curl_global_init(long flags) {
  return loaded() ? curlLibrary().globalInit(flags) : CURLE_FAILED_INIT;
}

CURL* curl_easy_init() { return loaded() ? curlLibrary().easyInit() : nullptr; }

void curl_easy_cleanup(CURL* curl) {
  if (loaded()) curlLibrary().easyCleanup(curl);
}

CURLcode curl_easy_perform(CURL* curl) {
  return loaded() ? curlLibrary().easyPerform(curl) : CURLE_FAILED_INIT;
}

// Every option takes one argument whose type its number's range tells (curl.h's
// CURLOPTTYPE_* bases): long below OBJECTPOINT, curl_off_t from OFF_T up to BLOB, a pointer
// (object, string, function, blob) otherwise. It is read as that type and passed on as such.
CURLcode curl_easy_setopt(CURL* curl, CURLoption option, ...) {
  if (!loaded()) return CURLE_FAILED_INIT;
  va_list args;
  va_start(args, option);
  CURLcode code;
  if (option < CURLOPTTYPE_OBJECTPOINT) {
    code = curlLibrary().easySetopt(curl, option, va_arg(args, long));
  } else if (option >= CURLOPTTYPE_OFF_T && option < CURLOPTTYPE_BLOB) {
    code = curlLibrary().easySetopt(curl, option, va_arg(args, curl_off_t));
  } else {
    code = curlLibrary().easySetopt(curl, option, va_arg(args, void*));
  }
  va_end(args);
  return code;
}

// Every query writes through one pointer.
CURLcode curl_easy_getinfo(CURL* curl, CURLINFO info, ...) {
  if (!loaded()) return CURLE_FAILED_INIT;
  va_list args;
  va_start(args, info);
  void* out = va_arg(args, void*);
  va_end(args);
  return curlLibrary().easyGetinfo(curl, info, out);
}

const char* curl_easy_strerror(CURLcode code) {
  return loaded() ? curlLibrary().easyStrerror(code) : "libcurl could not be loaded";
}

curl_slist* curl_slist_append(curl_slist* list, const char* text) {
  return loaded() ? curlLibrary().slistAppend(list, text) : nullptr;
}

void curl_slist_free_all(curl_slist* list) {
  if (loaded()) curlLibrary().slistFreeAll(list);
}

}  // extern "C"
