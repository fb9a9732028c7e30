#include "store/StoredFile.h"

#include "store/ImageData.h"
#include "store/Item.h"

#include <QDir>
#include <QFile>
#include <QUuid>

QString StoredFile::freshName(const QString& suffix) {
    return idString(QUuid::createUuid()) + suffix;
}

std::optional<QString> StoredFile::write(const QString& filesDir, const QString& suffix,
                                         const QByteArray& bytes) {
    const QString name = freshName(suffix);
    QFile file(QDir(filesDir).filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return std::nullopt;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.remove();
        return std::nullopt;
    }
    return name;
}

std::optional<QString> StoredFile::writePng(const QString& filesDir, const QString& suffix,
                                            const QImage& image) {
    const std::optional<QByteArray> png = ImageData::pngData(image);
    if (!png)
        return std::nullopt;
    return write(filesDir, suffix, *png);
}
