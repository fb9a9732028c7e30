#pragma once

#include "platform/Pasteboard.h"

#include <QObject>
#include <memory>

// The desktop's CLIPBOARD selection through QClipboard. The change count is
// raised on every owner change Qt reports; it starts counting on first use,
// which must come after the QGuiApplication exists.
class QtPasteboard final : public Pasteboard {
public:
    QtPasteboard();
    ~QtPasteboard() override;

    int changeCount() const override;
    QStringList types() const override;
    QByteArray data(const QString& type) const override;
    QList<QUrl> fileURLs() const override;
    std::optional<QString> plainText() const override;
    std::optional<QImage> image() const override;
    void write(QMimeData* data) override;

private:
    void observe() const;

    mutable std::unique_ptr<QObject> observer;
    mutable int count = 0;
};
