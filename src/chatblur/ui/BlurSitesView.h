#pragma once

#include "common/ui/ControlPage.h"

class BlurSiteStore;
class ChatBlur;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The chat-blur page: the switch, one switch per site (built-ins first, then
// the user's own with a remove button) and the form that adds a site.
class BlurSitesView : public ControlPage {
    Q_OBJECT
public:
    BlurSitesView(BlurSiteStore& store, ChatBlur& chatBlur, QWidget* parent = nullptr);

    QCheckBox* blurSwitch() const { return blurOn; }
    QLineEdit* addressField() const { return address; }
    QLineEdit* patternField() const { return pattern; }
    QPushButton* addButton() const { return add; }
    // The add form's message; hidden while there is none.
    QLabel* problemLabel() const { return problem; }
    ControlSection* sitesSection() const { return sites; }
    ControlSection* addSection() const { return adding; }

    // The "Add" button's action.
    void addSite();

private:
    void rebuildSites();
    void updateEnabledState();

    BlurSiteStore& store;
    ChatBlur& chatBlur;
    QCheckBox* blurOn;
    ControlSection* sites;
    ControlSection* adding;
    QLineEdit* address;
    QLineEdit* pattern;
    QLabel* problem;
    QPushButton* add;
};
