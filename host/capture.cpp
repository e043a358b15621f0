// Pictures of the window image: character maps for tests, PNG files.
#include <objbase.h>
#include <wincodec.h>

#include "test_host.h"

namespace testhost {

std::string capture(const Host& host, RECT area, const std::map<COLORREF, char>& legend) {
    std::string picture;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const COLORREF colour = host.pixel(x, y);
            if (colour == CLR_INVALID) {
                picture += ' ';
                continue;
            }
            auto it = legend.find(colour);
            picture += it == legend.end() ? '?' : it->second;
        }
        picture += '\n';
    }
    return picture;
}

std::map<COLORREF, char> legend(std::initializer_list<std::pair<int, char>> systemColours,
                                std::initializer_list<std::pair<COLORREF, char>> colours) {
    std::map<COLORREF, char> result;
    for (const auto& entry : systemColours) result.emplace(GetSysColor(entry.first), entry.second);
    for (const auto& entry : colours) result.emplace(entry.first, entry.second);
    return result;
}

// Releases a COM interface when the scope ends.
template <typename T>
struct ComPointer {
    T* p = nullptr;
    ComPointer() = default;
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    ~ComPointer() {
        if (p) p->Release();
    }
    T** out() { return &p; }
    T* operator->() const { return p; }
};

static bool encodePng(const std::wstring& path, const uint32_t* bits, int width, int height) {
    ComPointer<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.out()))))
        return false;
    ComPointer<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.out()))) return false;
    if (FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE))) return false;
    ComPointer<IWICBitmapEncoder> encoder;
    if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out()))) return false;
    if (FAILED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache))) return false;
    ComPointer<IWICBitmapFrameEncode> frame;
    if (FAILED(encoder->CreateNewFrame(frame.out(), nullptr))) return false;
    if (FAILED(frame->Initialize(nullptr))) return false;
    if (FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)))) return false;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
    if (FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat32bppBGR) return false;
    const UINT stride = static_cast<UINT>(width) * sizeof(uint32_t);
    if (FAILED(frame->WritePixels(static_cast<UINT>(height), stride, stride * static_cast<UINT>(height),
                                  reinterpret_cast<BYTE*>(const_cast<uint32_t*>(bits)))))
        return false;
    return SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

bool writePng(const std::string& path, const uint32_t* bits, int width, int height) {
    if (!bits || width <= 0 || height <= 0) return false;
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0) return false;
    std::wstring widePath(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, &widePath[0], length);
    widePath.resize(static_cast<size_t>(length - 1));
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool written = encodePng(widePath, bits, width, height);
    if (SUCCEEDED(init)) CoUninitialize();
    return written;
}

}  // namespace testhost
