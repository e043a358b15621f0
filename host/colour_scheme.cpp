// The scheme spy: the plug-in's system colours and high-contrast setting.
#include "colour_scheme.h"

#include <cstdio>
#include <cstdlib>

namespace pluginhost {

// Index by index from COLOR_SCROLLBAR (0) to COLOR_MENUBAR (30).
// clang-format off
const ColourScheme kHighContrastBlack = {"high-contrast-black", true, {
    RGB(0, 0, 0), RGB(0, 0, 0), RGB(128, 0, 128), RGB(0, 128, 0), RGB(0, 0, 0),
    RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
    RGB(255, 255, 0), RGB(0, 128, 0), RGB(0, 0, 0), RGB(128, 0, 128), RGB(255, 255, 255),
    RGB(0, 0, 0), RGB(128, 128, 128), RGB(0, 255, 0), RGB(255, 255, 255), RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(0, 0, 0),
    RGB(192, 192, 192), RGB(128, 0, 128), RGB(128, 0, 128), RGB(0, 128, 0), RGB(128, 0, 128),
    RGB(0, 0, 0)}};
const ColourScheme kHighContrastWhite = {"high-contrast-white", true, {
    RGB(255, 255, 255), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 255),
    RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255),
    RGB(128, 128, 128), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 0), RGB(255, 255, 255),
    RGB(255, 255, 255), RGB(128, 128, 128), RGB(0, 255, 0), RGB(0, 0, 0), RGB(0, 0, 0),
    RGB(192, 192, 192), RGB(0, 0, 0), RGB(192, 192, 192), RGB(0, 0, 0), RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0),
    RGB(255, 255, 255)}};
// clang-format on

const ColourScheme* const kColourSchemes[2] = {&kHighContrastBlack, &kHighContrastWhite};

const ColourScheme* colourSchemeNamed(const std::string& name) {
    for (const ColourScheme* scheme : kColourSchemes)
        if (name == scheme->name) return scheme;
    return nullptr;
}

ColourScheme systemColourScheme() {
    ColourScheme scheme{"standard", false, {}};
    for (int i = 0; i < kSystemColourCount; ++i) scheme.colours[i] = GetSysColor(i);
    return scheme;
}

static SchemeSpy* gSchemeSpy = nullptr;

// The replacements, WINAPI as the functions they stand for.
struct SchemeSpy::Hooks {
    static DWORD WINAPI GetSysColor(int index) {
        if (index < 0 || index >= kSystemColourCount) return 0;
        return gSchemeSpy->scheme.colours[index];
    }

    static HBRUSH WINAPI GetSysColorBrush(int index) {
        if (index < 0 || index >= kSystemColourCount) return nullptr;
        return gSchemeSpy->brushOf(gSchemeSpy->scheme.colours[index]);
    }

    // HIGHCONTRASTA and HIGHCONTRASTW differ only in the scheme name's type.
    template <typename Record, typename Real>
    static BOOL answer(UINT action, UINT size, void* value, UINT update, Real real) {
        if (action != SPI_GETHIGHCONTRAST) return real(action, size, value, update);
        SchemeSpy& spy = *gSchemeSpy;
        ++spy.queries_;
        auto* record = static_cast<Record*>(value);
        if (!record || size != sizeof(Record) || record->cbSize != sizeof(Record)) {
            ++spy.malformed_;
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (spy.answer == Answer::kFailure) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        record->dwFlags = HCF_AVAILABLE | (spy.scheme.highContrast ? HCF_HIGHCONTRASTON : 0);
        record->lpszDefaultScheme = nullptr;
        if (spy.answer == Answer::kOtherSize) record->cbSize = sizeof(Record) + sizeof(DWORD);
        return TRUE;
    }

    static BOOL WINAPI SystemParametersInfoA(UINT action, UINT size, PVOID value, UINT update) {
        return answer<HIGHCONTRASTA>(action, size, value, update, ::SystemParametersInfoA);
    }

    static BOOL WINAPI SystemParametersInfoW(UINT action, UINT size, PVOID value, UINT update) {
        return answer<HIGHCONTRASTW>(action, size, value, update, ::SystemParametersInfoW);
    }
};

SchemeSpy::SchemeSpy(Host& host, const ColourScheme& scheme) : scheme(scheme) {
    if (gSchemeSpy) {
        std::fprintf(stderr, "pluginhost: a second SchemeSpy was made while another is alive\n");
        std::abort();
    }
    gSchemeSpy = this;
    struct Replacement {
        const char* function;
        void* hook;
    };
    const Replacement replacements[] = {
        {"GetSysColor", reinterpret_cast<void*>(&Hooks::GetSysColor)},
        {"GetSysColorBrush", reinterpret_cast<void*>(&Hooks::GetSysColorBrush)},
        {"SystemParametersInfoA", reinterpret_cast<void*>(&Hooks::SystemParametersInfoA)},
        {"SystemParametersInfoW", reinterpret_cast<void*>(&Hooks::SystemParametersInfoW)},
    };
    int colourHooks = 0;
    int settingHooks = 0;
    for (const Replacement& r : replacements) {
        auto hook = std::make_unique<ImportHook>(host.module(), "USER32.dll", r.function, r.hook);
        if (!hook->installed()) continue;
        (r.function[0] == 'G' ? colourHooks : settingHooks) += 1;
        hooks_.push_back(std::move(hook));
    }
    installed_ = colourHooks == 2 && settingHooks >= 1;
}

SchemeSpy::~SchemeSpy() {
    // Newest first, as the hooks' own rule asks.
    while (!hooks_.empty()) hooks_.pop_back();
    for (HBRUSH brush : brushes_) DeleteObject(brush);
    gSchemeSpy = nullptr;
}

// One brush per colour, kept until the spy goes, as the system keeps its own.
HBRUSH SchemeSpy::brushOf(COLORREF colour) {
    for (size_t i = 0; i < brushColours_.size(); ++i)
        if (brushColours_[i] == colour) return brushes_[i];
    HBRUSH brush = CreateSolidBrush(colour);
    brushes_.push_back(brush);
    brushColours_.push_back(colour);
    return brush;
}

}  // namespace pluginhost
