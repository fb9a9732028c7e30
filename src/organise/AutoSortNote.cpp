#include "organise/AutoSortNote.h"

<<<<<<< HEAD
#include "platform/Scheduler.h"

#include <algorithm>

using namespace Qt::StringLiterals;

AutoSortNote::AutoSortNote(Scheduler& scheduler, QObject* parent)
    : QObject(parent), scheduler(scheduler) {}

QString AutoSortNote::text(int analysed, int autoSorted, int keptTags) {
    QString note = u"Analysed %1 items · %2 auto-sorted"_s.arg(analysed).arg(autoSorted);
    if (keptTags > 0)
        note += u" · %1 kept your tags"_s.arg(keptTags);
    return note;
}

void AutoSortNote::show(const QList<Item>& items, int sorted) {
    const int keptTags = int(std::count_if(items.begin(), items.end(),
                                           [](const Item& item) { return item.tags.has_value(); }));
    current = text(int(items.size()), sorted, keptTags);
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
=======
using namespace Qt::StringLiterals;

QString autoSortNote(qsizetype analysed, qsizetype sorted, qsizetype keptTags) {
    QString note = u"Analysed "_s + QString::number(analysed) + u" items · "_s +
                   QString::number(sorted) + u" auto-sorted"_s;
    if (keptTags > 0)
        note += u" · "_s + QString::number(keptTags) + u" kept your tags"_s;
    return note;
}
>>>>>>> main
