#include "capture/NotchDrop.h"

#include "capture/AppState.h"
#include "capture/KeepPipeline.h"
#include "store/Store.h"

#include <QMimeData>

using namespace Qt::StringLiterals;

namespace NotchDrop {

QStringList acceptedTypes() {
    return {u"text/uri-list"_s,
            u"image/png"_s,
            u"image/jpeg"_s,
            u"image/gif"_s,
            u"image/bmp"_s,
            u"image/webp"_s,
            u"image/tiff"_s,
            u"application/x-qt-image"_s,
            u"text/plain;charset=utf-8"_s,
            u"text/plain"_s};
}

bool carriesAcceptedType(const QMimeData& data) {
    if (data.hasUrls() || data.hasImage() || data.hasText())
        return true;
    for (const QString& format : data.formats()) {
        if (format.startsWith(u"image/"_s))
            return true;
    }
    return false;
}

namespace {
std::optional<QImage> imageOf(const QMimeData& data) {
    if (data.hasImage()) {
        const QImage image = qvariant_cast<QImage>(data.imageData());
        if (!image.isNull())
            return image;
    }
    for (const QString& format : data.formats()) {
        if (!format.startsWith(u"image/"_s))
            continue;
        QImage image;
        if (image.loadFromData(data.data(format)))
            return image;
    }
    return std::nullopt;
}
} // namespace

DroppedContent read(const QMimeData& data) {
    DroppedContent content;
    if (data.hasUrls()) {
        for (const QUrl& url : data.urls()) {
            if (url.isLocalFile())
                content.files.append(url);
            else if (url.isValid() && !url.scheme().isEmpty())
                content.url = url;
        }
        if (!content.files.isEmpty() || content.url)
            return content;
    }
    if (std::optional<QImage> image = imageOf(data)) {
        content.image = image;
        return content;
    }
    if (data.hasFormat(u"text/plain;charset=utf-8"_s))
        content.text = QString::fromUtf8(data.data(u"text/plain;charset=utf-8"_s));
    else if (data.hasText())
        content.text = data.text();
    return content;
}

std::optional<QString> save(Store& store, const DroppedContent& content,
                            const std::optional<QString>& source) {
    // The same keep as a copy's, with the drop target's order of preference.
    ClipContent clip;
    clip.sourceApp = source;
    if (!content.files.isEmpty())
        clip.fileURLs = content.files;
    else if (content.url)
        clip.url = content.url;
    else if (content.image && !content.image->isNull())
        clip.image = content.image;
    else if (content.text && !content.text->trimmed().isEmpty())
        clip.string = content.text;
    else
        return std::nullopt;
    return AppState::resultText(KeepPipeline::save(store, clip, std::nullopt));
}

} // namespace NotchDrop
