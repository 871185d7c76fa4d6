// The explorer-style multi-select open-file dialog, as the program's windows use it: one
// call in, the chosen full paths out as one text joined by "\r\n".
#pragma once

#include <windows.h>

#include <string>

namespace app {

// The platform's filter list from "name|patterns|name|patterns...": every "|" becomes a NUL
// and a second NUL ends the list. A "|" that is the second byte of a double-byte character
// is part of that character.
std::string dialogFilterList(const std::string& filter);

// Opens the dialog (explorer style, several files may be chosen) owned by `owner`, with the
// caption `title` and the filter text `filter`; `initialFolder` when not empty. Returns the
// chosen full paths joined by "\r\n", or "" when the user cancels or the dialog fails.
std::string openFileDialog(HWND owner, const std::string& title, const std::string& filter,
                           const std::string& initialFolder = {});

}  // namespace app
