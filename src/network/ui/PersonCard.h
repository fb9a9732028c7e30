#pragma once

#include "network/Person.h"

#include <QWidget>

class QLabel;
class QToolButton;
class QVBoxLayout;
struct NetworkContext;

// The card of the selected person, at the bottom left of the map: avatar,
// name, buttons to open the profile link, edit, delete and close, then the
// company, location and note that are not empty.
class PersonCard : public QWidget {
    Q_OBJECT
public:
    PersonCard(NetworkContext& context, QWidget* parent = nullptr);

    // Shows this person's details.
    void showPerson(const Person& person);
    const Person& person() const { return shown; }

    QToolButton* openLinkButton() const { return openLink; }
    QToolButton* editButton() const { return edit; }
    QToolButton* deleteButton() const { return remove; }
    QToolButton* closeButton() const { return dismiss; }
    QLabel* nameLabel() const { return name; }

    static constexpr int cardWidth = 250;

Q_SIGNALS:
    void editRequested(const Person& person);
    void deleteRequested(const Person& person);
    void closeRequested();

private:
    void openProfile();
    QWidget* detailRow(const QString& symbol, const QString& text);

    NetworkContext& context;
    Person shown;
    QLabel* avatar;
    QLabel* name;
    QToolButton* openLink;
    QToolButton* edit;
    QToolButton* remove;
    QToolButton* dismiss;
    QWidget* details;
    QVBoxLayout* detailLayout;
};
