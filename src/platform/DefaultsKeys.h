#pragma once

#include <QString>
#include <QVariant>
#include <vector>

class UserDefaults;

// Every key the program keeps in the user defaults, in one place, so each
// subsystem reads a key the same way and a fresh account sees the same values.
namespace DefaultsKeys {

inline const QString appearance = QStringLiteral("appearance");
inline const QString didConfigureLoginItem = QStringLiteral("didConfigureLoginItem");
inline const QString dropOnNotch = QStringLiteral("dropOnNotch");
inline const QString autofillEnabled = QStringLiteral("autofillEnabled");
inline const QString autofillLearns = QStringLiteral("autofillLearns");
inline const QString chatBlurEnabled = QStringLiteral("chatBlurEnabled");
inline const QString blurCustomSites = QStringLiteral("blurCustomSites");
inline const QString blurDisabledSites = QStringLiteral("blurDisabledSites");
inline const QString libraryGrouping = QStringLiteral("libraryGrouping");

struct Key {
    QString name;
    // QMetaType::Bool, QString, QStringList or QByteArray.
    int storedType;
    QVariant absentValue;
};

// The table of keys with their stored types and the values read when nothing
// is stored.
const std::vector<Key>& all();

// The value a reader of key sees: the stored value when it has the key's type
// (booleans absent as false take the plain boolean read), otherwise the
// key's absent value. Unknown keys read as an invalid QVariant.
QVariant read(const UserDefaults& defaults, const QString& key);

} // namespace DefaultsKeys
