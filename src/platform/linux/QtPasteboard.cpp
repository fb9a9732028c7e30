#include "platform/linux/QtPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {
const QMimeData* currentMimeData() {
    QClipboard* clipboard = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::clipboard()
                                : nullptr;
    return clipboard ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
}
} // namespace

QtPasteboard::QtPasteboard() = default;
QtPasteboard::~QtPasteboard() = default;

void QtPasteboard::observe() const {
    if (observer || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    observer = std::make_unique<QObject>();
    // dataChanged is only emitted for the CLIPBOARD selection, which is the
    // one Ctrl+C writes; the primary selection changes with every text
    // selection and is not a copy.
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, observer.get(),
                     [this] { ++count; });
}

int QtPasteboard::changeCount() const {
    observe();
    return count;
}

QStringList QtPasteboard::types() const {
    const QMimeData* mime = currentMimeData();
    return mime ? mime->formats() : QStringList();
}

QByteArray QtPasteboard::data(const QString& type) const {
    const QMimeData* mime = currentMimeData();
    return mime ? mime->data(type) : QByteArray();
}

QList<QUrl> QtPasteboard::fileURLs() const {
    const QMimeData* mime = currentMimeData();
    if (!mime || !mime->hasUrls())
        return {};
    QList<QUrl> files;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile())
            files.append(url);
    }
    return files;
}

std::optional<QString> QtPasteboard::plainText() const {
    const QMimeData* mime = currentMimeData();
    if (!mime || !mime->hasText())
        return std::nullopt;
    return mime->text();
}

std::optional<QImage> QtPasteboard::image() const {
    const QMimeData* mime = currentMimeData();
    if (!mime || !mime->hasImage())
        return std::nullopt;
    const QImage image = qvariant_cast<QImage>(mime->imageData());
    if (image.isNull())
        return std::nullopt;
    return image;
}

void QtPasteboard::write(QMimeData* data) {
    observe();
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        delete data;
        return;
    }
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
}
