#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

// Decoding, shrinking and encoding of images that come from outside: web
// previews and icons, pasted images, stored files. Decoding is bounded so a
// hostile header or a decompression bomb is refused before it costs memory.
namespace ImageData {

// Images with more pixels than this are refused before decoding (about
// 160 MB as 32-bit pixels).
inline constexpr qint64 maxPixels = 40'000'000;

// Decodes bytes of any format Qt reads (first frame only). When fitInto is
// given and the format can decode at reduced size, a large source is decoded
// at no less than twice that size, for downscale to finish with good quality.
// Absent when the data is not an image, is truncated or damaged, or declares
// more than maxPixels.
std::optional<QImage> decode(const QByteArray& bytes, std::optional<int> fitInto = std::nullopt);

// The same for a file on disk.
std::optional<QImage> load(const QString& path, std::optional<int> fitInto = std::nullopt);

// The image scaled with smooth interpolation so that its longer side is
// maxDimension; unchanged when that side is not longer (or is 0).
QImage downscale(const QImage& image, int maxDimension);

// The image as PNG bytes, without text chunks; absent for a null image.
std::optional<QByteArray> pngData(const QImage& image);

} // namespace ImageData
