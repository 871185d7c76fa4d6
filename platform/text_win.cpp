// Local text on Windows: the ANSI code page, the one the program's ...A calls use.
// Converting through any other code page (the OEM one differs on Western systems: 437 vs
// 1252) would hand MoveFileA and the controls text in the wrong encoding.
#include <windows.h>

#include "platform/text.h"
#include "platform/utf.h"

namespace platform {

std::string wideToLocal(const std::u16string& wide) {
  if (wide.empty()) return {};
  const auto* src = reinterpret_cast<const wchar_t*>(wide.data());
  const int n = static_cast<int>(wide.size());
  const int need = WideCharToMultiByte(CP_ACP, 0, src, n, nullptr, 0, nullptr, nullptr);
  if (need <= 0) return {};
  std::string out(static_cast<std::size_t>(need), '\0');
  WideCharToMultiByte(CP_ACP, 0, src, n, &out[0], need, nullptr, nullptr);
  return out;
}

bool wideToLocalExact(const std::u16string& wide, std::string& local) {
  local.clear();
  if (wide.empty()) return true;
  const auto* src = reinterpret_cast<const wchar_t*>(wide.data());
  const int n = static_cast<int>(wide.size());
  // Without WC_NO_BEST_FIT_CHARS a character the code page lacks may become a look-alike
  // ("2" for "²") that names another file; with it, it becomes the default character
  // and the flag says so.
  BOOL usedDefault = FALSE;
  const int need =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, src, n, nullptr, 0, nullptr, &usedDefault);
  if (need <= 0) return false;
  local.assign(static_cast<std::size_t>(need), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, src, n, &local[0], need, nullptr, &usedDefault);
  return !usedDefault && localToWide(local) == wide;
}

std::u16string localToWide(const std::string& local) {
  if (local.empty()) return {};
  const int n = static_cast<int>(local.size());
  const int need = MultiByteToWideChar(CP_ACP, 0, local.data(), n, nullptr, 0);
  if (need <= 0) return {};
  std::u16string out(static_cast<std::size_t>(need), u'\0');
  MultiByteToWideChar(CP_ACP, 0, local.data(), n, reinterpret_cast<wchar_t*>(&out[0]), need);
  return out;
}

std::string utf8ToLocal(const std::string& utf8) { return wideToLocal(decodeUtf8(utf8)); }

std::string localToUtf8(const std::string& local) { return encodeUtf8(localToWide(local)); }

std::string utf8PathToLocal(const std::string& utf8) { return utf8ToLocal(utf8); }

std::string localPathToUtf8(const std::string& local) { return localToUtf8(local); }

std::size_t localCharLength(const std::string& text, std::size_t pos) {
  const std::size_t left = pos < text.size() ? text.size() - pos : 0;
  if (left == 0) return 0;
  if (left < 2 || !IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(text[pos]))) return 1;
  // A lead byte makes a character only with a trail byte the code page pairs it with: lead
  // 0x81 and "/" are two characters, and the "/" a separator.
  wchar_t unit = 0;
  return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data() + pos, 2, &unit, 1) == 1 ? 2
                                                                                                : 1;
}

}  // namespace platform
