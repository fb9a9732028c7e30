#pragma once

#include "platform/HttpClient.h"
#include "platform/PdfReader.h"
#include "platform/TextRecognizer.h"
#include "platform/linux/ContentReadersModule.h"

#include <QString>
#include <QStringList>
#include <mutex>

// The HTTP client, text recognizer and PDF reader of the content readers
// module (ContentReadersModule.h), which is loaded the first time one of them
// is used. When it cannot be loaded, each says so: a fetch fails with the
// reason, recognition finds no lines, a document cannot be opened.
//
// Threads: every reader may be used from any thread, the first use loading
// the module once for all; stopAll() may come at any time, also before.
class LazyContentReaders {
public:
    // resolve: the HTTP client's TOVIK_RESOLVE entries. modulePath: the
    // module to load; empty for the one beside this executable (where the
    // build and the installation put it) or, failing that, the one this
    // build made.
    explicit LazyContentReaders(QStringList resolve, QString modulePath = {});
    ~LazyContentReaders();
    LazyContentReaders(const LazyContentReaders&) = delete;
    LazyContentReaders& operator=(const LazyContentReaders&) = delete;

    HttpClient& httpClient() { return http; }
    TextRecognizer& textRecognizer() { return text; }
    PdfReader& pdfReader() { return pdf; }

    // Loads the module if that was not tried yet, and says why it could not
    // be loaded; empty when it was.
    QString loadFailure();

private:
    // The module's readers, loaded on the first call; null when loading failed.
    ContentReadersModule::Readers* readers();
    void load();

    class Http final : public HttpClient {
    public:
        explicit Http(LazyContentReaders& owner) : owner(owner) {}
        std::optional<QByteArray> fetchData(const QUrl& url, qint64 maxBytes,
                                            std::chrono::seconds timeout,
                                            QString* failure = nullptr) override;
        void stopAll() override;

    private:
        LazyContentReaders& owner;
    };
    class Text final : public TextRecognizer {
    public:
        explicit Text(LazyContentReaders& owner) : owner(owner) {}
        QStringList recognizeLines(const QImage& image, Level level) override;

    private:
        LazyContentReaders& owner;
    };
    class Pdf final : public PdfReader {
    public:
        explicit Pdf(LazyContentReaders& owner) : owner(owner) {}
        std::optional<QString> text(const QString& path, qsizetype enoughCharacters) override;
        std::optional<QImage> firstPage(const QString& path, QSize maxSize) override;

    private:
        LazyContentReaders& owner;
    };

    const QStringList resolve;
    const QString modulePath;
    std::once_flag loading;
    ContentReadersModule::Readers loaded; // written once, inside `loading`
    QString failure;                      // likewise
    // Guards stopping against a load finishing: a stop that comes first is
    // passed on to the client the load makes.
    std::mutex stopping;
    bool stopped = false;
    bool httpReady = false;
    Http http{*this};
    Text text{*this};
    Pdf pdf{*this};
};
