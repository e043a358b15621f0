// Ampersands in captions: a single "&" marks the accelerator and underlines
// the character after it; "&&" stands for one "&".
#pragma once

#include <cstdint>

// The upper-case accelerator character of a caption: the character after
// its last single "&" ("&&" is a literal ampersand), or 0. An "&" at the very
// end makes it 0 again (the upper case of the terminating NUL). ASCII
// upper-casing only; other bytes stay as they are.
char acceleratorChar(const char* text);

// Copies n units of src and its terminator into dst (room for n + 1 units),
// dropping prefix ampersands: "&&" becomes "&", a single "&" vanishes.
// Only the n units are read; dst may be src. Answers the number of units
// written, the terminator not counted.
int32_t stripAmpersands(const char* src, int32_t n, char* dst);
int32_t stripAmpersands(const wchar_t* src, int32_t n, wchar_t* dst);
