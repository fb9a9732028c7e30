#pragma once

#include "network/Person.h"

#include <QWidget>
#include <optional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;
struct NetworkContext;

// The sheet that adds a person (person absent) or edits one, over a dimmed
// page: name, company, location, note and profile link, a button that pastes
// the link from the clipboard, and "Autofill", which reads the name and
// company from the link's page in the background and fills the fields still
// empty. "Cancel" (Escape) closes it; "Add" or "Save" (Return) stores the
// person, only while the name is more than spaces. It deletes itself when
// closed.
class PersonSheet : public QWidget {
    Q_OBJECT
public:
    PersonSheet(NetworkContext& context, std::optional<Person> person, QWidget* parent);

    // Shows the sheet over its parent; when adding, a profile link on the
    // clipboard fills the link field.
    void open();

    QLineEdit* nameField() const { return name; }
    QLineEdit* companyField() const { return company; }
    QLineEdit* locationField() const { return location; }
    QLineEdit* noteField() const { return note; }
    QLineEdit* linkField() const { return link; }
    QToolButton* pasteButton() const { return paste; }
    QPushButton* autofillButton() const { return autofill; }
    QProgressBar* progress() const { return busy; }
    QPushButton* saveButton() const { return save; }
    QPushButton* cancelButton() const { return cancel; }
    QWidget* panel() const { return sheet; }
    bool isFetching() const { return fetching; }

    static constexpr int sheetWidth = 380;

    // True when text, trimmed and lower-cased, is a link of one of the
    // profile sites (LinkedIn, X, Twitter, Instagram) without a space.
    static bool looksLikeProfileLink(const QString& text);

Q_SIGNALS:
    // The sheet closed, saved or not.
    void closedSheet();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void close();
    void updateButtons();
    void pasteLink();
    void startAutofill();
    void saveAndClose();

    NetworkContext& context;
    std::optional<Person> person;
    bool fetching = false;
    bool closing = false;
    QWidget* sheet;
    QLineEdit* name;
    QLineEdit* company;
    QLineEdit* location;
    QLineEdit* note;
    QLineEdit* link;
    QToolButton* paste;
    QPushButton* autofill;
    QProgressBar* busy;
    QPushButton* save;
    QPushButton* cancel;
};
