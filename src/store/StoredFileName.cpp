#include "store/StoredFileName.h"

using namespace Qt::StringLiterals;

bool isPlainStoredName(const QString& name) {
    if (name.isEmpty() || name == u"."_s || name == u".."_s)
        return false;
    return !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QChar(0));
}
