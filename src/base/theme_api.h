// Run-time binding of the Windows visual-style library (uxtheme.dll).
//
// The library is not linked: it is loaded on Windows XP only and its four
// functions are called through pointers, so the plug-in also runs where the
// library is missing. Each wrapper answers a fixed result while its function
// is not bound. All state is process-wide and used from the host's UI thread.
//
// Usage by a control:
//   construct: theme = AcquireControlTheme(L"Spin");   // null: draw classically
//   draw:      ThemeDrawBackground(theme, dc, part, state, &rect, nullptr);
//   destruct:  ReleaseControlTheme(theme);
#pragma once

#include <cstdint>

#include <windows.h>

#include "base/windows_version.h"

// A handle returned by OpenThemeData (HTHEME); null means no theme.
using ThemeHandle = HANDLE;

// Loads uxtheme.dll (one library reference per call) and looks up the four
// functions. When the load fails the pointers keep what they held.
void BindThemeApi();

// Gives back one reference taken by BindThemeApi; nothing when the library
// was never loaded. Handle and pointers are kept.
void ReleaseThemeApi();

// OpenThemeData; null when unbound.
ThemeHandle ThemeOpen(HWND window, const wchar_t* classList);
// CloseThemeData; 1 when unbound.
int32_t ThemeClose(ThemeHandle theme);
// DrawThemeBackground; draws nothing and answers 1 when unbound.
int32_t ThemeDrawBackground(ThemeHandle theme, HDC dc, int32_t part, int32_t state, const RECT* rect, const RECT* clip);
// DrawThemeParentBackground; draws nothing and answers 1 when unbound.
int32_t ThemeDrawParentBackground(HWND child, HDC dc, const RECT* rect);

// The construct half of a theme-using control: on Windows XP binds the
// library and, when classList is given, opens that theme class with no
// window. Answers the theme handle or null (classic drawing).
ThemeHandle AcquireControlTheme(const wchar_t* classList);

// The destruct half: closes theme when there is one and gives back the
// library reference that AcquireControlTheme took, also when the theme
// class could not be opened.
void ReleaseControlTheme(ThemeHandle theme);
