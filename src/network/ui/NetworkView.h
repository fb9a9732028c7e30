#pragma once

#include "network/Person.h"

#include <QPointer>
#include <QUuid>
#include <QWidget>
#include <optional>

class NetworkCanvas;
class PersonCard;
class PersonSheet;
class QPushButton;
class QScrollArea;
class QVariantAnimation;
struct NetworkContext;

// The people page: the map in a scroll area that scrolls both ways and keeps
// the canvas centred, or the empty state when there are no people; the card
// of the selected person at the bottom left; "Add person" at the top right;
// and the sheet that adds or edits a person. It redraws whenever the store's
// people change, so avatars and logos appear as they arrive.
class NetworkView : public QWidget {
    Q_OBJECT
public:
    explicit NetworkView(NetworkContext& context, QWidget* parent = nullptr);

    const std::optional<QUuid>& selected() const { return selectedId; }
    // Clicking a person: selects them, or unselects them when selected.
    void toggleSelection(const QUuid& id);
    void openAddSheet();
    void openEditSheet(const Person& person);

    NetworkCanvas* canvas() const { return map; }
    QScrollArea* scrollArea() const { return scroll; }
    PersonCard* card() const { return detail; }
    QWidget* emptyState() const { return empty; }
    QPushButton* addButton() const { return add; }
    // The open sheet, if any.
    PersonSheet* sheet() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    void placeOverlays();
    void showCard();
    void hideCard();
    void presentSheet(std::optional<Person> person);
    QWidget* makeEmptyState();

    NetworkContext& context;
    std::optional<QUuid> selectedId;
    NetworkCanvas* map;
    QScrollArea* scroll;
    QWidget* empty;
    PersonCard* detail;
    QPushButton* add;
    QPointer<PersonSheet> openSheet;
    QVariantAnimation* cardMotion;
};
