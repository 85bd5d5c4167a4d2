#include "platform/win32/Pictures_win.h"

#include <objidl.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/win32/Com_win.h"

namespace velt::platform::win32 {

namespace {

// The stream owns the memory once it exists (fDeleteOnRelease).
void StreamOverCopy(const ComFunctions& com, const void* bytes, DWORD size, ComRef<IStream>& stream) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) throw std::runtime_error("out of memory for a picture");
    void* target = ::GlobalLock(memory);
    if (target == nullptr) {
        ::GlobalFree(memory);
        throw std::runtime_error("out of memory for a picture");
    }
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(memory);
    if (FAILED(com.CreateStreamOnHGlobal(memory, TRUE, stream.put()))) {
        ::GlobalFree(memory);
        throw std::runtime_error("cannot make a stream for a picture");
    }
}

}  // namespace

UniqueBitmap LoadPictureResource(HINSTANCE instance, int id) {
    const ComFunctions* com = Com();
    if (com == nullptr) throw std::runtime_error("no picture decoder");
    // The decoder works inside a single-threaded apartment, joined only while it decodes.
    const ApartmentScope apartment;
    HRSRC info = ::FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (info == nullptr) throw std::runtime_error("picture resource missing");
    const DWORD size = ::SizeofResource(instance, info);
    HGLOBAL loaded = ::LoadResource(instance, info);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0) throw std::runtime_error("picture resource unreadable");

    ComRef<IStream> stream;
    StreamOverCopy(*com, bytes, size, stream);
    ComRef<IPicture> picture;
    if (FAILED(com->OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                                   picture.put_void()))) {
        throw std::runtime_error("picture cannot be decoded");
    }
    short type = PICTYPE_UNINITIALIZED;
    OLE_HANDLE handle = 0;
    if (FAILED(picture->get_Type(&type)) || type != PICTYPE_BITMAP || FAILED(picture->get_Handle(&handle)) ||
        handle == 0) {
        throw std::runtime_error("picture is not a bitmap");
    }
    // The picture object keeps its own bitmap; take a copy that lives as long as we need it.
    HBITMAP own = static_cast<HBITMAP>(::CopyImage(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (own == nullptr) throw std::runtime_error("picture cannot be copied");
    return UniqueBitmap(own);
}

SIZE BitmapSize(HBITMAP bitmap) noexcept {
    BITMAP bm{};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof bm, &bm) == 0) return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight};
}

UniqueBitmap MakeGreyedCopy(HBITMAP source) {
    const SIZE size = BitmapSize(source);
    if (size.cx <= 0 || size.cy <= 0) return UniqueBitmap();

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.cx) * size.cy);
    ScreenDc screen;
    if (::GetDIBits(screen.get(), source, 0, static_cast<UINT>(size.cy), pixels.data(), &info,
                    DIB_RGB_COLORS) == 0) {
        return UniqueBitmap();
    }
    // Luminance, pulled halfway towards a light grey.
    for (std::uint32_t& p : pixels) {
        const unsigned b = p & 0xFF, g = (p >> 8) & 0xFF, r = (p >> 16) & 0xFF;
        const unsigned y = (r * 299 + g * 587 + b * 114) / 1000;
        const unsigned v = (y + 0xD8) / 2;
        p = v | (v << 8) | (v << 16);
    }
    void* bits = nullptr;
    UniqueBitmap grey(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!grey || bits == nullptr) return UniqueBitmap();
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof(std::uint32_t));
    return grey;
}

}  // namespace velt::platform::win32
