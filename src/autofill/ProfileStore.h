#pragma once

#include "autofill/ProfileField.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

class Environment;

// The user's details and the answers autofill learned, mirrored into
// "profile.json" and "answers.json" (written whole, atomically and durably).
// A file that exists but cannot be read or decoded is moved aside to
// "<name>.unreadable-<time>" before anything is written, so nothing the user
// entered is ever overwritten. GUI thread only.
class ProfileStore : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString profileFile; // the answers file sits beside it
        // The account's full name; seeds first and last name on first start.
        QString accountFullName;
    };
    // "profile.json" in dataFolder, or the path in TOVIK_PROFILE_FILE.
    static QString profileFilePath(const Environment& environment, const QString& dataFolder);

    explicit ProfileStore(Options options, QObject* parent = nullptr);

    QString raw(ProfileField field) const;
    void set(const QString& value, ProfileField field);
    std::optional<QString> fillValue(ProfileField field) const;
    std::optional<QString> fillValue(const FillTarget& target) const;
    bool learn(const QString& typed, const FillTarget& target);
    static bool isPlausible(const QString& value, ProfileField field);
    void setLearned(const QString& value, const QString& key, const QString& label);
    void removeLearned(const QString& key);
    static QString nationalNumber(const QString& phone);

    // Keyed by field id; keys that are no field id are kept as read.
    const QMap<QString, QString>& values() const { return valueMap; }
    // Newest first.
    const QList<LearnedAnswer>& learned() const { return answers; }

    QString profileFile() const { return profilePath; }
    QString answersFile() const { return answersPath; }
    // Where unreadable files were moved at start (empty when none).
    QStringList setAsideFiles() const { return setAside; }

Q_SIGNALS:
    void changed();

private:
    bool readProfile();
    void readAnswers();
    void writeProfile();
    void writeAnswers();

    QString profilePath;
    QString answersPath;
    QMap<QString, QString> valueMap;
    QList<LearnedAnswer> answers;
    QStringList setAside;
};
