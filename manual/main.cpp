// Writes the controls' manual, generated from the plug-in beside the program
// and the prose kept with it: the Markdown reference with its pictures under
// the docs folder, and one HTML page with a folder of its pictures beside it.
// With --check it writes nothing under the docs folder and fails when the
// committed reference is not what the plug-in yields; the page (--html) is
// written once the reference is found current.
//   manual --docs <folder> --prose <prose.txt> [--html <page.html>] [--check]
// Run it as Windows XP (tools/wine-run --windows winxp): the pictures show
// the themed look that visual styles give there.
// Exit status: 0 written or current, 1 stale (--check), 2 nothing made.
#include <cstdio>
#include <cstring>
#include <string>

#include <windows.h>

#include "files.h"
#include "generate.h"
#include "plugin_sources.h"

namespace {

constexpr DWORD kWindowsXPMajor = 5;
constexpr DWORD kWindowsXPMinor = 1;

int usage() {
    std::fprintf(stderr, "usage: manual --docs <folder> --prose <prose.txt> [--html <page.html>] [--check]\n");
    return manual::kFailed;
}

bool runningAsWindowsXP() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           version.dwMajorVersion == kWindowsXPMajor && version.dwMinorVersion == kWindowsXPMinor;
}

// The file's name without its folders, as messages name the prose.
std::string baseName(const std::string& path) {
    const std::string folder = manual::folderOf(path);
    return folder.empty() ? path : path.substr(folder.size() + 1);
}

}  // namespace

int main(int argc, char** argv) {
    manual::Options options;
    std::string prosePath;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--docs") == 0 && hasValue) {
            options.docs = argv[++i];
        } else if (std::strcmp(argv[i], "--prose") == 0 && hasValue) {
            prosePath = argv[++i];
        } else if (std::strcmp(argv[i], "--html") == 0 && hasValue) {
            options.html = argv[++i];
        } else if (std::strcmp(argv[i], "--check") == 0) {
            options.check = true;
        } else {
            return usage();
        }
    }
    if (options.docs.empty() || prosePath.empty()) return usage();
    if (!runningAsWindowsXP()) {
        std::fprintf(stderr,
                     "manual: run it as Windows XP (tools/wine-run --windows winxp): its pictures show the "
                     "themed look, which only Windows XP draws\n");
        return manual::kFailed;
    }
    if (!manual::readFile(prosePath, &options.proseText)) {
        std::fprintf(stderr, "manual: cannot read %s\n", prosePath.c_str());
        return manual::kFailed;
    }
    options.proseSource = "manual/" + baseName(prosePath);

    PluginSources sources(pluginhost::besideProgram("ClassicControls.dll"));
    std::string error;
    if (!sources.load(&error)) {
        std::fprintf(stderr, "manual: %s\n", error.c_str());
        return manual::kFailed;
    }
    std::vector<std::string> messages;
    const manual::Outcome outcome = manual::generate(sources, options, &messages);
    for (const std::string& message : messages) std::fprintf(stderr, "manual: %s\n", message.c_str());
    if (outcome == manual::kCurrent)
        std::printf("manual: %s/%s %s\n", options.docs.c_str(), manual::kMarkdownFile,
                    options.check ? "is what the DLL yields" : "written");
    return outcome;
}
