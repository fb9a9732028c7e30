#pragma once

#include "organise/Categorizer.h"
#include "platform/memory/MemoryClock.h"
#include "store/Store.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// A store in a temporary data folder with a clock the test moves and a
// categorizer without a sentence model.
class StoreFixture : public ::testing::Test {
protected:
    std::unique_ptr<Store> openStore(std::shared_ptr<ContentEnricher> enricher = nullptr,
                                     bool readOnly = false) {
        Store::Options options;
        options.applicationSupport = support.path();
        options.clock = &clock;
        options.categorizer = &categorizer;
        options.enricher = std::move(enricher);
        options.readOnly = readOnly;
        options.lockTimeoutMs = 200;
        return Store::open(options);
    }

    QString lumavex() const { return support.path() + QStringLiteral("/Lumavex"); }

    QTemporaryDir support;
    MemoryClock clock;
    Categorizer categorizer{[] { return std::unique_ptr<SentenceEmbedding>(); }};
};
