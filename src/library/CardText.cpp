#include "library/CardText.h"

#include "common/ReferenceDate.h"

#include <QFileInfo>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace CardText {

QString footerLabel(const Item& item) {
    if (item.kind == ItemKind::link)
        return QUrl(item.detail).host().remove(u"www."_s);
    if (item.source)
        return *item.source;
    QString name = storedValue(item.kind);
    if (!name.isEmpty())
        name[0] = name[0].toUpper();
    return name;
}

QString relativeTime(double savedAt, const QDateTime& now) {
    const double seconds = ReferenceDate::secondsFrom(now) - savedAt;
    if (seconds < 60)
        return u"Just now"_s;
    const qint64 minutes = static_cast<qint64>(seconds / 60);
    if (minutes < 60)
        return u"%1 min ago"_s.arg(minutes);
    const qint64 hours = minutes / 60;
    if (hours < 24)
        return u"%1 hr ago"_s.arg(hours);
    const qint64 days = hours / 24;
    if (days < 7)
        return days == 1 ? u"1 day ago"_s : u"%1 days ago"_s.arg(days);
    const qint64 weeks = days / 7;
    if (days < 30)
        return weeks == 1 ? u"1 wk ago"_s : u"%1 wk ago"_s.arg(weeks);
    const qint64 months = days / 30;
    if (days < 365)
        return months == 1 ? u"1 mo ago"_s : u"%1 mo ago"_s.arg(months);
    const qint64 years = days / 365;
    return years == 1 ? u"1 yr ago"_s : u"%1 yr ago"_s.arg(years);
}

QString tagChip(const Item& item) {
    const QStringList tags = item.displayTags();
    if (tags.isEmpty())
        return {};
    if (tags.size() == 1)
        return tags.front();
    return u"%1 +%2"_s.arg(tags.front()).arg(tags.size() - 1);
}

QString tagChipHelp(const Item& item) {
    if (!item.tags)
        return u"Sorted automatically. Click to change."_s;
    return item.displayTags().join(u", "_s);
}

QString fileSymbol(const Item& item) {
    const QString extension = QFileInfo(item.fileName.value_or(QString())).suffix().toLower();
    if (extension == u"pdf")
        return u"doc.richtext"_s;
    if (extension == u"mp3" || extension == u"m4a" || extension == u"wav" || extension == u"aac")
        return u"music.note"_s;
    if (extension == u"mp4" || extension == u"mov" || extension == u"mkv")
        return u"film"_s;
    if (extension == u"zip" || extension == u"dmg" || extension == u"tar" || extension == u"gz")
        return u"archivebox"_s;
    return u"doc"_s;
}

QString stackHelp(qsizetype count) {
    return u"Click to expand %1 items"_s.arg(count);
}

} // namespace CardText
