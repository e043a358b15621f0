// The peers: standard Windows controls painting the same size into the same
// kind of DIB, through WM_PRINTCLIENT where they are windows.
//
// The themed and image-list buttons, split buttons and up-down controls are
// comctl32 version 6 windows: they are made while the activation context of
// the program's common-controls manifest is active, and the unthemed ones
// have their theme switched off with SetWindowTheme(L"", L""). The plain
// BUTTON is user32's, made outside that context.
#include "bench.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <cstdio>
#include <string>
#include <vector>

namespace bench {

namespace {

constexpr int kCaptionFontHeight = -12;
constexpr char kCaptionFace[] = "MS Sans Serif";
constexpr int kIconSize = 16;
constexpr int kAnimationSize = 16;
constexpr int kAnimationFrames = 8;
constexpr DWORD kMicrosecondsPerFrame = 100000;
constexpr LPARAM kPrintClient = PRF_CLIENT;
// The manifest resource that names comctl32 6.0 (bench.rc); not 1, so that
// the program itself starts without it.
constexpr WORD kCommonControlsManifest = 2;

// Makes the window under the activation context when asked.
HWND makeWindow(const wchar_t* windowClass, const wchar_t* text, DWORD style, int width, int height, HWND parent,
                bool version6) {
    ULONG_PTR cookie = 0;
    HANDLE context = version6 ? commonControls6() : nullptr;
    if (context && !ActivateActCtx(context, &cookie)) context = nullptr;
    HWND window = CreateWindowExW(0, windowClass, text, WS_CHILD | style, 0, 0, width, height, parent, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (context) DeactivateActCtx(0, cookie);
    return window;
}

HFONT captionFont() {
    return CreateFontA(kCaptionFontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, kCaptionFace);
}

// A window that paints itself through WM_PRINTCLIENT.
class WindowPeer : public Painter {
public:
    explicit WindowPeer(HWND window) : window_(window) {}
    ~WindowPeer() override {
        if (window_) DestroyWindow(window_);
        if (font_) DeleteObject(font_);
    }
    void paint(HDC dc) override { SendMessageW(window_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), kPrintClient); }
    void setFont(HFONT font) {
        font_ = font;
        SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }

protected:
    HWND window_;
    HFONT font_ = nullptr;
};

// comctl32 6.0's image list functions: those of the module the activation
// context gives, so that the list is the one its buttons understand.
struct ImageListApi {
    HIMAGELIST(WINAPI* create)(int, int, UINT, int, int) = nullptr;
    int(WINAPI* add)(HIMAGELIST, HBITMAP, HBITMAP) = nullptr;
    BOOL(WINAPI* destroy)(HIMAGELIST) = nullptr;
};

ImageListApi imageListApi() {
    static ImageListApi api;
    static bool looked = false;
    if (looked) return api;
    looked = true;
    ULONG_PTR cookie = 0;
    HANDLE context = commonControls6();
    if (!context || !ActivateActCtx(context, &cookie)) return api;
    if (HMODULE module = LoadLibraryW(L"comctl32.dll")) {
        api.create =
            reinterpret_cast<decltype(api.create)>(reinterpret_cast<void*>(GetProcAddress(module, "ImageList_Create")));
        api.add = reinterpret_cast<decltype(api.add)>(reinterpret_cast<void*>(GetProcAddress(module, "ImageList_Add")));
        api.destroy = reinterpret_cast<decltype(api.destroy)>(
            reinterpret_cast<void*>(GetProcAddress(module, "ImageList_Destroy")));
    }
    DeactivateActCtx(0, cookie);
    return api;
}

class ImageListButtonPeer : public WindowPeer {
public:
    ImageListButtonPeer(HWND window, HBITMAP icon) : WindowPeer(window), icon_(icon) {
        const ImageListApi api = imageListApi();
        if (!api.create || !api.add || !icon) return;
        list_ = api.create(kIconSize, kIconSize, ILC_COLOR32, 1, 0);
        if (!list_) return;
        api.add(list_, icon, nullptr);
        BUTTON_IMAGELIST image{};
        image.himl = list_;
        image.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
        SendMessageW(window_, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&image));
    }
    ~ImageListButtonPeer() override {
        DestroyWindow(window_);
        window_ = nullptr;
        if (list_) imageListApi().destroy(list_);
        if (icon_) DeleteObject(icon_);
    }

private:
    HBITMAP icon_;
    HIMAGELIST list_ = nullptr;
};

// --- an animation of the chasing arrows' frames ----------------------------------------

void putWord(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void putTag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

// Appends a chunk or list; its size is set when it ends.
struct Chunk {
    std::vector<uint8_t>& out;
    size_t sizeAt;
    Chunk(std::vector<uint8_t>& out, const char* tag, const char* listType = nullptr) : out(out) {
        putTag(out, tag);
        sizeAt = out.size();
        putWord(out, 0);
        if (listType) putTag(out, listType);
    }
    ~Chunk() {
        const uint32_t size = static_cast<uint32_t>(out.size() - sizeAt - 4);
        for (int i = 0; i < 4; ++i) out[sizeAt + i] = static_cast<uint8_t>(size >> (8 * i));
        if (out.size() % 2) out.push_back(0);
    }
};

// Eight uncompressed 16 x 16 frames (24-bit, bottom-up), each the plug-in's
// chasing-arrows frame of that number.
std::vector<uint8_t> chasingAnimation() {
    constexpr int kRowBytes = kAnimationSize * 3;
    constexpr int kFrameBytes = kRowBytes * kAnimationSize;
    std::vector<std::vector<uint8_t>> frames;
    for (int f = 0; f < kAnimationFrames; ++f) {
        Dib dib(kAnimationSize, kAnimationSize);
        paintChasingFrame(dib.dc(), 0, 0, f, GetSysColor(COLOR_BTNFACE));
        std::vector<uint8_t> bytes;
        for (int y = kAnimationSize - 1; y >= 0; --y) {
            for (int x = 0; x < kAnimationSize; ++x) {
                const uint32_t p = dib.pixel(x, y);
                bytes.push_back(static_cast<uint8_t>(p));
                bytes.push_back(static_cast<uint8_t>(p >> 8));
                bytes.push_back(static_cast<uint8_t>(p >> 16));
            }
        }
        frames.push_back(bytes);
    }

    std::vector<uint8_t> out;
    {
        Chunk riff(out, "RIFF", "AVI ");
        {
            Chunk header(out, "LIST", "hdrl");
            {
                Chunk avih(out, "avih");
                const uint32_t fields[] = {kMicrosecondsPerFrame,
                                           0,
                                           0,
                                           0,
                                           kAnimationFrames,
                                           0,
                                           1,
                                           kFrameBytes,
                                           kAnimationSize,
                                           kAnimationSize,
                                           0,
                                           0,
                                           0,
                                           0};
                for (uint32_t v : fields) putWord(out, v);
            }
            {
                Chunk stream(out, "LIST", "strl");
                {
                    Chunk strh(out, "strh");
                    putTag(out, "vids");
                    putTag(out, "DIB ");
                    const uint32_t fields[] = {0, 0, 0, 1, 10, 0, kAnimationFrames, kFrameBytes, 0, 0};
                    for (uint32_t v : fields) putWord(out, v);
                    putWord(out, 0);  // rcFrame: left and top
                    putWord(out, kAnimationSize | (kAnimationSize << 16));
                }
                {
                    Chunk strf(out, "strf");
                    const uint32_t fields[] = {
                        40, kAnimationSize, kAnimationSize, 1 | (24 << 16), BI_RGB, kFrameBytes, 0, 0, 0, 0};
                    for (uint32_t v : fields) putWord(out, v);
                }
            }
        }
        {
            Chunk movie(out, "LIST", "movi");
            for (const auto& frame : frames) {
                Chunk data(out, "00db");
                out.insert(out.end(), frame.begin(), frame.end());
            }
        }
    }
    return out;
}

// A file of the animation for one peer, which deletes it when done.
std::wstring writeAnimationFile() {
    static int files = 0;
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"chasing-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++files) + L".avi";
    const std::vector<uint8_t> bytes = chasingAnimation();
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    return path;
}

// SysAnimate32 with the chasing frames: its current frame through
// WM_PRINTCLIENT, or one step: seek to the next frame, which the control
// decodes and paints at once on its window.
class AnimatePeer : public WindowPeer {
public:
    AnimatePeer(HWND window, bool step) : WindowPeer(window), step_(step) {
        path_ = writeAnimationFile();
        SendMessageW(window_, ACM_OPENW, 0, reinterpret_cast<LPARAM>(path_.c_str()));
        seek(0);
    }
    ~AnimatePeer() override {
        SendMessageW(window_, ACM_OPENW, 0, 0);
        DestroyWindow(window_);
        window_ = nullptr;
        DeleteFileW(path_.c_str());
    }
    void paint(HDC dc) override {
        if (!step_) {
            WindowPeer::paint(dc);
            return;
        }
        frame_ = (frame_ + 1) % kAnimationFrames;
        seek(frame_);
    }
    void show(HDC dc) override { WindowPeer::paint(dc); }

private:
    void seek(int frame) { SendMessageW(window_, ACM_PLAY, 1, MAKELPARAM(frame, frame)); }
    bool step_;
    int frame_ = 0;
    std::wstring path_;
};

class FunctionPeer : public Painter {
public:
    explicit FunctionPeer(std::function<void(HDC)> paint) : paint_(std::move(paint)) {}
    void paint(HDC dc) override { paint_(dc); }

private:
    std::function<void(HDC)> paint_;
};

class StaticPeer : public WindowPeer {
public:
    StaticPeer(HWND window, HBITMAP picture) : WindowPeer(window), picture_(picture) {
        SendMessageW(window_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
    }
    ~StaticPeer() override {
        DestroyWindow(window_);
        window_ = nullptr;
        DeleteObject(picture_);
    }

private:
    HBITMAP picture_;
};

int widthOf(const CaseContext& c) { return c.instance->bounds.right - c.instance->bounds.left; }
int heightOf(const CaseContext& c) { return c.instance->bounds.bottom - c.instance->bounds.top; }

}  // namespace

HANDLE commonControls6() {
    static HANDLE context = INVALID_HANDLE_VALUE;
    if (context != INVALID_HANDLE_VALUE) return context;
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
    request.lpSource = program;
    request.hModule = GetModuleHandleW(nullptr);
    request.lpResourceName = MAKEINTRESOURCEW(kCommonControlsManifest);
    context = CreateActCtxW(&request);
    if (context == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "bench: no common controls 6.0 activation context (error %lu)\n", GetLastError());
        context = nullptr;
    }
    return context;
}

std::unique_ptr<Painter> userButtonPeer(const CaseContext& c, const wchar_t* caption) {
    auto peer = std::make_unique<WindowPeer>(
        makeWindow(L"BUTTON", caption, BS_PUSHBUTTON, widthOf(c), heightOf(c), c.parent, false));
    peer->setFont(captionFont());
    return peer;
}

std::unique_ptr<Painter> v6ButtonPeer(const CaseContext& c, const wchar_t* caption, DWORD style, bool themed, bool hot,
                                      HBITMAP icon) {
    HWND window = makeWindow(L"BUTTON", caption, style, widthOf(c), heightOf(c), c.parent, true);
    if (!themed) SetWindowTheme(window, L"", L"");
    std::unique_ptr<WindowPeer> peer;
    if (icon)
        peer = std::make_unique<ImageListButtonPeer>(window, icon);
    else
        peer = std::make_unique<WindowPeer>(window);
    peer->setFont(captionFont());
    // The pointer over the button: it starts tracking it and turns hot when
    // the pointer hovers. No message loop here delivers the pointer's leaving.
    if (hot) {
        const LPARAM middle = MAKELPARAM(widthOf(c) / 2, heightOf(c) / 2);
        SendMessageW(window, WM_MOUSEMOVE, 0, middle);
        SendMessageW(window, WM_MOUSEHOVER, 0, middle);
    }
    return peer;
}

std::unique_ptr<Painter> upDownPeer(const CaseContext& c, bool themed) {
    if (themed)
        return std::make_unique<WindowPeer>(makeWindow(UPDOWN_CLASSW, L"", 0, widthOf(c), heightOf(c), c.parent, true));
    // The unthemed up-down paints its halves with DrawFrameControl; Wine's
    // keeps the theme it opened at creation whatever SetWindowTheme says, so
    // the pair stands in for it.
    const int width = widthOf(c), height = heightOf(c);
    return functionPeer([width, height](HDC dc) {
        RECT up{0, 0, width, height / 2};
        RECT down{0, height / 2, width, height};
        DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP);
        DrawFrameControl(dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN);
    });
}

std::unique_ptr<Painter> animatePeer(const CaseContext& c, bool step) {
    return std::make_unique<AnimatePeer>(makeWindow(ANIMATE_CLASSW, L"", 0, widthOf(c), heightOf(c), c.parent, true),
                                         step);
}

std::unique_ptr<Painter> bitmapStaticPeer(const CaseContext& c, HBITMAP picture) {
    return std::make_unique<StaticPeer>(
        makeWindow(L"STATIC", L"", SS_BITMAP | SS_CENTERIMAGE, widthOf(c), heightOf(c), c.parent, false), picture);
}

std::unique_ptr<Painter> functionPeer(std::function<void(HDC)> paint) {
    return std::make_unique<FunctionPeer>(std::move(paint));
}

}  // namespace bench
