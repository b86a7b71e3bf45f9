#include "ui/ImageStrip.h"

#include <algorithm>
#include <cstdint>

namespace {

// The resource's header, which the pixels follow; only uncompressed bottom-up 24- and
// 32-bit bitmaps without a colour table, the kinds that tools/make_skin.py writes.
const BITMAPINFOHEADER* BitmapResource(int resourceId) noexcept
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(resourceId), RT_BITMAP);
    const HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const auto* header = static_cast<const BITMAPINFOHEADER*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (header == nullptr || SizeofResource(module, resource) < sizeof(BITMAPINFOHEADER) ||
        header->biCompression != BI_RGB || (header->biBitCount != 24 && header->biBitCount != 32) ||
        header->biClrUsed != 0 || header->biWidth <= 0 || header->biHeight <= 0) {
        return nullptr;
    }
    const DWORD stride = (static_cast<DWORD>(header->biWidth) * header->biBitCount + 31) / 32 * 4;
    if (SizeofResource(module, resource) < header->biSize + stride * static_cast<DWORD>(header->biHeight)) {
        return nullptr;
    }
    return header;
}

} // namespace

ImageStrip::ImageStrip(int resourceId, int imageCount) noexcept : m_imageCount(imageCount)
{
    const BITMAPINFOHEADER* header = BitmapResource(resourceId);
    if (header == nullptr || imageCount <= 0) {
        return;
    }
    const LONG width = header->biWidth;
    const LONG height = header->biHeight;
    const int bytesPerPixel = header->biBitCount / 8;
    const DWORD stride = (static_cast<DWORD>(width) * header->biBitCount + 31) / 32 * 4;
    const auto* source = reinterpret_cast<const std::uint8_t*>(header) + header->biSize;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!m_bitmap) {
        return;
    }
    auto* target = static_cast<std::uint8_t*>(bits);
    for (LONG row = 0; row < height; ++row) {
        const std::uint8_t* in = source + static_cast<DWORD>(height - 1 - row) * stride;
        for (LONG column = 0; column < width; ++column, in += bytesPerPixel, target += 4) {
            const unsigned alpha = bytesPerPixel == 4 ? in[3] : 255;
            for (int channel = 0; channel < 3; ++channel) {
                target[channel] = static_cast<std::uint8_t>((in[channel] * alpha + 127) / 255);
            }
            target[3] = static_cast<std::uint8_t>(alpha);
        }
    }
    m_imageSize = {width / imageCount, height};
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
