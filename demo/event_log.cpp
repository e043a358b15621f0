// The event log: a file of timestamped records and the pane beside the form.
#include "demo.h"

#include <cstdio>

// The pane keeps the latest lines only.
constexpr LRESULT kPaneLines = 400;

bool EventLog::open(const std::string& path) {
    file_ = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file_ != INVALID_HANDLE_VALUE;
}

void EventLog::write(const std::string& kind, const std::string& fields) {
    if (file_ == INVALID_HANDLE_VALUE) return;
    // Unbuffered: whoever reads the file meanwhile sees each record at once.
    const std::string line = std::to_string(pluginhost::millisecondClock()) + " " + kind + " " + fields + "\n";
    DWORD written = 0;
    WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void EventLog::show(const std::string& text) {
    if (pane_) pending_.push_back(text);
}

void EventLog::flush() {
    if (!pane_ || pending_.empty()) return;
    SendMessageW(pane_, WM_SETREDRAW, FALSE, 0);
    LRESULT last = 0;
    for (const std::string& text : pending_) {
        const int units = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
        std::wstring wide(units > 0 ? units : 1, L'\0');
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), units);
        last = SendMessageW(pane_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        if (last >= kPaneLines) last = SendMessageW(pane_, LB_DELETESTRING, 0, 0) - 1;
    }
    pending_.clear();
    SendMessageW(pane_, LB_SETTOPINDEX, static_cast<WPARAM>(last > 0 ? last : 0), 0);
    SendMessageW(pane_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(pane_, nullptr, TRUE);
}
