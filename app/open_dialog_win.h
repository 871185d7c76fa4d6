// The explorer-style multi-select open-file dialog, as the program's windows use it: one
// call in, the chosen full paths out as one text joined by "\r\n".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace app {

// The platform's filter list from "name|patterns|name|patterns...": every "|" becomes a NUL
// and a second NUL ends the list. A "|" that is the second byte of a double-byte character
// is part of that character.
std::string dialogFilterList(const std::string& filter);

// The paths of the UTF-16 file buffer that GetOpenFileNameW filled (one full path, or a
// folder and the names chosen in it, each ended by a NUL, the whole by a second NUL), in
// local text joined by "\r\n". A path the code page cannot hold exactly is left out and
// added to `refused` with its substitutes: a best-fit conversion may name another file.
std::string dialogChosenPaths(const std::u16string& buffer, std::vector<std::string>& refused);

// Opens the dialog (explorer style, several files may be chosen) owned by `owner`, with the
// caption `title` and the filter text `filter`; `initialFolder` when not empty. Returns the
// chosen full paths joined by "\r\n", or "" when the user cancels or the dialog fails.
// Chosen files whose names the code page cannot hold go to `refused` when it is given.
std::string openFileDialog(HWND owner, const std::string& title, const std::string& filter,
                           const std::string& initialFolder = {},
                           std::vector<std::string>* refused = nullptr);

}  // namespace app
