#include "app/AccountSummary.h"

#include "autofill/ProfileStore.h"
#include "common/Graphemes.h"

#include <QStringList>

using namespace Qt::StringLiterals;

AccountSummary AccountSummary::of(const ProfileStore& profile) {
    return of(profile.fillValue(ProfileField::fullName).value_or(QString()),
              profile.fillValue(ProfileField::email).value_or(QString()));
}

AccountSummary AccountSummary::of(const QString& fullName, const QString& email) {
    AccountSummary summary;
    const QString name = fullName.simplified();
    // A letter with its accents or an emoji with its modifiers is one
    // initial: cutting by code unit would split it.
    const QStringList words = name.split(QChar::Space);
    for (qsizetype i = 0; !name.isEmpty() && i < words.size() && i < 2; ++i)
        summary.initials += Graphemes::prefix(words[i], 1).toUpper();
    summary.name = name.isEmpty() ? u"Add your details"_s : name;
    const QString mail = email.trimmed();
    summary.detail = mail.isEmpty() ? u"My Info"_s : mail;
    return summary;
}
