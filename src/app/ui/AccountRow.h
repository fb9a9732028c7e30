#pragma once

#include "app/AccountSummary.h"

#include <QAbstractButton>

// The sidebar's account row: the user's initials (or a person) in a tinted
// circle, the name and the e-mail address; clicking it opens the user's
// details.
class AccountRow : public QAbstractButton {
    Q_OBJECT
public:
    explicit AccountRow(QWidget* parent = nullptr);

    void setSummary(const AccountSummary& summary);
    const AccountSummary& summary() const { return shown; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    AccountSummary shown;
    bool hovered = false;
};
