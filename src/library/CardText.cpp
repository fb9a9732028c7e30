#include "library/CardText.h"

#include "common/ReferenceDate.h"

#include <QFileInfo>
#include <QLocale>
#include <QUrl>
#include <memory>
#include <optional>
#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/unistr.h>

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

namespace {

// ICU's own name of a locale ("de_DE"); the C locale reads as English.
QByteArray icuName(const QLocale& locale) {
    if (locale.language() == QLocale::C)
        return QByteArrayLiteral("en");
    return locale.name().toLatin1();
}

// The short-style phrase for an amount of units ago in locale, as the
// desktop's own relative dates read ("5 min. ago", "vor 5 Min.").
std::optional<QString> phraseAgo(qint64 amount, UDateRelativeUnit unit, const QLocale& locale) {
    // Footers ask on every repaint; making a formatter reads ICU's data.
    thread_local QByteArray formatterLocale;
    thread_local std::unique_ptr<icu::RelativeDateTimeFormatter> formatter;
    const QByteArray name = icuName(locale);
    if (!formatter || formatterLocale != name) {
        UErrorCode status = U_ZERO_ERROR;
        auto made = std::make_unique<icu::RelativeDateTimeFormatter>(
            icu::Locale(name.constData()), nullptr, UDAT_STYLE_SHORT,
            UDISPCTX_CAPITALIZATION_FOR_STANDALONE, status);
        if (U_FAILURE(status))
            return std::nullopt;
        formatter = std::move(made);
        formatterLocale = name;
    }
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString phrase;
    formatter->format(double(amount), UDAT_DIRECTION_LAST, unit, phrase, status);
    if (U_FAILURE(status))
        return std::nullopt;
    return QString(reinterpret_cast<const QChar*>(phrase.getBuffer()), phrase.length());
}

} // namespace

QString relativeTime(double savedAt, const QDateTime& now, const QLocale& locale) {
    const double seconds = ReferenceDate::secondsFrom(now) - savedAt;
    if (seconds < 60)
        return u"Just now"_s;
    // The largest unit of which at least one whole has passed.
    const qint64 minutes = static_cast<qint64>(seconds / 60);
    const qint64 hours = minutes / 60;
    const qint64 days = hours / 24;
    std::pair<qint64, UDateRelativeUnit> amount{minutes, UDAT_RELATIVE_MINUTES};
    if (days >= 365)
        amount = {days / 365, UDAT_RELATIVE_YEARS};
    else if (days >= 30)
        amount = {days / 30, UDAT_RELATIVE_MONTHS};
    else if (days >= 7)
        amount = {days / 7, UDAT_RELATIVE_WEEKS};
    else if (days >= 1)
        amount = {days, UDAT_RELATIVE_DAYS};
    else if (hours >= 1)
        amount = {hours, UDAT_RELATIVE_HOURS};
    if (const auto phrase = phraseAgo(amount.first, amount.second, locale))
        return *phrase;
    // Without ICU's data, the English phrase.
    const char* units = amount.second == UDAT_RELATIVE_MINUTES ? "min"
                        : amount.second == UDAT_RELATIVE_HOURS ? "hr"
                        : amount.second == UDAT_RELATIVE_DAYS ? (amount.first == 1 ? "day" : "days")
                        : amount.second == UDAT_RELATIVE_WEEKS  ? "wk"
                        : amount.second == UDAT_RELATIVE_MONTHS ? "mo"
                                                                : "yr";
    return u"%1 %2 ago"_s.arg(amount.first).arg(QLatin1StringView(units));
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
