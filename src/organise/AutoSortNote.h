#pragma once

#include <QString>

// The note shown after "Auto-sort Everything": "Analysed N items · M
// auto-sorted", with " · K kept your tags" when some items keep their own tags.
QString autoSortNote(qsizetype analysed, qsizetype sorted, qsizetype keptTags);
