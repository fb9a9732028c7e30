#pragma once

#include "store/Item.h"

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

class Scheduler;

// The note shown after "Auto-sort Everything": "Analysed N items · M
// auto-sorted", with " · K kept your tags" when some items keep their own tags.
QString autoSortNote(qsizetype analysed, qsizetype sorted, qsizetype keptTags);

// The status note after "Auto-sort Everything": how many items were analysed,
// how many ended with a category, and how many kept the user's own tags. It
// shows for three seconds; a newer note replaces it and gets its own three
// seconds.
class AutoSortNote : public QObject {
    Q_OBJECT
public:
    explicit AutoSortNote(Scheduler& scheduler, QObject* parent = nullptr);

    // Shows the note for a pass over items (the store's list after it) in
    // which sorted items ended with a category.
    void show(const QList<Item>& items, int sorted);

    // The note shown, if any.
    std::optional<QString> note() const { return current; }

    static constexpr int visibleMs = 3000;
    // Ease-out durations for the view's fade in and out.
    static constexpr int fadeInMs = 150;
    static constexpr int fadeOutMs = 250;

Q_SIGNALS:
    void changed();

private:
    Scheduler& scheduler;
    std::optional<QString> current;
    quint64 shown = 0; // notes shown so far; tells a timer whether its note was replaced
};
