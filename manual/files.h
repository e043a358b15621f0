// The few file operations the generator makes, through the Windows API so
// that they behave the same under Wine and on Windows.
#pragma once

#include <string>
#include <vector>

namespace manual {

bool readFile(const std::string& path, std::string* bytes);
// Writes the bytes beside the file and then puts them in its place, so that
// the file is either as it was or complete.
bool replaceFile(const std::string& path, const std::string& bytes);
bool removeFile(const std::string& path);
bool makeFolder(const std::string& path);  // true when it exists afterwards
// The names (not paths) of the files in folder whose names end in suffix,
// sorted; none when the folder does not exist.
std::vector<std::string> filesEndingIn(const std::string& folder, const std::string& suffix);
// The folder part of a path ("a/b/c.html" gives "a/b"), or "" for none.
std::string folderOf(const std::string& path);

}  // namespace manual
