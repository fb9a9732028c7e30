#pragma once

#include "store/Item.h"

#include <QString>
#include <array>
#include <optional>

// The library's filter tabs, in the order they are offered.
enum class LibraryFilter { all, notes, text, images, documents, links };

inline constexpr std::array<LibraryFilter, 6> allLibraryFilters{
    LibraryFilter::all,    LibraryFilter::notes,     LibraryFilter::text,
    LibraryFilter::images, LibraryFilter::documents, LibraryFilter::links};

// "All", "Notes", "Text", "Images", "Documents" or "Links": both the label shown
// and the stored value.
QString label(LibraryFilter filter);

// The filter whose label is name, ignoring letter case; absent for anything else.
std::optional<LibraryFilter> libraryFilterNamed(const QString& name);

// Whether the tab shows item. Notes are text items written in the library
// (source "Quick Note"); every other text item is under Text.
bool matches(LibraryFilter filter, const Item& item);
