#include "capture/ClipContent.h"

#include "common/Graphemes.h"
#include "organise/Categorizer.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

ClipContent ClipContent::fromClipboard(const QList<QUrl>& fileURLs,
                                       const std::optional<QString>& plainText,
                                       const std::optional<QImage>& image) {
    ClipContent clip;
    for (const QUrl& url : fileURLs) {
        if (url.isLocalFile())
            clip.fileURLs.append(url);
    }
    if (plainText) {
        const QString trimmed = plainText->trimmed();
        const QUrl url(trimmed, QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        if (url.isValid() && (scheme == u"http"_s || scheme == u"https"_s) &&
            !trimmed.contains(u' ')) {
            clip.url = url;
            return clip;
        }
        if (!trimmed.isEmpty())
            clip.string = trimmed;
    }
    if (image && !image->isNull())
        clip.image = image;
    return clip;
}

bool ClipContent::isEmpty() const {
    return fileURLs.isEmpty() && !image && !url && (!string || string->isEmpty());
}

QString ClipContent::previewTitle() const {
    if (fileURLs.size() == 1) {
        // A folder's address often ends in "/", which leaves QUrl no file
        // name: the folder is named by its last component, as the store does.
        const QString path = QDir::cleanPath(fileURLs.first().toLocalFile());
        const QString name = QFileInfo(path).fileName();
        return name.isEmpty() ? path : name;
    }
    if (fileURLs.size() > 1)
        return QString::number(fileURLs.size()) + u" files"_s;
    if (image)
        return u"Image"_s;
    if (url)
        return hostOrAbsoluteString(*url);
    if (!string)
        return u"Clipboard"_s;
    const QString trimmed = string->trimmed();
    if (Graphemes::hasAtLeast(trimmed, previewTitleLength + 1))
        return Graphemes::prefix(trimmed, previewTitleLength) + u"…"_s;
    return trimmed;
}

QString ClipContent::kindLabel() const {
    if (!fileURLs.isEmpty())
        return u"File"_s;
    if (image)
        return u"Image"_s;
    if (url)
        return u"Link"_s;
    return u"Text"_s;
}

QString ClipContent::symbolName() const {
    if (!fileURLs.isEmpty())
        return u"doc.fill"_s;
    if (image)
        return u"photo.fill"_s;
    if (url)
        return u"link"_s;
    return u"text.alignleft"_s;
}

std::optional<QString> ClipContent::predictedTag(const Categorizer& categorizer) const {
    if (!fileURLs.isEmpty() || image)
        return std::nullopt;
    if (url) {
        // A link without a host has nothing to go on but its address.
        return categorizer.categorize(url->host(), std::nullopt, url->toString(QUrl::FullyEncoded));
    }
    if (!string)
        return std::nullopt;
    const QString trimmed = string->trimmed();
    return categorizer.categorize(Graphemes::prefix(trimmed, predictedTitleLength), trimmed,
                                  std::nullopt);
}

std::optional<QString> ClipContent::predictedTag() const {
    return predictedTag(Categorizer::shared());
}
