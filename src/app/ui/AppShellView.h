#pragma once

#include "app/AppSection.h"

#include <QWidget>
#include <map>

class AccountRow;
class AppNavigation;
class ProfileStore;
class SidebarRow;

// The main window's content: the sidebar of sections ("Library": Memory and
// Network; "Tools": Autofill, Chat Blur and Settings) with the account row at
// its foot, a divider, and the page of the current section beside it.
class AppShellView : public QWidget {
    Q_OBJECT
public:
    // pages shows the current section's page; the caller switches it as the
    // navigation changes. profile may be null: the account row then invites
    // the user to add their details.
    AppShellView(AppNavigation& navigation, const ProfileStore* profile, QWidget* pages,
                 QWidget* parent = nullptr);

    SidebarRow* row(AppSection section) const { return rows.at(section); }
    AccountRow* accountRow() const { return account; }
    QWidget* sidebar() const { return side; }

    static constexpr int kSidebarWidth = 208;

private:
    void markCurrent();
    void refreshAccount();

    AppNavigation& navigation;
    const ProfileStore* profile;
    QWidget* side;
    std::map<AppSection, SidebarRow*> rows;
    AccountRow* account;
};
