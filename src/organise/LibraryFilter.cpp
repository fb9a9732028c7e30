#include "organise/LibraryFilter.h"

using namespace Qt::StringLiterals;

namespace {

bool isNote(const Item& item) {
    return item.kind == ItemKind::text && item.source == u"Quick Note"_s;
}

} // namespace

QString label(LibraryFilter filter) {
    switch (filter) {
    case LibraryFilter::all:
        return u"All"_s;
    case LibraryFilter::notes:
        return u"Notes"_s;
    case LibraryFilter::text:
        return u"Text"_s;
    case LibraryFilter::images:
        return u"Images"_s;
    case LibraryFilter::documents:
        return u"Documents"_s;
    case LibraryFilter::links:
        return u"Links"_s;
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<LibraryFilter> libraryFilterNamed(const QString& name) {
    for (LibraryFilter filter : allLibraryFilters) {
        if (label(filter).compare(name, Qt::CaseInsensitive) == 0)
            return filter;
    }
    return std::nullopt;
}

bool matches(LibraryFilter filter, const Item& item) {
    switch (filter) {
    case LibraryFilter::all:
        return true;
    case LibraryFilter::notes:
        return isNote(item);
    case LibraryFilter::text:
        return item.kind == ItemKind::text && !isNote(item);
    case LibraryFilter::images:
        return item.kind == ItemKind::image;
    case LibraryFilter::documents:
        return item.kind == ItemKind::file;
    case LibraryFilter::links:
        return item.kind == ItemKind::link;
    }
    Q_UNREACHABLE();
    return false;
}
