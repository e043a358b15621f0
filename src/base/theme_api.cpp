#include "base/theme_api.h"

namespace {

using OpenThemeDataFunction = ThemeHandle(WINAPI*)(HWND, LPCWSTR);
using CloseThemeDataFunction = HRESULT(WINAPI*)(ThemeHandle);
using DrawThemeBackgroundFunction = HRESULT(WINAPI*)(ThemeHandle, HDC, int, int, const RECT*, const RECT*);
using DrawThemeParentBackgroundFunction = HRESULT(WINAPI*)(HWND, HDC, const RECT*);

// What an unbound wrapper answers.
constexpr int32_t kUnboundResult = 1;

struct ThemeLibrary {
    HMODULE module = nullptr;
    OpenThemeDataFunction openThemeData = nullptr;
    CloseThemeDataFunction closeThemeData = nullptr;
    DrawThemeBackgroundFunction drawThemeBackground = nullptr;
    DrawThemeParentBackgroundFunction drawThemeParentBackground = nullptr;
};

ThemeLibrary gThemeLibrary;

template <typename Function>
Function LookUp(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

void BindThemeApi() {
    gThemeLibrary.module = LoadLibraryA("uxtheme.dll");
    if (gThemeLibrary.module == nullptr) {
        // A failed load means no reference is outstanding, so the library may
        // be gone: pointers into it must not be called again.
        gThemeLibrary = ThemeLibrary{};
        return;
    }
    HMODULE module = gThemeLibrary.module;
    gThemeLibrary.openThemeData = LookUp<OpenThemeDataFunction>(module, "OpenThemeData");
    gThemeLibrary.closeThemeData = LookUp<CloseThemeDataFunction>(module, "CloseThemeData");
    gThemeLibrary.drawThemeBackground = LookUp<DrawThemeBackgroundFunction>(module, "DrawThemeBackground");
    gThemeLibrary.drawThemeParentBackground =
        LookUp<DrawThemeParentBackgroundFunction>(module, "DrawThemeParentBackground");
}

void ReleaseThemeApi() {
    if (gThemeLibrary.module != nullptr) {
        FreeLibrary(gThemeLibrary.module);
    }
}

ThemeHandle ThemeOpen(HWND window, const wchar_t* classList) {
    if (gThemeLibrary.openThemeData == nullptr) {
        return nullptr;
    }
    return gThemeLibrary.openThemeData(window, classList);
}

int32_t ThemeClose(ThemeHandle theme) {
    if (gThemeLibrary.closeThemeData == nullptr) {
        return kUnboundResult;
    }
    return gThemeLibrary.closeThemeData(theme);
}

int32_t ThemeDrawBackground(ThemeHandle theme, HDC dc, int32_t part, int32_t state, const RECT* rect,
                            const RECT* clip) {
    if (gThemeLibrary.drawThemeBackground == nullptr) {
        return kUnboundResult;
    }
    return gThemeLibrary.drawThemeBackground(theme, dc, part, state, rect, clip);
}

int32_t ThemeDrawParentBackground(HWND child, HDC dc, const RECT* rect) {
    if (gThemeLibrary.drawThemeParentBackground == nullptr) {
        return kUnboundResult;
    }
    return gThemeLibrary.drawThemeParentBackground(child, dc, rect);
}

ThemeHandle AcquireControlTheme(const wchar_t* classList) {
    if (!IsWindowsXP()) {
        return nullptr;
    }
    BindThemeApi();
    if (classList == nullptr) {
        return nullptr;
    }
    return ThemeOpen(nullptr, classList);
}

void ReleaseControlTheme(ThemeHandle theme) {
    if (theme != nullptr) {
        ThemeClose(theme);
    }
    // The XP answer is cached, so this matches the bind made at construction.
    if (IsWindowsXP()) {
        ReleaseThemeApi();
    }
}
