#pragma once

#include <QWidget>

class Accessibility;
class AutoFill;
class ControlPage;
class ControlSection;
class ProfileStore;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// The autofill page: the switches, the access banner, the profile's fields
// in three sections, the learned answers and a form to add one by hand.
// Redraws from the profile store whenever it changes.
class ProfileView : public QWidget {
public:
    ProfileView(ProfileStore& profile, AutoFill& autofill, Accessibility& accessibility,
                QWidget* parent = nullptr);

    static QString refusalMessage();

    // For tests: the add form's parts and the banner.
    QLineEdit* newLabelField() const { return newLabel; }
    QLineEdit* newValueField() const { return newValue; }
    QPushButton* addButton() const { return add; }
    QLabel* problemLabel() const { return problem; }
    QWidget* accessBanner() const { return banner; }
    ControlSection* answersSection() const { return answers; }
    QLineEdit* fieldEditor(const QString& fieldId) const;
    void addField();
    void refreshAccess();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void rebuildAnswers();
    void refreshFields();
    void updateAddButton();

    ProfileStore& profile;
    AutoFill& autofill;
    Accessibility& accessibility;
    ControlPage* page;
    QWidget* banner;
    ControlSection* answers;
    QLineEdit* newLabel;
    QLineEdit* newValue;
    QLabel* problem;
    QPushButton* add;
    QTimer* accessTimer;
};
