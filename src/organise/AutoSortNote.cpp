#include "organise/AutoSortNote.h"

#include "platform/Scheduler.h"

#include <algorithm>

using namespace Qt::StringLiterals;

AutoSortNote::AutoSortNote(Scheduler& scheduler, QObject* parent)
    : QObject(parent), scheduler(scheduler) {}

QString autoSortNote(qsizetype analysed, qsizetype sorted, qsizetype keptTags) {
    QString note = u"Analysed "_s + QString::number(analysed) + u" items · "_s +
                   QString::number(sorted) + u" auto-sorted"_s;
    if (keptTags > 0)
        note += u" · "_s + QString::number(keptTags) + u" kept your tags"_s;
    return note;
}

void AutoSortNote::show(const QList<Item>& items, int sorted) {
    const int keptTags = int(std::count_if(items.begin(), items.end(),
                                           [](const Item& item) { return item.tags.has_value(); }));
    current = autoSortNote(items.size(), sorted, keptTags);
    const quint64 note = ++shown;
    Q_EMIT changed();
    // Only this note goes: one shown since (even with the same words) keeps its
    // own full three seconds.
    scheduler.singleShot(visibleMs, this, [this, note] {
        if (note != shown || !current)
            return;
        current.reset();
        Q_EMIT changed();
    });
}
