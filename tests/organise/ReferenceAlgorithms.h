#pragma once

// The library's search, topics and grid computed the direct way: every field
// lower-cased on every call, every two items compared. Slow, and written to
// be obviously right; the fast implementations must answer exactly the same.

#include "organise/GridEntry.h"
#include "organise/LibraryFilter.h"
#include "organise/LibraryGrouping.h"
#include "organise/LibraryState.h"
#include "organise/TopicClusterer.h"
#include "store/Item.h"

#include <QList>
#include <QSet>
#include <QString>
#include <optional>

namespace Reference {

QList<Item> search(const QList<Item>& items, const QString& query);

QSet<QString> keywords(const Item& item);
QList<TopicCluster> clusters(const QList<Item>& items);

struct View {
    LibraryFilter filter = LibraryFilter::all;
    QString query;
    std::optional<QString> tagFilter;
    LibraryGrouping grouping = LibraryGrouping::topics;
};

QList<Item> filtered(const QList<Item>& items, const View& view);
QList<TagCount> tagCounts(const QList<Item>& items, const View& view);
int untaggedCount(const QList<Item>& items, const View& view);
QList<TopicCluster> topicClusters(const QList<Item>& items, const View& view);
QList<GridEntry> entries(const QList<Item>& items, const View& view);

} // namespace Reference
