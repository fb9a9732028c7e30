#include "organise/LibraryGrouping.h"

using namespace Qt::StringLiterals;

QString storedValue(LibraryGrouping grouping) {
    switch (grouping) {
    case LibraryGrouping::topics:
        return u"topics"_s;
    case LibraryGrouping::tags:
        return u"tags"_s;
    case LibraryGrouping::none:
        return u"none"_s;
    }
    Q_UNREACHABLE();
    return {};
}

QString label(LibraryGrouping grouping) {
    switch (grouping) {
    case LibraryGrouping::topics:
        return u"Smart Topics"_s;
    case LibraryGrouping::tags:
        return u"Tags"_s;
    case LibraryGrouping::none:
        return u"No Grouping"_s;
    }
    Q_UNREACHABLE();
    return {};
}

LibraryGrouping libraryGroupingFromStoredValue(const QString& value) {
    for (LibraryGrouping grouping : allLibraryGroupings) {
        if (storedValue(grouping) == value)
            return grouping;
    }
    return LibraryGrouping::topics;
}
