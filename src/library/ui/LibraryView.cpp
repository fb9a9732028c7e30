#include "library/ui/LibraryView.h"

#include "common/ui/FirstPaint.h"
#include "common/ui/SymbolIcon.h"
#include "library/ui/CardPainter.h"
#include "library/ui/LibraryContext.h"
#include "library/ui/MasonryGrid.h"
#include "library/ui/NoteSheet.h"
#include "library/ui/SearchField.h"
#include "library/ui/StackOverlay.h"
#include "library/ui/TagBar.h"
#include "organise/AutoSortNote.h"
#include "platform/Scheduler.h"
#include "platform/UserDefaults.h"
#include "store/Store.h"

#include <QActionGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

LibraryView::LibraryView(LibraryContext& context, QWidget* parent)
    : QWidget(parent), context(context),
      sortNote(std::make_unique<AutoSortNote>(context.scheduler)) {
    library.grouping = libraryGroupingFromStoredValue(
        context.defaults.stringValue(groupingKey).value_or(QString()));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeHeader());
    tagRow = new QWidget(this);
    auto* tagLayout = new QVBoxLayout(tagRow);
    tagLayout->setContentsMargins(0, 12, 0, 0);
    tags = new TagBar(tagRow);
    tagLayout->addWidget(tags);
    column->addWidget(tagRow);
    content = new QStackedWidget(this);
    masonry = new MasonryGrid(context, content);
    content->addWidget(makeEmptyState());
    content->addWidget(masonry);
    column->addWidget(content, 1);

    search = new SearchField(this);
    note = new NoteSheet(this);
    overlay = new StackOverlay(context, this);

    // The floating field steps aside while a sheet or stack covers the page.
    connect(overlay, &StackOverlay::closed, search, &QWidget::show);
    connect(note, &NoteSheet::closedSheet, search, &QWidget::show);
    connect(tags, &TagBar::chipChosen, this, &LibraryView::setTagFilter);
    connect(search, &SearchField::queryChanged, this, &LibraryView::setQuery);
    connect(masonry, &MasonryGrid::stackTapped, this, &LibraryView::openStack);
    connect(note, &NoteSheet::saved, this,
            [this](const QString& text) { this->context.store.addText(text, u"Quick Note"_s); });
    connect(sortNote.get(), &AutoSortNote::changed, this,
            [this] { tags->setSortNote(sortNote->note()); });
    connect(&context.store, &Store::itemsChanged, this, &LibraryView::storeChanged);
    refresh();
}

// The grid is worked out again from the items, which costs little next to
// the cards: those of unchanged entries stay as they are, keyed on each
// item's id and revision. Still, a burst of changes (a script tagging many
// items, pages read one after another) would work it out for each, so the
// first change shows at once and those that follow it closely together.
void LibraryView::storeChanged(const ItemChanges& changes) {
    masonry->forget(changes.removed);
    library.keepTagFilterValid(context.store.items());
    if (changesHeld) {
        changeOwed = true;
        return;
    }
    refresh();
    holdChanges();
}

void LibraryView::holdChanges() {
    changesHeld = true;
    context.scheduler.singleShot(changeSpacingMs, this, [this] {
        changesHeld = false;
        if (!changeOwed)
            return;
        refresh();
        holdChanges();
    });
}

LibraryView::~LibraryView() = default;

QWidget* LibraryView::makeHeader() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(14, 10, 14, 10);
    row->setSpacing(2);
    auto* title = new QLabel(u"Memory"_s, header);
    title->setFont(CardPainter::font(13, QFont::DemiBold));
    row->addWidget(title);
    row->addStretch(1);

    filterMenuButton = new QToolButton(header);
    filterMenuButton->setAutoRaise(true);
    filterMenuButton->setFixedSize(30, 30);
    filterMenuButton->setIconSize(QSize(16, 16));
    filterMenuButton->setToolTip(u"Filter, group and sort"_s);
    filterMenuButton->setAccessibleName(u"Filter, group and sort"_s);
    // The menu opens from a click rather than through setMenu(), which would
    // draw an arrow that only a style sheet can hide, and a style sheet fixes
    // the button's colours to the appearance it was applied in.
    menu = new QMenu(filterMenuButton);
    connect(filterMenuButton, &QToolButton::clicked, this, [this] {
        filterMenuButton->setDown(true);
        menu->exec(filterMenuButton->mapToGlobal(QPoint(0, filterMenuButton->height())));
        filterMenuButton->setDown(false);
    });
    connect(menu, &QMenu::aboutToShow, this, &LibraryView::rebuildFilterMenu);
    row->addWidget(filterMenuButton);

    noteButton = new QToolButton(header);
    noteButton->setAutoRaise(true);
    noteButton->setFixedSize(30, 30);
    noteButton->setIconSize(QSize(15, 15));
    noteButton->setIcon(
        SymbolIcon::icon(u"square.and.pencil"_s, palette().color(QPalette::WindowText)));
    noteButton->setToolTip(u"New note"_s);
    connect(noteButton, &QToolButton::clicked, this, &LibraryView::showNoteSheet);
    row->addWidget(noteButton);
    rebuildFilterMenu();
    return header;
}

void LibraryView::rebuildFilterMenu() {
    menu->clear();
    menu->addSection(u"Show"_s);
    auto* filters = new QActionGroup(menu);
    for (LibraryFilter filter : allLibraryFilters) {
        QAction* action = menu->addAction(label(filter));
        action->setCheckable(true);
        action->setChecked(library.filter == filter);
        filters->addAction(action);
        connect(action, &QAction::triggered, this, [this, filter] { setFilter(filter); });
    }
    menu->addSection(u"Group by"_s);
    auto* groupings = new QActionGroup(menu);
    for (LibraryGrouping grouping : allLibraryGroupings) {
        QAction* action = menu->addAction(label(grouping));
        action->setCheckable(true);
        action->setChecked(library.grouping == grouping);
        groupings->addAction(action);
        connect(action, &QAction::triggered, this, [this, grouping] { setGrouping(grouping); });
    }
    menu->addSeparator();
    menu->addAction(SymbolIcon::icon(u"sparkles"_s, palette().color(QPalette::WindowText)),
                    u"Auto-sort Everything"_s, this, &LibraryView::autoSortEverything);
    const QString symbol = library.filter == LibraryFilter::all
                               ? u"line.3.horizontal.decrease.circle"_s
                               : u"line.3.horizontal.decrease.circle.fill"_s;
    filterMenuButton->setIcon(SymbolIcon::icon(symbol, palette().color(QPalette::WindowText)));
    filterMenuButton->setProperty("symbol", symbol);
}

QWidget* LibraryView::makeEmptyState() {
    emptyPage = new QWidget(content);
    auto* column = new QVBoxLayout(emptyPage);
    column->setContentsMargins(40, 0, 40, 92);
    column->setSpacing(0);
    column->addStretch(1);
    emptySymbol = new QLabel(emptyPage);
    emptySymbol->setAlignment(Qt::AlignCenter);
    column->addWidget(emptySymbol);
    column->addSpacing(12);
    emptyTitleLabel = new QLabel(emptyPage);
    emptyTitleLabel->setFont(CardPainter::font(14, QFont::DemiBold));
    emptyTitleLabel->setAlignment(Qt::AlignCenter);
    column->addWidget(emptyTitleLabel);
    column->addSpacing(4);
    emptyLineLabel = new QLabel(emptyPage);
    emptyLineLabel->setFont(CardPainter::font(12));
    emptyLineLabel->setAlignment(Qt::AlignCenter);
    emptyLineLabel->setWordWrap(true);
    CardPainter::useSecondaryText(emptyLineLabel, palette());
    column->addWidget(emptyLineLabel);
    column->addStretch(1);
    return emptyPage;
}

bool LibraryView::deferTopics(const QList<Item>& items) {
    if (keywordPass.running())
        return true;
    if (!library.needsKeywordPass(items))
        return false;
    // At launch the pass waits for the grid's first frame: on two cores it
    // would hold back the window it serves.
    if (!gridPainted) {
        if (!firstPaintWatched) {
            firstPaintWatched = true;
            afterFirstPaint(masonry->viewport(), [this] {
                gridPainted = true;
                library.topicsDeferred = deferTopics(context.store.items());
                if (!library.topicsDeferred)
                    refresh();
            });
        }
        return true;
    }
    keywordPass.start(items, this, [this] {
        library.adoptKeywords(keywordPass.take());
        library.topicsDeferred = false;
        refresh();
    });
    return true;
}

void LibraryView::refresh() {
    changeOwed = false;
    const QList<Item>& items = context.store.items();
    // A first grouping of a large library shows the items at once and their
    // stacks once the keywords are read.
    library.topicsDeferred = deferTopics(items);
    LibraryState::Grid grid = library.grid(items);
    tagRow->setVisible(!items.isEmpty());
    tags->setChips(grid.admittedCount, grid.tagCounts, grid.untaggedCount, library.tagFilter);
    showEntries(std::move(grid.entries));
}

// The chips and their counts ignore the query, so a keystroke only ranks the
// grid again.
void LibraryView::refreshEntries() {
    showEntries(library.entries(context.store.items()));
}

void LibraryView::showEntries(QList<GridEntry> entries) {
    // Every shown item is an entry or in a stack, so no entries means
    // nothing passed the filters.
    if (entries.isEmpty()) {
        const bool hasItems = !context.store.items().isEmpty();
        empty = hasItems ? EmptyState::noResults : EmptyState::emptyMemory;
        const QString symbol = hasItems ? u"magnifyingglass"_s : u"sparkles.rectangle.stack"_s;
        emptySymbol->setPixmap(
            SymbolIcon::pixmap(symbol, 32, CardPainter::secondary(palette()), devicePixelRatioF()));
        emptyTitleLabel->setText(hasItems ? u"No results"_s : u"Your memory is empty"_s);
        emptyLineLabel->setText(
            hasItems ? u"Try a different word — search reads inside articles and images."_s
                     : u"Copy something and press Keep, or drop it on the notch."_s);
        content->setCurrentWidget(emptyPage);
        masonry->setEntries({});
    } else {
        empty = EmptyState::none;
        masonry->setEntries(std::move(entries));
        content->setCurrentWidget(masonry);
    }
    refreshStack();
}

void LibraryView::refreshStack() {
    if (!overlay->isOpen())
        return;
    // The stack is found again by its key each time: after a change it may
    // have other members, or none.
    const QString key = overlay->key();
    for (const TopicCluster& cluster : library.topicClusters(context.store.items())) {
        if (cluster.label == key) {
            overlay->setItems(cluster.items);
            return;
        }
    }
    overlay->setItems({});
}

void LibraryView::setFilter(LibraryFilter filter) {
    closeStack();
    if (library.filter == filter)
        return;
    library.filter = filter;
    library.keepTagFilterValid(context.store.items());
    rebuildFilterMenu();
    refresh();
}

void LibraryView::setGrouping(LibraryGrouping grouping) {
    closeStack();
    context.defaults.set(groupingKey, storedValue(grouping));
    if (library.grouping == grouping)
        return;
    library.grouping = grouping;
    rebuildFilterMenu();
    refresh();
}

void LibraryView::setQuery(const QString& query) {
    if (library.query == query)
        return;
    library.query = query;
    if (search->lineEdit()->text() != query)
        search->lineEdit()->setText(query);
    refreshEntries();
}

void LibraryView::setTagFilter(const std::optional<QString>& tagFilter) {
    if (library.tagFilter == tagFilter)
        return;
    library.tagFilter = tagFilter;
    refresh();
}

void LibraryView::openStack(const QString& key) {
    for (const TopicCluster& cluster : library.topicClusters(context.store.items())) {
        if (cluster.label == key) {
            search->hide();
            overlay->open(key, cluster.items);
            return;
        }
    }
    search->hide();
    overlay->open(key, {});
}

void LibraryView::closeStack() {
    overlay->close();
}

std::optional<QString> LibraryView::expandedStackKey() const {
    if (!overlay->isOpen())
        return std::nullopt;
    return overlay->key();
}

void LibraryView::showNoteSheet() {
    search->hide();
    note->open();
}

void LibraryView::autoSortEverything() {
    const Store::AutoSortCounts counts = context.store.autoSortAll();
    sortNote->show(context.store.items(), counts.sorted);
}

void LibraryView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Symbols are drawn in the text colour: a new appearance draws them again.
    if (event->type() == QEvent::PaletteChange) {
        CardPainter::useSecondaryText(emptyLineLabel, palette());
        noteButton->setIcon(
            SymbolIcon::icon(u"square.and.pencil"_s, palette().color(QPalette::WindowText)));
        rebuildFilterMenu();
        refresh();
    }
}

void LibraryView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeFloating();
}

void LibraryView::placeFloating() {
    const int width = std::min(SearchField::maxWidth, this->width() - 80);
    const int m = SearchField::shadowMargin;
    search->setGeometry((this->width() - width) / 2 - m, height() - 20 - SearchField::height - m,
                        width + 2 * m, SearchField::height + 2 * m);
    search->raise();
    if (note->isVisible())
        note->setGeometry(rect());
    if (overlay->isVisible())
        overlay->setGeometry(rect());
    overlay->raise();
    note->raise();
}
