// Songs for the window tests, built byte by byte in the shapes real taggers write, and a
// look at what a folder holds so a test can tell that no song was lost or changed.
#pragma once

#include <map>
#include <string>

namespace gui_testing {

// An MP3 file: an ID3v2.3 tag with TIT2 and TPE1 in UTF-16 with a byte-order mark (each
// frame left out when its text is empty), then a few MPEG-1 Layer III frames whose audio
// bytes are all `audio`, so that two songs with the same tags still differ.
std::string mp3Song(const std::u16string& title, const std::u16string& artist, int audio = 0x55);

// A WMA file: an ASF header object holding a Content Description object.
std::string wmaSong(const std::u16string& title, const std::u16string& author);

// The files of a folder (names in local text) and their bytes. Subfolders are not looked at.
using FolderFiles = std::map<std::string, std::string>;
FolderFiles filesIn(const std::string& folder);

// "" when `after` holds the same files' bytes as `before`, each exactly once, whatever their
// names; otherwise what differs.
std::string lostOrChanged(const FolderFiles& before, const FolderFiles& after);

}  // namespace gui_testing
