#include "app/AppSection.h"

using namespace Qt::StringLiterals;

namespace AppSections {

namespace {
struct Row {
    AppSection section;
    QString raw;
    QString title;
    QString icon;
};

const QList<Row>& rows() {
    static const QList<Row> table{
        {AppSection::memory, u"memory"_s, u"Memory"_s, u"sparkles.rectangle.stack"_s},
        {AppSection::network, u"network"_s, u"Network"_s,
         u"point.3.connected.trianglepath.dotted"_s},
        {AppSection::profile, u"profile"_s, u"Autofill"_s, u"person.text.rectangle"_s},
        {AppSection::blur, u"blur"_s, u"Chat Blur"_s, u"eye.slash"_s},
        {AppSection::settings, u"settings"_s, u"Settings"_s, u"gearshape"_s},
    };
    return table;
}

const Row& row(AppSection section) {
    return rows()[qsizetype(section)];
}
} // namespace

const QList<AppSection>& all() {
    static const QList<AppSection> sections = [] {
        QList<AppSection> list;
        for (const Row& r : rows())
            list.append(r.section);
        return list;
    }();
    return sections;
}

QString rawValue(AppSection section) {
    return row(section).raw;
}

std::optional<AppSection> fromRawValue(const QString& raw) {
    for (const Row& r : rows()) {
        if (r.raw == raw)
            return r.section;
    }
    return std::nullopt;
}

QString title(AppSection section) {
    return row(section).title;
}

QString icon(AppSection section) {
    return row(section).icon;
}

} // namespace AppSections
