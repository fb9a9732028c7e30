#include "organise/AutoSortNote.h"

using namespace Qt::StringLiterals;

QString autoSortNote(qsizetype analysed, qsizetype sorted, qsizetype keptTags) {
    QString note = u"Analysed "_s + QString::number(analysed) + u" items · "_s +
                   QString::number(sorted) + u" auto-sorted"_s;
    if (keptTags > 0)
        note += u" · "_s + QString::number(keptTags) + u" kept your tags"_s;
    return note;
}
