#pragma once

#include "library/TagEditorModel.h"

#include <QFrame>
#include <QList>

class QLabel;
class QLineEdit;
class QScrollArea;
class QVBoxLayout;
class Store;
class TagRow;

// The popover that edits one item's tags: a field that finds or creates a
// tag, the automatic row, one row per matching tag, a "Create" row for a new
// name and "No tags yet" when there is nothing to list.
class TagEditor : public QFrame {
    Q_OBJECT
public:
    TagEditor(Store& store, QUuid itemID, QWidget* anchor = nullptr);

    // Shows the popover with its top-left corner at position (global).
    void popUp(const QPoint& position);

    QLineEdit* field() const { return draftField; }
    QList<TagRow*> rows() const;
    // "No tags yet" while it shows.
    QLabel* emptyLabel() const { return nothingLabel; }
    const TagEditorModel& model() const { return editor; }

    static constexpr int width = 230;
    static constexpr int maxListHeight = 230;

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuild();
    void takeColours();
    void addRow(QWidget* row);

    Store& store;
    TagEditorModel editor;
    QLineEdit* draftField;
    QScrollArea* scroll;
    QWidget* list;
    QVBoxLayout* listLayout;
    QLabel* nothingLabel = nullptr;
};
