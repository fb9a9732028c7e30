#pragma once

#include "organise/KeywordPass.h"
#include "organise/LibraryState.h"

#include <QWidget>
#include <memory>
#include <optional>

class AutoSortNote;
class MasonryGrid;
class NoteSheet;
class QLabel;
class QMenu;
class QStackedWidget;
class QToolButton;
class SearchField;
class StackOverlay;
class TagBar;
struct ItemChanges;
struct LibraryContext;

// The memory library page: a header with the filter menu and the new-note
// button, the tag chips, the masonry grid of the library's entries (or an
// empty state), the floating search field, the note sheet and the overlay
// of an opened stack. It keeps the user's choices in a LibraryState and
// redraws from the store whenever the store changes.
class LibraryView : public QWidget {
    Q_OBJECT
public:
    explicit LibraryView(LibraryContext& context, QWidget* parent = nullptr);
    ~LibraryView() override;

    enum class EmptyState { none, noResults, emptyMemory };

    const LibraryState& state() const { return library; }
    EmptyState emptyState() const { return empty; }

    void setFilter(LibraryFilter filter);
    void setGrouping(LibraryGrouping grouping);
    void setQuery(const QString& query);
    void setTagFilter(const std::optional<QString>& tagFilter);
    void openStack(const QString& key);
    void closeStack();
    void showNoteSheet();
    void autoSortEverything();
    std::optional<QString> expandedStackKey() const;

    // The settings key under which the grouping is kept.
    static inline const QString groupingKey = QStringLiteral("libraryGrouping");

    // After the grid follows a change of the store, further changes within
    // this many milliseconds are shown together at its end.
    static constexpr int changeSpacingMs = 150;

    MasonryGrid* grid() const { return masonry; }
    TagBar* tagBar() const { return tags; }
    SearchField* searchField() const { return search; }
    NoteSheet* noteSheet() const { return note; }
    StackOverlay* stackOverlay() const { return overlay; }
    QToolButton* filterButton() const { return filterMenuButton; }
    QToolButton* newNoteButton() const { return noteButton; }
    QMenu* filterMenu() const { return menu; }
    QLabel* emptyTitle() const { return emptyTitleLabel; }
    QLabel* emptyLine() const { return emptyLineLabel; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeEmptyState();
    void rebuildFilterMenu();
    void refresh();
    void storeChanged(const ItemChanges& changes);
    void holdChanges();
    // Starts reading keywords in the background when grouping by topics
    // would read many now; true while that read runs or waits to start.
    bool deferTopics(const QList<Item>& items);
    void refreshEntries();
    void showEntries(QList<GridEntry> entries);
    void refreshStack();
    void placeFloating();

    LibraryContext& context;
    LibraryState library;
    KeywordPass keywordPass;
    std::unique_ptr<AutoSortNote> sortNote;
    EmptyState empty = EmptyState::none;
    bool changesHeld = false;       // a change was shown less than changeSpacingMs ago
    bool changeOwed = false;        // and another came since
    bool gridPainted = false;       // the grid has shown its first frame
    bool firstPaintWatched = false; // and deferTopics waits for it

    QToolButton* filterMenuButton;
    QToolButton* noteButton;
    QMenu* menu;
    TagBar* tags;
    QWidget* tagRow;
    QStackedWidget* content;
    QWidget* emptyPage;
    QLabel* emptySymbol;
    QLabel* emptyTitleLabel;
    QLabel* emptyLineLabel;
    MasonryGrid* masonry;
    SearchField* search;
    NoteSheet* note;
    StackOverlay* overlay;
};
