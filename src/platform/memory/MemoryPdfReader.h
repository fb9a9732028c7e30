#pragma once

#include "platform/PdfReader.h"

#include <QHash>
#include <mutex>

// Documents the test describes by path: their text and first page.
class MemoryPdfReader final : public PdfReader {
public:
    std::optional<QString> text(const QString& path, qsizetype) override {
        const std::lock_guard guard(lock);
        const auto found = texts.constFind(path);
        if (found == texts.constEnd())
            return std::nullopt;
        return *found;
    }

    std::optional<QImage> firstPage(const QString& path, QSize maxSize) override {
        const std::lock_guard guard(lock);
        const auto found = pages.constFind(path);
        if (found == pages.constEnd())
            return std::nullopt;
        return found->scaled(maxSize, Qt::KeepAspectRatio);
    }

    void add(const QString& path, const QString& text, const QImage& page = {}) {
        const std::lock_guard guard(lock);
        texts.insert(path, text);
        if (!page.isNull())
            pages.insert(path, page);
    }

private:
    std::mutex lock;
    QHash<QString, QString> texts;
    QHash<QString, QImage> pages;
};
