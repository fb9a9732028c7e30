#pragma once

#include "store/Item.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <array>
#include <atomic>
#include <optional>
#include <vector>

// One topic: a label and its items, in the order they were given.
struct TopicCluster {
    QString label;
    QList<Item> items;

    bool operator==(const TopicCluster&) const = default;
};

// Groups items into labelled topics. Each item is reduced to at most eight
// keywords from its title (weight 3) and the start of its text (weight 1);
// items sharing two or more keywords are linked, linked items form one topic
// (transitively), and each topic of two or more items is labelled with the
// keyword most of its members share.
//
// The answer depends only on the items. An instance keeps each item's keywords
// until its title or text changes, and finds linked items through the pairs of
// keywords they share rather than by comparing every two items. Not
// thread-safe: one instance per thread (it reads many new items on every core
// by itself).
class TopicClusterer {
public:
    // A cluster as positions in the list given to clusterPositions.
    struct Positions {
        QString label;
        QList<qsizetype> positions;

        bool operator==(const Positions&) const = default;
    };

    // The clusters of items, largest first; clusters of equal size in the order
    // of their first member. A label already given gets " ·" appended until it
    // is unique.
    QList<TopicCluster> clusters(const QList<Item>& items);
    QList<Positions> clusterPositions(const QList<Item>& items);

    // Up to eight keywords of item.
    static QSet<QString> keywords(const Item& item);

    // Keywords read away from an instance (readKeywords), with the title and
    // text they were read from.
    struct ReadKeywords {
        QUuid id;
        QString title;
        std::optional<QString> text;
        QStringList words;
    };
    // Reads the keywords of items, stopping early (with what it has) once
    // stop is set. Touches no instance: safe on any thread.
    static std::vector<ReadKeywords> readKeywords(const QList<Item>& items,
                                                  const std::atomic<bool>& stop);
    // Keeps keywords read elsewhere as if this instance had read them. An
    // item whose title or text is no longer the one read is read again when
    // next clustered, so a read that took its time answers nothing stale.
    void adopt(const std::vector<ReadKeywords>& read);
    // How many of items the next clustering would have to read.
    qsizetype unreadCount(const QList<Item>& items) const;

    // The words never used as keywords.
    static QStringList stopWords();

    static constexpr int titleWeight = 3;
    static constexpr int textWeight = 1;
    static constexpr int textCut = 1500; // characters of the text that are read
    static constexpr int minimumWordLength = 3;
    static constexpr int keywordsPerItem = 8;
    static constexpr int sharedKeywordsToLink = 2;
    static constexpr int minimumClusterSize = 2;
    static constexpr int minimumLabelCount = 2;

private:
    // An item's keywords as vocabulary ids, ascending, with the title and text
    // they were read from.
    struct KeywordSet {
        std::array<int, keywordsPerItem> ids{};
        int count = 0;
    };
    struct CachedKeywords {
        QString title;
        std::optional<QString> text;
        KeywordSet set;
        quint64 lastUse = 0;
    };

    std::vector<KeywordSet> keywordSetsOf(const QList<Item>& items);
    int idOf(const QString& word);
    void linkItemsSharingPairs(const std::vector<KeywordSet>& sets);
    int find(int index);
    QString labelOf(const QList<qsizetype>& positions, const std::vector<KeywordSet>& sets);

    QHash<QUuid, CachedKeywords> cache;
    quint64 generation = 0;
    QStringList vocabulary;
    QHash<QString, int> vocabularyIds;

    // Working memory kept between calls.
    std::vector<int> parent;
    std::vector<int> componentSize;
    std::vector<quint64> pairKeys;
    std::vector<int> pairFirstItem;
    std::vector<int> keywordCounts;
};
