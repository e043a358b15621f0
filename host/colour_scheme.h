// Colour schemes answered to a loaded plug-in through its imports: the
// system colours (GetSysColor, GetSysColorBrush) and the high-contrast
// setting (SystemParametersInfoA or W with SPI_GETHIGHCONTRAST).
//
// Wine 8 answers SPI_GETHIGHCONTRAST but refuses SPI_SETHIGHCONTRAST, and
// colours set in the prefix would reach every program that shares it; the
// spy reaches the plug-in alone, so the host's own window, labels and
// pictures keep the system's colours unless a program paints them in the
// scheme's. Make it after Host::load() and before the first paint; one
// SchemeSpy at a time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "plugin_host.h"

namespace pluginhost {

// System colour indexes from COLOR_SCROLLBAR to COLOR_MENUBAR.
constexpr int kSystemColourCount = COLOR_MENUBAR + 1;

struct ColourScheme {
    const char* name;                      // "high-contrast-black"
    bool highContrast;                     // the setting that comes with the scheme
    COLORREF colours[kSystemColourCount];  // by system colour index
};

// High Contrast Black and High Contrast White as Windows 2000 and XP ship
// them (ReactOS's copies of the appearance schemes).
extern const ColourScheme kHighContrastBlack;
extern const ColourScheme kHighContrastWhite;
// Both, for a program to choose from by name.
extern const ColourScheme* const kColourSchemes[2];
// The scheme of that name, or null.
const ColourScheme* colourSchemeNamed(const std::string& name);
// The system's own colours as they are now, with high contrast off.
ColourScheme systemColourScheme();

class SchemeSpy {
public:
    SchemeSpy(Host& host, const ColourScheme& scheme);
    ~SchemeSpy();
    SchemeSpy(const SchemeSpy&) = delete;
    SchemeSpy& operator=(const SchemeSpy&) = delete;

    // What GetSysColor and GetSysColorBrush answer and whether high contrast
    // is on; it may change between paints, as the user's setting does.
    ColourScheme scheme;

    // How SPI_GETHIGHCONTRAST is answered: with the scheme's setting, as a
    // failure, or with the setting in a structure of another size.
    enum class Answer { kSetting, kFailure, kOtherSize };
    Answer answer = Answer::kSetting;

    // True when GetSysColor, GetSysColorBrush and one of the two
    // SystemParametersInfo functions are hooked.
    bool installed() const { return installed_; }
    // SPI_GETHIGHCONTRAST queries so far, and those that did not pass the
    // structure's size as Windows asks (they are refused).
    int highContrastQueries() const { return queries_; }
    int malformedQueries() const { return malformed_; }

    struct Hooks;

private:
    friend struct Hooks;
    HBRUSH brushOf(COLORREF colour);

    std::vector<std::unique_ptr<ImportHook>> hooks_;
    std::vector<HBRUSH> brushes_;
    std::vector<COLORREF> brushColours_;
    bool installed_ = false;
    int queries_ = 0;
    int malformed_ = 0;
};

}  // namespace pluginhost
