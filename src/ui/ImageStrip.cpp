#include "ui/ImageStrip.h"

#include "ComScope.h"
#include "resource.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace ui {

using Microsoft::WRL::ComPtr;

namespace {

// The scales each picture is drawn at, and what they add to its 100 % resource ID.
constexpr std::array<std::pair<int, int>, 3> Drawings{{{100, 0}, {150, IDB_SCALE_150}, {200, IDB_SCALE_200}}};

// The drawings nearest to percent first (between two, the larger: shrinking keeps more
// detail than enlarging).
std::array<std::pair<int, int>, 3> DrawingsNearest(int percent) noexcept
{
    auto drawings = Drawings;
    std::stable_sort(drawings.begin(), drawings.end(), [percent](const auto& a, const auto& b) {
        const int distanceA = std::abs(a.first - percent);
        const int distanceB = std::abs(b.first - percent);
        return distanceA != distanceB ? distanceA < distanceB : a.first > b.first;
    });
    return drawings;
}

// The Windows Imaging Component over the PNG resources of this module. Every step returns
// null on failure, and a step given null returns null, so that a missing or damaged
// picture ends in one check.
class PngReader {
public:
    PngReader() noexcept
    {
        // The first version of the factory: the one Windows 7 has without updates.
        CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&m_factory));
    }

    // The picture of resource id, decoded on demand as it is read; null when the resource
    // is missing or not a PNG.
    ComPtr<IWICBitmapSource> Picture(int id) const noexcept
    {
        const HMODULE module = GetModuleHandleW(nullptr);
        const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
        const HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
        auto* bytes = static_cast<BYTE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
        ComPtr<IWICStream> stream;
        ComPtr<IWICBitmapDecoder> decoder;
        ComPtr<IWICBitmapFrameDecode> frame;
        // The system's own PNG decoder, named rather than found by probing the data, so that
        // no other codec installed on the machine is loaded into this elevated process. The
        // stream only reads: the resource stays as it is in the image.
        if (bytes == nullptr || !m_factory ||
            FAILED(m_factory->CreateDecoder(GUID_ContainerFormatPng, &GUID_VendorMicrosoft, &decoder)) ||
            FAILED(m_factory->CreateStream(&stream)) ||
            FAILED(stream->InitializeFromMemory(bytes, SizeofResource(module, resource))) ||
            FAILED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand)) ||
            FAILED(decoder->GetFrame(0, &frame))) {
            return nullptr;
        }
        return frame;
    }

    ComPtr<IWICBitmapSource> Converted(IWICBitmapSource* source, REFWICPixelFormatGUID format) const noexcept
    {
        ComPtr<IWICFormatConverter> converter;
        if (source == nullptr || FAILED(m_factory->CreateFormatConverter(&converter)) ||
            FAILED(converter->Initialize(source, format, WICBitmapDitherTypeNone, nullptr, 0.0,
                                         WICBitmapPaletteTypeCustom))) {
            return nullptr;
        }
        return converter;
    }

    // The part of source within area.
    ComPtr<IWICBitmapSource> Clipped(IWICBitmapSource* source, const WICRect& area) const noexcept
    {
        ComPtr<IWICBitmapClipper> clipper;
        if (source == nullptr || FAILED(m_factory->CreateBitmapClipper(&clipper)) ||
            FAILED(clipper->Initialize(source, &area))) {
            return nullptr;
        }
        return clipper;
    }

    // Source at size; Fant's scaler averages what it shrinks.
    ComPtr<IWICBitmapSource> Scaled(IWICBitmapSource* source, SIZE size) const noexcept
    {
        ComPtr<IWICBitmapScaler> scaler;
        if (source == nullptr || FAILED(m_factory->CreateBitmapScaler(&scaler)) ||
            FAILED(scaler->Initialize(source, static_cast<UINT>(size.cx), static_cast<UINT>(size.cy),
                                      WICBitmapInterpolationModeFant))) {
            return nullptr;
        }
        return scaler;
    }

private:
    // COM while pictures are read; released after the factory.
    ComScope m_com;
    ComPtr<IWICImagingFactory> m_factory;
};

SIZE SizeOf(IWICBitmapSource* source) noexcept
{
    UINT width = 0;
    UINT height = 0;
    if (source == nullptr || FAILED(source->GetSize(&width, &height))) {
        return {};
    }
    return {static_cast<LONG>(width), static_cast<LONG>(height)};
}

// A top-down 32-bit DIB section of size, or null.
tl::unique_hbitmap DibSection(SIZE size, BYTE*& bits) noexcept
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    tl::unique_hbitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    bits = static_cast<BYTE*>(pixels);
    return bitmap;
}

// The bytes of one row of a 32-bit DIB section.
UINT Stride(LONG width) noexcept { return static_cast<UINT>(width) * 4; }

// Copies the 32-bit source, size large, into rows of stride bytes from bits on, a band of
// rows at a time: Wine's scaler and converter read what is asked for into a buffer of
// their own, which for a whole picture as large as a monitor is megabytes.
bool CopyInBands(IWICBitmapSource* source, SIZE size, UINT stride, BYTE* bits) noexcept
{
    constexpr INT BandRows = 64;
    for (INT top = 0; top < size.cy; top += BandRows) {
        const INT rows = std::min<INT>(BandRows, size.cy - top);
        const WICRect band{0, top, size.cx, rows};
        const UINT bytes = stride * static_cast<UINT>(rows - 1) + Stride(size.cx);
        if (FAILED(source->CopyPixels(&band, stride, bytes, bits + static_cast<size_t>(top) * stride))) {
            return false;
        }
    }
    return true;
}

} // namespace

ImageStrip::ImageStrip(int resourceId, int imageCount, UINT dpi) noexcept : m_imageCount(imageCount)
{
    const PngReader reader;
    const SIZE design = SizeOf(reader.Picture(resourceId).Get());
    if (imageCount <= 0 || design.cx < imageCount) {
        return;
    }
    const SIZE imageSize = Scale(SIZE{design.cx / imageCount, design.cy}, dpi);
    if (imageSize.cx <= 0 || imageSize.cy <= 0) {
        return;
    }
    ComPtr<IWICBitmapSource> drawn;
    for (const auto& [percent, offset] : DrawingsNearest(static_cast<int>(dpi) * 100 / static_cast<int>(DesignDpi))) {
        drawn = reader.Picture(resourceId + offset);
        if (SizeOf(drawn.Get()).cx >= imageCount) {
            break;
        }
    }
    // Premultiplied before it is scaled, so that no colour of a transparent pixel bleeds
    // into the edge of what is drawn.
    const ComPtr<IWICBitmapSource> pixels = reader.Converted(drawn.Get(), GUID_WICPixelFormat32bppPBGRA);
    const SIZE drawnSize = SizeOf(pixels.Get());
    BYTE* bits = nullptr;
    tl::unique_hbitmap bitmap = DibSection({imageSize.cx * imageCount, imageSize.cy}, bits);
    if (!bitmap || drawnSize.cx < imageCount) {
        return;
    }
    const UINT stride = Stride(imageSize.cx * imageCount);
    if (drawnSize.cx == imageSize.cx * imageCount && drawnSize.cy == imageSize.cy) {
        if (!CopyInBands(pixels.Get(), drawnSize, stride, bits)) {
            return;
        }
    } else {
        // Each image scaled on its own, so that none bleeds into its neighbour.
        const INT drawnImageWidth = drawnSize.cx / imageCount;
        for (int image = 0; image < imageCount; ++image) {
            const ComPtr<IWICBitmapSource> scaled = reader.Scaled(
                reader.Clipped(pixels.Get(), {image * drawnImageWidth, 0, drawnImageWidth, drawnSize.cy}).Get(),
                imageSize);
            if (scaled == nullptr ||
                !CopyInBands(scaled.Get(), imageSize, stride, bits + Stride(image * imageSize.cx))) {
                return;
            }
        }
    }
    m_bitmap = std::move(bitmap);
    m_imageSize = imageSize;
}

ImageStrip::ImageStrip(int resourceId, SIZE size) noexcept : m_imageCount(1)
{
    if (size.cx <= 0 || size.cy <= 0) {
        return;
    }
    // The drawing nearest to size by area: fit to a monitor, it is shrunk in one direction
    // as often as it is enlarged in the other.
    const PngReader reader;
    const double wanted = std::log(static_cast<double>(size.cx) * size.cy);
    ComPtr<IWICBitmapSource> drawn;
    double nearest = 0.0;
    for (const auto& [percent, offset] : Drawings) {
        ComPtr<IWICBitmapSource> drawing = reader.Picture(resourceId + offset);
        const SIZE drawingSize = SizeOf(drawing.Get());
        if (drawingSize.cx <= 0 || drawingSize.cy <= 0) {
            continue;
        }
        const double distance = std::abs(std::log(static_cast<double>(drawingSize.cx) * drawingSize.cy) - wanted);
        if (drawn == nullptr || distance <= nearest) {
            drawn = std::move(drawing);
            nearest = distance;
        }
    }
    // In the screen's own format, so that painting it is a plain copy: a 24-bit bitmap
    // would be a quarter smaller but is converted to the screen's format as it is painted,
    // through a second bitmap of the monitor's size (under Wine at least).
    ComPtr<IWICBitmapSource> pixels = reader.Converted(drawn.Get(), GUID_WICPixelFormat32bppBGR);
    const SIZE drawnSize = SizeOf(pixels.Get());
    if (drawnSize.cx != size.cx || drawnSize.cy != size.cy) {
        pixels = reader.Scaled(pixels.Get(), size);
    }
    BYTE* bits = nullptr;
    tl::unique_hbitmap bitmap = DibSection(size, bits);
    if (pixels == nullptr || !bitmap || !CopyInBands(pixels.Get(), size, Stride(size.cx), bits)) {
        return;
    }
    m_bitmap = std::move(bitmap);
    m_imageSize = size;
}

void ImageStrip::Draw(HDC dc, int index, int x, int y) const noexcept
{
    if (!m_bitmap || index < 0 || index >= m_imageCount) {
        return;
    }
    const tl::unique_hdc source(CreateCompatibleDC(dc));
    const tl::SelectObjectGuard select(source.get(), m_bitmap.get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, x, y, m_imageSize.cx, m_imageSize.cy, source.get(), index * m_imageSize.cx, 0, m_imageSize.cx,
                  m_imageSize.cy, blend);
}

void ImageStrip::Tile(HDC dc, const RECT& area) const noexcept
{
    if (!m_bitmap) {
        return;
    }
    const tl::unique_hdc source(CreateCompatibleDC(dc));
    const tl::SelectObjectGuard select(source.get(), m_bitmap.get());
    for (LONG y = area.top; y < area.bottom; y += m_imageSize.cy) {
        for (LONG x = area.left; x < area.right; x += m_imageSize.cx) {
            BitBlt(dc, x, y, std::min(m_imageSize.cx, area.right - x), std::min(m_imageSize.cy, area.bottom - y),
                   source.get(), 0, 0, SRCCOPY);
        }
    }
}

void ImageStrip::Stretch(HDC dc, const RECT& area) const noexcept
{
    if (!m_bitmap) {
        return;
    }
    const tl::unique_hdc source(CreateCompatibleDC(dc));
    const tl::SelectObjectGuard select(source.get(), m_bitmap.get());
    if (area.right - area.left == m_imageSize.cx && area.bottom - area.top == m_imageSize.cy) {
        BitBlt(dc, area.left, area.top, m_imageSize.cx, m_imageSize.cy, source.get(), 0, 0, SRCCOPY);
        return;
    }
    const int previousMode = SetStretchBltMode(dc, HALFTONE);
    POINT previousOrigin{};
    SetBrushOrgEx(dc, 0, 0, &previousOrigin);
    StretchBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, source.get(), 0, 0,
               m_imageSize.cx, m_imageSize.cy, SRCCOPY);
    SetBrushOrgEx(dc, previousOrigin.x, previousOrigin.y, nullptr);
    SetStretchBltMode(dc, previousMode);
}

} // namespace ui
