#pragma once

#include <QFrame>
#include <QWidget>

class QLabel;
class QVBoxLayout;
class ControlSection;

// The frame of the settings-like pages (settings, autofill, chat blur): a
// title and a wrapping subtitle, then a grouped form of sections, the whole
// at most 620 px wide and centred in whatever space the window gives.
class ControlPage : public QWidget {
public:
    static constexpr int kMaxWidth = 620;

    ControlPage(const QString& title, const QString& subtitle, QWidget* parent = nullptr);

    // Appends a section to the form; an empty title gives it no header.
    ControlSection* addSection(const QString& title = {});
    // Appends any widget (a banner, say) between sections.
    void addWidget(QWidget* widget);

    QLabel* titleLabel() const { return title; }
    QLabel* subtitleLabel() const { return subtitle; }
    // The column that holds the header and the form (for tests of the width).
    QWidget* column() const { return page; }

protected:
    void changeEvent(QEvent* event) override;

private:
    QLabel* title;
    QLabel* subtitle;
    QWidget* page;
    QVBoxLayout* form;
};

// One group of the form: a rounded panel of rows separated by hairlines,
// under an optional header.
class ControlSection : public QWidget {
public:
    explicit ControlSection(const QString& title, QWidget* parent = nullptr);

    // A row made of a label on the left and a control on the right.
    void addRow(const QString& label, QWidget* control);
    // A row that is one widget across the panel's width.
    void addRow(QWidget* row);
    // Removes and deletes every row (for sections drawn from a model).
    void clearRows();
    int rowCount() const;

    QLabel* header() const { return heading; }

private:
    QLabel* heading;
    QFrame* panel;
    QVBoxLayout* rows;
};
