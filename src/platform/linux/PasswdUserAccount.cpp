#include "platform/linux/PasswdUserAccount.h"

#include <QByteArray>
#include <QList>
#include <pwd.h>
#include <unistd.h>
#include <vector>

QString PasswdUserAccount::fullNameFromGecos(const QByteArray& gecos) {
    return QString::fromUtf8(gecos.split(',').value(0)).trimmed();
}

QString PasswdUserAccount::fullName() const {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_gecos)
        return {};
    return fullNameFromGecos(QByteArray(found->pw_gecos));
}
