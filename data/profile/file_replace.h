// Replacing the whole content of a small file (the settings profile) so that
// a crash, a full disk or a failed write part-way leaves the old content in
// place: the new bytes go to a temporary file in the same folder, are
// flushed to disk, and the temporary file is renamed over the old one.
#pragma once

#include <string_view>

namespace data::profile {

// Makes `bytes` the content of the file `path`, creating it when missing
// with mode 0600 (less when the umask says so), as it may hold a password.
// An existing file keeps its permission bits, owner and group; a symbolic
// link keeps pointing where it did and its target gets the new content.
// Returns true on success. On failure the file is as it was and no
// temporary file is left behind.
//
// An existing file that may not be written is refused, even when its folder
// would allow replacing it. When the folder does not allow creating the
// temporary file (or the old file's owner cannot be kept, or the file has
// other hard links) but the file itself is writable, the content is written
// in place instead, as the only way left to keep the change.
bool ReplaceFileContents(const char* path, std::string_view bytes);

}  // namespace data::profile
