#include "platform/DefaultsKeys.h"

#include "platform/UserDefaults.h"

#include <QByteArray>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace DefaultsKeys {

const std::vector<Key>& all() {
    static const std::vector<Key> keys = {
        {appearance, QMetaType::QString, u"light"_s},
        {didConfigureLoginItem, QMetaType::Bool, false},
        {dropOnNotch, QMetaType::Bool, false},
        {autofillEnabled, QMetaType::Bool, true},
        {autofillLearns, QMetaType::Bool, true},
        {chatBlurEnabled, QMetaType::Bool, true},
        {blurCustomSites, QMetaType::QByteArray, QByteArray()},
        {blurDisabledSites, QMetaType::QStringList, QStringList()},
        {libraryGrouping, QMetaType::QString, u"topics"_s},
    };
    return keys;
}

QVariant read(const UserDefaults& defaults, const QString& key) {
    for (const Key& entry : all()) {
        if (entry.name != key)
            continue;
        if (entry.storedType == QMetaType::Bool) {
            // A key that is on unless switched off stays on for anything but
            // a stored boolean; one that is off unless switched on takes the
            // plain read, under which a text "yes" also counts.
            return entry.absentValue.toBool() ? defaults.boolValueDefaultingToTrue(key)
                                              : defaults.boolValue(key);
        }
        const std::optional<QVariant> stored = defaults.object(key);
        if (stored && stored->typeId() == entry.storedType)
            return *stored;
        return entry.absentValue;
    }
    return {};
}

} // namespace DefaultsKeys
