#pragma once

#include "store/Item.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

// The words an item card shows besides its content.
namespace CardText {

// A link's host without any "www.", otherwise the source, otherwise the
// kind's name ("File", "Image", "Link", "Text").
QString footerLabel(const Item& item);

// "Just now" under a minute, otherwise the locale's short phrase for the
// largest whole unit passed ("5 min. ago", "3 hr. ago", "2 days ago").
QString relativeTime(double savedAt, const QDateTime& now, const QLocale& locale = QLocale());

// The chip text: the first display tag and " +N" for the others; empty when
// the item shows no tag.
QString tagChip(const Item& item);
// The chip's help: how the tag came about, or every tag.
QString tagChipHelp(const Item& item);

// The symbol of a file card without a thumbnail, by the file's extension.
QString fileSymbol(const Item& item);

// "Click to expand N items".
QString stackHelp(qsizetype count);

} // namespace CardText
