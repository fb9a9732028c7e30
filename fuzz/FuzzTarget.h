#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The body of every fuzz target: run a check, stop loudly when it fails so
// libFuzzer keeps the input.
template <typename Check> int fuzzOne(const uint8_t* data, size_t size, Check check) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString problem = check(bytes);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", problem.left(2000).toLocal8Bit().constData());
        std::abort();
    }
    return 0;
}
