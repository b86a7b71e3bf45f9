#include "ui/ImageStrip.h"

#include "resource.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

// The entries of an 8-bit bitmap's colour table (0 stands for all 256); none otherwise.
DWORD ColourCount(const BITMAPINFOHEADER& header) noexcept
{
    if (header.biBitCount != 8) {
        return 0;
    }
    return header.biClrUsed != 0 ? header.biClrUsed : 256;
}

// The resource's header, which the colour table and the pixels follow; only bottom-up
// bitmaps of the kinds that tools/make_artwork writes: 24- and 32-bit uncompressed without
// a colour table, 8-bit run-length encoded (RLE8) with one.
const BITMAPINFOHEADER* BitmapResource(int resourceId) noexcept
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(resourceId), RT_BITMAP);
    const HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const auto* header = static_cast<const BITMAPINFOHEADER*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (header == nullptr || SizeofResource(module, resource) < sizeof(BITMAPINFOHEADER) || header->biWidth <= 0 ||
        header->biHeight <= 0) {
        return nullptr;
    }
    const bool trueColour = (header->biBitCount == 24 || header->biBitCount == 32) && header->biClrUsed == 0 &&
                            header->biCompression == BI_RGB;
    const bool paletted = header->biBitCount == 8 && header->biClrUsed <= 256 && header->biCompression == BI_RLE8;
    if (!trueColour && !paletted) {
        return nullptr;
    }
    const DWORD stride = (static_cast<DWORD>(header->biWidth) * header->biBitCount + 31) / 32 * 4;
    const DWORD pixelBytes = paletted ? header->biSizeImage : stride * static_cast<DWORD>(header->biHeight);
    if (SizeofResource(module, resource) < header->biSize + ColourCount(*header) * sizeof(RGBQUAD) + pixelBytes) {
        return nullptr;
    }
    return header;
}

// The colour indexes of an RLE8 bitmap, one byte each, bottom row first. Pixels that the
// runs skip or that lie past a damaged run keep index 0.
std::vector<std::uint8_t> ExpandRle8(const std::uint8_t* data, DWORD size, int width, int height)
{
    std::vector<std::uint8_t> indexes(static_cast<size_t>(width) * static_cast<size_t>(height));
    int x = 0;
    int y = 0;
    const auto put = [&](std::uint8_t index) {
        if (x < width && y < height) {
            indexes[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = index;
        }
        ++x;
    };
    for (DWORD at = 0; at + 1 < size && y < height;) {
        const std::uint8_t count = data[at];
        const std::uint8_t value = data[at + 1];
        at += 2;
        if (count != 0) {
            for (int i = 0; i < count; ++i) {
                put(value);
            }
        } else if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // move right and up
            if (at + 1 >= size) {
                break;
            }
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else { // that many indexes as they are, padded to an even count
            if (at + value > size) {
                break;
            }
            for (int i = 0; i < value; ++i) {
                put(data[at + static_cast<DWORD>(i)]);
            }
            at += value + (value & 1U);
        }
    }
    return indexes;
}

// Top-down premultiplied pixels, four floats each (blue, green, red, alpha).
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<float> values;
};

Pixels Decode(const BITMAPINFOHEADER& header)
{
    Pixels pixels{header.biWidth, header.biHeight, {}};
    pixels.values.resize(static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height) * 4);
    DWORD stride = (static_cast<DWORD>(header.biWidth) * header.biBitCount + 31) / 32 * 4;
    const auto* table =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const std::uint8_t*>(&header) + header.biSize);
    const DWORD colours = ColourCount(header);
    const auto* source = reinterpret_cast<const std::uint8_t*>(table + colours);
    std::vector<std::uint8_t> expanded;
    if (header.biCompression == BI_RLE8) {
        expanded = ExpandRle8(source, header.biSizeImage, pixels.width, pixels.height);
        source = expanded.data();
        stride = static_cast<DWORD>(pixels.width);
    }
    float* target = pixels.values.data();
    for (int row = 0; row < pixels.height; ++row) {
        const std::uint8_t* in = source + static_cast<DWORD>(pixels.height - 1 - row) * stride;
        for (int column = 0; column < pixels.width; ++column, target += 4) {
            if (colours != 0) {
                // An index past the table reads as black rather than past the resource.
                const RGBQUAD colour = *in < colours ? table[*in] : RGBQUAD{};
                target[0] = colour.rgbBlue;
                target[1] = colour.rgbGreen;
                target[2] = colour.rgbRed;
                target[3] = 255.0F;
                ++in;
                continue;
            }
            const float alpha = header.biBitCount == 32 ? in[3] : 255.0F;
            for (int channel = 0; channel < 3; ++channel) {
                target[channel] = in[channel] * alpha / 255.0F;
            }
            target[3] = alpha;
            in += header.biBitCount / 8;
        }
    }
    return pixels;
}

// For each target pixel along one axis, the source pixels it covers and their shares.
std::vector<std::vector<std::pair<int, float>>> AreaWeights(int sourceLength, int targetLength)
{
    std::vector<std::vector<std::pair<int, float>>> weights(static_cast<size_t>(targetLength));
    const double ratio = static_cast<double>(sourceLength) / targetLength;
    for (int target = 0; target < targetLength; ++target) {
        const double from = target * ratio;
        const double to = (target + 1) * ratio;
        for (int source = static_cast<int>(std::floor(from)); source < std::min<double>(std::ceil(to), sourceLength);
             ++source) {
            const double share = std::min<double>(to, source + 1) - std::max<double>(from, source);
            if (share > 0) {
                weights[static_cast<size_t>(target)].emplace_back(source, static_cast<float>(share / ratio));
            }
        }
    }
    return weights;
}

// Each of the strip's images resampled on its own to the target image size.
Pixels Resample(const Pixels& source, int imageCount, SIZE target)
{
    const int sourceImageWidth = source.width / imageCount;
    const auto columns = AreaWeights(sourceImageWidth, target.cx);
    const auto rows = AreaWeights(source.height, target.cy);
    Pixels result{target.cx * imageCount, target.cy, {}};
    result.values.assign(static_cast<size_t>(result.width) * static_cast<size_t>(result.height) * 4, 0.0F);
    std::vector<float> across(static_cast<size_t>(target.cx) * static_cast<size_t>(source.height) * 4);
    for (int image = 0; image < imageCount; ++image) {
        for (int y = 0; y < source.height; ++y) {
            for (int x = 0; x < target.cx; ++x) {
                float* out = &across[(static_cast<size_t>(y) * target.cx + x) * 4];
                std::fill_n(out, 4, 0.0F);
                for (const auto& [sourceX, share] : columns[static_cast<size_t>(x)]) {
                    const float* in =
                        &source
                             .values[(static_cast<size_t>(y) * source.width + image * sourceImageWidth + sourceX) * 4];
                    for (int channel = 0; channel < 4; ++channel) {
                        out[channel] += in[channel] * share;
                    }
                }
            }
        }
        for (int y = 0; y < target.cy; ++y) {
            for (int x = 0; x < target.cx; ++x) {
                float* out = &result.values[(static_cast<size_t>(y) * result.width + image * target.cx + x) * 4];
                for (const auto& [sourceY, share] : rows[static_cast<size_t>(y)]) {
                    const float* in = &across[(static_cast<size_t>(sourceY) * target.cx + x) * 4];
                    for (int channel = 0; channel < 4; ++channel) {
                        out[channel] += in[channel] * share;
                    }
                }
            }
        }
    }
    return result;
}

// The scales the artwork is drawn at, nearest to percent first (between two, the larger:
// shrinking keeps more detail than enlarging).
std::array<std::pair<int, int>, 3> ScalesNearest(int percent) noexcept
{
    std::array<std::pair<int, int>, 3> scales{{{100, 0}, {150, IDB_SCALE_150}, {200, IDB_SCALE_200}}};
    std::stable_sort(scales.begin(), scales.end(), [percent](const auto& a, const auto& b) {
        const int distanceA = std::abs(a.first - percent);
        const int distanceB = std::abs(b.first - percent);
        return distanceA != distanceB ? distanceA < distanceB : a.first > b.first;
    });
    return scales;
}

} // namespace

ImageStrip::ImageStrip(int resourceId, int imageCount, UINT dpi) noexcept : m_imageCount(imageCount)
{
    const BITMAPINFOHEADER* design = BitmapResource(resourceId);
    if (design == nullptr || imageCount <= 0 || design->biWidth < imageCount) {
        return;
    }
    Load(resourceId, Scale(SIZE{design->biWidth / imageCount, design->biHeight}, dpi),
         static_cast<int>(dpi) * 100 / static_cast<int>(DesignDpi));
}

ImageStrip::ImageStrip(int resourceId, SIZE size) noexcept : m_imageCount(1)
{
    const BITMAPINFOHEADER* design = BitmapResource(resourceId);
    if (design == nullptr) {
        return;
    }
    if (size.cx <= 0 || size.cy <= 0) {
        return;
    }
    // The drawing nearest to the size in the direction it is enlarged most.
    const int percent = std::max(static_cast<int>(size.cx * 100LL / design->biWidth),
                                 static_cast<int>(size.cy * 100LL / design->biHeight));
    Load(resourceId, SIZE{}, percent);
}

void ImageStrip::Load(int resourceId, SIZE imageSize, int percent) noexcept
{
    const bool asDrawn = imageSize.cx == 0 && imageSize.cy == 0;
    if (!asDrawn && (imageSize.cx <= 0 || imageSize.cy <= 0)) {
        return;
    }
    const BITMAPINFOHEADER* drawn = nullptr;
    for (const auto& [scale, offset] : ScalesNearest(percent)) {
        drawn = BitmapResource(resourceId + offset);
        if (drawn != nullptr && drawn->biWidth >= m_imageCount) {
            break;
        }
    }
    if (asDrawn) {
        imageSize = {drawn->biWidth / m_imageCount, drawn->biHeight};
    }
    Pixels pixels = Decode(*drawn);
    if (pixels.width != imageSize.cx * m_imageCount || pixels.height != imageSize.cy) {
        pixels = Resample(pixels, m_imageCount, imageSize);
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!m_bitmap) {
        return;
    }
    auto* target = static_cast<std::uint8_t*>(bits);
    for (const float value : pixels.values) {
        *target++ = static_cast<std::uint8_t>(std::clamp(value + 0.5F, 0.0F, 255.0F));
    }
    m_imageSize = imageSize;
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
    const int previousMode = SetStretchBltMode(dc, HALFTONE);
    POINT previousOrigin{};
    SetBrushOrgEx(dc, 0, 0, &previousOrigin);
    StretchBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, source.get(), 0, 0,
               m_imageSize.cx, m_imageSize.cy, SRCCOPY);
    SetBrushOrgEx(dc, previousOrigin.x, previousOrigin.y, nullptr);
    SetStretchBltMode(dc, previousMode);
}
