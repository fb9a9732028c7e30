#pragma once

#include <QString>
#include <array>

// How the library gathers items into stacks, in the order the menu offers them.
enum class LibraryGrouping { topics, tags, none };

inline constexpr std::array<LibraryGrouping, 3> allLibraryGroupings{
    LibraryGrouping::topics, LibraryGrouping::tags, LibraryGrouping::none};

// "topics", "tags" or "none": the value kept in the settings.
QString storedValue(LibraryGrouping grouping);

// "Smart Topics", "Tags" or "No Grouping".
QString label(LibraryGrouping grouping);

// The grouping stored as value; anything unknown (or nothing stored) is topics.
LibraryGrouping libraryGroupingFromStoredValue(const QString& value);
