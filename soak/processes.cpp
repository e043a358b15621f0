#include "processes.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace soak {

static std::wstring wide(const std::string& text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &w[0], n);
    return w;
}

static std::string programPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

bool readFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

std::string temporaryPath(const std::string& stem) {
    static int serial = 0;
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "soak-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial) +
           "-" + stem;
}

// The class of the instance a step drives, from the script's creates.
static std::string classOfStep(const Script& script, int64_t step) {
    if (step < 0 || step >= static_cast<int64_t>(script.steps.size())) return std::string();
    const int32_t slot = script.steps[static_cast<size_t>(step)].slot;
    for (int64_t k = step; k >= 0; --k) {
        const Step& s = script.steps[static_cast<size_t>(k)];
        if (s.op == Op::Create && s.slot == slot) return s.word;
    }
    return std::string();
}

// --- faults as text, between a child and its parent ---------------------------------------

std::string faultText(const Fault& f) {
    return "fault " + f.category + " " + std::to_string(f.step) + " " + (f.className.empty() ? "-" : f.className) +
           "\nmessage " + f.message + "\n";
}

void readReport(const std::string& text, int64_t& runs, int64_t& calls, bool& faulted, Fault& fault, int64_t& run,
                Coverage* coverage) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "runs") words >> runs;
        if (key == "coverage" && coverage)
            words >> coverage->menus >> coverage->menuItems >> coverage->events >> coverage->themed >>
                coverage->withheld >> coverage->destroyedInHandlers >> coverage->modalLoops;
        if (key == "calls") words >> calls;
        if (key == "run") words >> run;
        if (key == "fault") {
            faulted = true;
            words >> fault.category >> fault.step >> fault.className;
            if (fault.className == "-") fault.className.clear();
        }
        if (key == "message") fault.message = line.size() > 8 ? line.substr(8) : std::string();
    }
}

// --- child processes --------------------------------------------------------------------------

std::string gChildOptions;

ChildResult runChild(const std::string& arguments, DWORD timeoutMs) {
    ChildResult result;
    const std::string outputPath = temporaryPath("output.txt");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE input =
        CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::wstring commandLine = L"\"" + wide(programPath()) + L"\" " + wide(arguments + gChildOptions);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        result.started = true;
        if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_TIMEOUT) {
            result.timedOut = true;
            TerminateProcess(process.hProcess, 0xDEAD);
            WaitForSingleObject(process.hProcess, INFINITE);
        }
        GetExitCodeProcess(process.hProcess, &result.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
    if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
    readFile(outputPath, result.output);
    DeleteFileA(outputPath.c_str());
    return result;
}

std::string quoteArgument(const std::string& text) { return "\"" + text + "\""; }

static std::string hexCode(uint64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

Fault childFault(const ChildResult& child, const Progress& progress, const Script& script) {
    Fault f;
    f.step = progress.step;
    f.className = classOfStep(script, f.step);
    if (child.timedOut) {
        f.category = "hang";
        f.message = "no answer within " + std::to_string(kChunkTimeoutMs / 1000) + " s";
    } else if (child.exitCode != kExitClean && child.exitCode != kExitFault) {
        f.category = "crash";
        f.message = "exception " + hexCode(progress.exceptionCode ? progress.exceptionCode : child.exitCode) + " at " +
                    hexCode(progress.exceptionAddress);
    } else {
        f.category = "printed";
        f.message = "the plug-in wrote \"" + child.output.substr(0, 200) + "\"";
    }
    return f;
}

SharedProgress::SharedProgress() {
    static int serial = 0;
    name = "Local\\ClassicControlsSoak-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Progress), name.c_str());
    if (mapping) progress = static_cast<Progress*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (progress) std::memset(const_cast<Progress*>(progress), 0, sizeof(Progress));
}

SharedProgress::~SharedProgress() {
    if (progress) UnmapViewOfFile(progress);
    if (mapping) CloseHandle(mapping);
}

static Progress* gChildProgress = nullptr;

static LONG WINAPI recordCrash(EXCEPTION_POINTERS* exception) {
    if (gChildProgress && exception && exception->ExceptionRecord) {
        gChildProgress->exceptionCode = exception->ExceptionRecord->ExceptionCode;
        gChildProgress->exceptionAddress = reinterpret_cast<uintptr_t>(exception->ExceptionRecord->ExceptionAddress);
    }
    return EXCEPTION_EXECUTE_HANDLER;  // ends the process with the exception's code, silently
}

Progress* openProgress(const std::string& name) {
    if (name.empty()) return nullptr;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (!mapping) return nullptr;
    return static_cast<Progress*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
}

void becomeChild(Progress* progress) {
    gChildProgress = progress;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(recordCrash);
}

RunResult replayInChild(const Script& script, const std::string& plugin) {
    const std::string scriptPath = temporaryPath("candidate.txt");
    const std::string reportPath = temporaryPath("report.txt");
    writeFile(scriptPath, formatScript(script));
    SharedProgress shared;
    const ChildResult child = runChild("replay " + quoteArgument(scriptPath) + " --plugin " + quoteArgument(plugin) +
                                           " --report " + quoteArgument(reportPath) + " --progress " + shared.name,
                                       kReplayTimeoutMs);
    RunResult result;
    std::string report;
    int64_t runs = 0, calls = 0, run = 0;
    if (readFile(reportPath, report)) readReport(report, runs, calls, result.faulted, result.fault, run);
    if (!result.faulted && child.abnormal()) {
        result.faulted = true;
        result.fault = childFault(child, *shared.progress, script);
    }
    DeleteFileA(scriptPath.c_str());
    DeleteFileA(reportPath.c_str());
    return result;
}

}  // namespace soak
