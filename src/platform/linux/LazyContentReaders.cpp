#include "platform/linux/LazyContentReaders.h"

#include <QFileInfo>
#include <QLibrary>
#include <QtDebug>

using namespace Qt::StringLiterals;

LazyContentReaders::LazyContentReaders(QStringList resolve, QString modulePath)
    : resolve(std::move(resolve)), modulePath(std::move(modulePath)) {}

LazyContentReaders::~LazyContentReaders() = default;

QString LazyContentReaders::loadFailure() {
    readers();
    return failure;
}

ContentReadersModule::Readers* LazyContentReaders::readers() {
    std::call_once(loading, [this] { load(); });
    return failure.isEmpty() ? &loaded : nullptr;
}

void LazyContentReaders::load() {
    QString path = modulePath;
    if (path.isEmpty()) {
        path = QFileInfo(u"/proc/self/exe"_s).canonicalPath() + u'/' +
               QLatin1StringView(ContentReadersModule::fileName);
        if (!QFileInfo::exists(path))
            path = QStringLiteral(TOVIK_CONTENT_READERS_BUILT);
    }
    // Never unloaded: the readers' code must outlive every reader and thread.
    QLibrary library(path);
    const auto make = reinterpret_cast<ContentReadersModule::MakeReaders>(
        library.resolve(ContentReadersModule::entryPoint));
    if (make == nullptr) {
        failure = u"the content readers could not be loaded: "_s + library.errorString();
    } else if (!make(TOVIK_VERSION, resolve, loaded)) {
        failure = u"the content readers at "_s + path + u" belong to another version"_s;
    }
    if (!failure.isEmpty()) {
        qWarning().noquote() << failure;
        return;
    }
    const std::lock_guard lock(stopping);
    httpReady = true;
    if (stopped)
        loaded.http->stopAll();
}

std::optional<QByteArray> LazyContentReaders::Http::fetchData(const QUrl& url, qint64 maxBytes,
                                                              std::chrono::seconds timeout,
                                                              QString* failure) {
    {
        // After a stop, a first fetch has no reason to load the module.
        const std::lock_guard lock(owner.stopping);
        if (owner.stopped && !owner.httpReady) {
            if (failure)
                *failure = u"stopped"_s;
            return std::nullopt;
        }
    }
    ContentReadersModule::Readers* readers = owner.readers();
    if (readers == nullptr) {
        if (failure)
            *failure = owner.failure;
        return std::nullopt;
    }
    return readers->http->fetchData(url, maxBytes, timeout, failure);
}

void LazyContentReaders::Http::stopAll() {
    const std::lock_guard lock(owner.stopping);
    owner.stopped = true;
    if (owner.httpReady)
        owner.loaded.http->stopAll();
}

QStringList LazyContentReaders::Text::recognizeLines(const QImage& image, Level level) {
    ContentReadersModule::Readers* readers = owner.readers();
    return readers != nullptr ? readers->text->recognizeLines(image, level) : QStringList();
}

std::optional<QString> LazyContentReaders::Pdf::text(const QString& path,
                                                     qsizetype enoughCharacters) {
    ContentReadersModule::Readers* readers = owner.readers();
    return readers != nullptr ? readers->pdf->text(path, enoughCharacters) : std::nullopt;
}

std::optional<QImage> LazyContentReaders::Pdf::firstPage(const QString& path, QSize maxSize) {
    ContentReadersModule::Readers* readers = owner.readers();
    return readers != nullptr ? readers->pdf->firstPage(path, maxSize) : std::nullopt;
}
