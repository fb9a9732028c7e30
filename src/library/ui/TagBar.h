#pragma once

#include "organise/LibraryState.h"

#include <QList>
#include <QWidget>
#include <optional>

class QGraphicsOpacityEffect;
class QHBoxLayout;
class QLabel;
class QPropertyAnimation;
class QPushButton;
class QScrollArea;
class TagChip;

// The row of tag chips over the grid ("All", one per tag, "Untagged") with
// their counts, and the fading note of the last auto-sort at its end.
class TagBar : public QWidget {
    Q_OBJECT
public:
    explicit TagBar(QWidget* parent = nullptr);

    // Rebuilds the chips when they changed; marks the selected one.
    void setChips(int allCount, const QList<TagCount>& tags, int untaggedCount,
                  const std::optional<QString>& selected);
    void setSortNote(const std::optional<QString>& note);

    QList<TagChip*> chips() const { return chipButtons; }
    QLabel* sortNoteLabel() const { return noteLabel; }

Q_SIGNALS:
    // Absent for "All", a tag name, or the untagged marker.
    void chipChosen(const std::optional<QString>& tagFilter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void takeColours();
    TagChip* makeChip(const QString& name, int count, std::optional<QString> filter);

    QScrollArea* scroll;
    QWidget* row;
    QHBoxLayout* rowLayout;
    QList<TagChip*> chipButtons;
    QList<std::optional<QString>> chipFilters;
    QLabel* noteLabel;
    QGraphicsOpacityEffect* noteOpacity;
    QPropertyAnimation* noteFade;
    // What the chips were built from, to skip rebuilding on every keystroke.
    struct Built {
        int allCount = -1;
        QList<TagCount> tags;
        int untaggedCount = -1;
        bool operator==(const Built&) const = default;
    } built;
    std::optional<QString> selection;
};
