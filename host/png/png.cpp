// PNG files through the Windows Imaging Component, kept apart from the host's
// core so that a host without pictures links no COM.
#include "png/png.h"

#include <objbase.h>
#include <wincodec.h>

#include <vector>

namespace pluginhost {

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

// Encodes the pixels into a stream that is ready for writing.
static bool encodeInto(IWICImagingFactory* factory, IStream* stream, const uint32_t* bits, int width, int height) {
    ComPointer<IWICBitmapEncoder> encoder;
    if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out()))) return false;
    if (FAILED(encoder->Initialize(stream, WICBitmapEncoderNoCache))) return false;
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

static bool makeFactory(ComPointer<IWICImagingFactory>& factory) {
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(factory.out())));
}

static bool encodePng(const std::wstring& path, const uint32_t* bits, int width, int height) {
    ComPointer<IWICImagingFactory> factory;
    if (!makeFactory(factory)) return false;
    ComPointer<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.out()))) return false;
    if (FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE))) return false;
    return encodeInto(factory.p, stream.p, bits, width, height);
}

static bool encodePngBytes(const uint32_t* bits, int width, int height, std::vector<uint8_t>* bytes) {
    ComPointer<IWICImagingFactory> factory;
    if (!makeFactory(factory)) return false;
    ComPointer<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.out()))) return false;
    if (!encodeInto(factory.p, stream.p, bits, width, height)) return false;
    // The stream's memory block may be larger than what was written.
    STATSTG status{};
    if (FAILED(stream->Stat(&status, STATFLAG_NONAME))) return false;
    HGLOBAL memory = nullptr;
    if (FAILED(GetHGlobalFromStream(stream.p, &memory))) return false;
    const auto* start = static_cast<const uint8_t*>(GlobalLock(memory));
    if (!start) return false;
    bytes->assign(start, start + status.cbSize.QuadPart);
    GlobalUnlock(memory);
    return true;
}

static bool decodePng(const std::wstring& path, Picture* picture) {
    ComPointer<IWICImagingFactory> factory;
    if (!makeFactory(factory)) return false;
    ComPointer<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  decoder.out())))
        return false;
    ComPointer<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.out()))) return false;
    ComPointer<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.out()))) return false;
    if (FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return false;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0) return false;
    picture->width = static_cast<int>(width);
    picture->height = static_cast<int>(height);
    picture->pixels.assign(size_t(width) * height, 0);
    const UINT stride = width * sizeof(uint32_t);
    if (FAILED(
            converter->CopyPixels(nullptr, stride, stride * height, reinterpret_cast<BYTE*>(picture->pixels.data()))))
        return false;
    for (uint32_t& p : picture->pixels) p &= 0x00FFFFFF;
    return true;
}

static std::wstring widen(const std::string& path) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

// COM for the length of one call.
struct ComScope {
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ComScope() = default;
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(init)) CoUninitialize();
    }
};

bool writePng(const std::string& path, const uint32_t* bits, int width, int height) {
    if (!bits || width <= 0 || height <= 0) return false;
    const std::wstring wide = widen(path);
    if (wide.empty()) return false;
    ComScope com;
    return encodePng(wide, bits, width, height);
}

bool encodePng(const uint32_t* bits, int width, int height, std::vector<uint8_t>* bytes) {
    if (!bits || width <= 0 || height <= 0 || !bytes) return false;
    ComScope com;
    return encodePngBytes(bits, width, height, bytes);
}

bool readPng(const std::string& path, Picture* picture) {
    if (!picture) return false;
    const std::wstring wide = widen(path);
    if (wide.empty()) return false;
    ComScope com;
    return decodePng(wide, picture);
}

bool savePng(const Host& host, const std::string& path) {
    return writePng(path, host.imageBits(), Host::kWindowWidth, Host::kWindowHeight);
}

}  // namespace pluginhost
