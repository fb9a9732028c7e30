#include "platform/linux/DesktopEntryIndex.h"

#include "platform/memory/MemoryEnvironment.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <utime.h>

using namespace Qt::StringLiterals;

namespace {
void write(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}
} // namespace

TEST(DesktopEntryIndex, ExecutableOfAnExecLine) {
    const QList<QPair<QString, QString>> cases{
        {u"/usr/bin/gedit %U"_s, u"gedit"_s},
        {u"env GTK_THEME=Adwaita:dark LANG=C /opt/app/bin/app --new-window %F"_s, u"app"_s},
        {u"\"/opt/My App/run\" %u"_s, u"run"_s},
        {u"firefox-esr %u"_s, u"firefox-esr"_s},
        {QString(), QString()},
    };
    for (const auto& [exec, expected] : cases)
        EXPECT_EQ(DesktopEntryIndex::executableOf(exec), expected) << exec.toStdString();
}

TEST(DesktopEntryIndex, NamesAWindowByClassThenExecutableThenFileName) {
    QTemporaryDir home;
    QTemporaryDir system;
    const QString user = home.path() + u"/applications"_s;
    const QString shared = system.path() + u"/applications"_s;
    write(shared + u"/org.gnome.TextEditor.desktop"_s,
          "[Desktop Entry]\nType=Application\nName=Text Editor\nName[de]=Texteditor\n"
          "Exec=gnome-text-editor %U\n");
    write(shared + u"/firefox-esr.desktop"_s,
          "[Desktop Entry]\nType=Application\nName=Firefox "
          "ESR\nExec=/usr/lib/firefox-esr/firefox-esr %u\n"
          "StartupWMClass=Firefox-esr\n[Desktop Action new-window]\nName=New Window\n");
    write(shared + u"/kde/org.kde.kate.desktop"_s,
          "[Desktop Entry]\nType=Application\nName=Kate\nExec=kate -b %U\n");
    write(shared + u"/hidden.desktop"_s,
          "[Desktop Entry]\nType=Application\nName=Hidden\nExec=secret\nHidden=true\n");
    write(shared + u"/link.desktop"_s, "[Desktop Entry]\nType=Link\nName=A Link\nURL=x\n");
    // The user's own copy of an entry hides the system one.
    write(user + u"/firefox-esr.desktop"_s,
          "[Desktop Entry]\nType=Application\nName=My Firefox\nExec=firefox-esr\n"
          "StartupWMClass=Firefox-esr\n");

    DesktopEntryIndex index({user, shared});
    struct Case {
        QString wmClass;
        QString wmInstance;
        QStringList executables;
        std::optional<QString> expected;
    };
    const QList<Case> cases{
        {u"firefox-esr"_s, u"Navigator"_s, {u"firefox-esr"_s}, u"My Firefox"_s},
        {u"Kate"_s, u"kate"_s, {u"kate"_s}, u"Kate"_s},
        {u"Gnome-text-editor"_s,
         u"gnome-text-editor"_s,
         {u"gnome-text-editor"_s},
         u"Text Editor"_s},
        {u"org.gnome.TextEditor"_s, u"x"_s, {u"unknown"_s}, u"Text Editor"_s},
        {u"Secret"_s, u"secret"_s, {u"secret"_s}, std::nullopt},
        {u"XTerm"_s, u"xterm"_s, {u"xterm"_s}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(index.displayName(c.wmClass, c.wmInstance, c.executables), c.expected)
            << c.wmClass.toStdString();

    // An application installed later is found without a restart.
    write(shared + u"/xterm.desktop"_s,
          "[Desktop Entry]\nType=Application\nName=XTerm\nExec=xterm\n");
    // Folder times may have a coarse grain: move the folder's on by a while.
    struct utimbuf later {};
    later.actime = later.modtime = QDateTime::currentSecsSinceEpoch() + 5;
    ASSERT_EQ(utime(QFile::encodeName(shared).constData(), &later), 0);
    EXPECT_EQ(index.displayName(u"XTerm"_s, u"xterm"_s, {u"xterm"_s}), u"XTerm"_s);
}

TEST(DesktopEntryIndex, ApplicationFoldersFollowTheXdgVariables) {
    MemoryEnvironment environment;
    environment.set(u"HOME"_s, u"/home/u"_s);
    EXPECT_EQ(DesktopEntryIndex::applicationDirectories(environment),
              (QStringList{u"/home/u/.local/share/applications"_s,
                           u"/usr/local/share/applications"_s, u"/usr/share/applications"_s}));
    environment.set(u"XDG_DATA_HOME"_s, u"/data"_s);
    environment.set(u"XDG_DATA_DIRS"_s, u"/a:/b/:"_s);
    EXPECT_EQ(DesktopEntryIndex::applicationDirectories(environment),
              (QStringList{u"/data/applications"_s, u"/a/applications"_s, u"/b/applications"_s}));
}
