#pragma once

#include "network/NetworkLayout.h"
#include "network/Person.h"
#include "network/PersonImages.h"
#include "network/ProfileFetcher.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class Clock;
class HttpClient;
class SerialQueue;

// The people the user knows, kept in "people.json" in the data folder, with
// their avatars and company logos in the shared "Files" folder. The list is
// read once when the store is made and written after every change. Avatars
// and logos are fetched in the background, one person at a time, on the
// "lumavex.network.enrich" queue; results are merged on the main thread.
//
// Main thread only, apart from the queues it runs itself.
class NetworkStore : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString dataFolder; // the "Lumavex" folder
        HttpClient* http = nullptr;
        Clock* clock = nullptr;
        NetworkServices services;
        // Read the file only: nothing is set aside, written or fetched.
        bool readOnly = false;
        // Queue, as the store opens, every person whose images are still to be fetched.
        bool enrichAtOpen = true;
        // Queue a person's fetches when they are added or edited.
        bool enrichOnChange = true;
    };

    explicit NetworkStore(Options options);
    ~NetworkStore() override;

    // The process's store (see AppServices).
    static NetworkStore& shared();

    const QList<Person>& people() const { return peopleList; }
    const Person* person(const QUuid& id) const;
    const QString& file() const { return peopleFile; }
    const QString& filesDir() const { return filesFolder; }
    // Where an unreadable people file was moved at start, if that happened.
    const std::optional<QString>& setAsideFile() const { return setAsidePath; }
    // False when changes are not written: opened read-only, or the people
    // file could neither be read nor set aside (it is never written over).
    bool isWritable() const { return !options.readOnly && !writesBlocked; }
    // True when a people file exists but could not be read (and, opened for
    // writing, could not be set aside either).
    bool fileUnreadable() const { return writesBlocked; }

    // Each answers false when the change could not be written (see
    // isWritable); the list in memory changes regardless.
    // Appends the person and fetches their images.
    bool add(const Person& person);
    // Replaces the person with the same id; a changed link forgets the
    // avatar and a changed company the logo, so both are fetched again.
    // Nothing happens (true) when no person has that id.
    bool update(Person person);
    // Deletes the person and the avatar and logo files only they use.
    bool remove(const Person& person);

    // The people grouped for the map: largest group first (ties by company),
    // members by name.
    QList<PeopleGroup> groups() const;
    // The stored logo of the first person of the group that has one.
    std::optional<QString> logoURL(const QString& companyKey) const;
    // The path of a stored image name inside "Files"; empty for an absent or
    // empty name, or one that is not a plain name (a tampered file).
    QString storedPath(const std::optional<QString>& name) const;

    // Queues every person whose images are still to be fetched and is not
    // queued yet; the number queued.
    int enrichPending();
    // Fetches queued or running whose results have not been merged yet.
    int pendingEnrichments() const { return enrichmentsInFlight; }

    // Reads a profile link on a background queue and calls done on the main
    // thread with what it found, unless context is gone by then.
    void fetchProfile(const QString& link, QObject* context,
                      std::function<void(const FetchedProfile&)> done);

Q_SIGNALS:
    // After every change of people(): an edit, an addition, a removal, or
    // an image that arrived.
    void changed();
    // When the last pending fetch's result has been merged.
    void enrichmentIdle();

private:
    struct EnrichmentResult {
        QUuid id;
        std::optional<QString> avatar; // the name stored, or empty after a failure
        QString link;                  // the link it was fetched for
        std::optional<QString> logo;
        QString company;
    };

    void load();
    bool persist();
    void enrich(const QUuid& id);
    void runEnrichment(const QUuid& id);
    void applyEnrichment(const EnrichmentResult& result);
    void deleteStoredFile(const std::optional<QString>& name) const;
    bool isNamedByAnyone(const QString& name) const;
    qsizetype positionOf(const QUuid& id) const;

    Options options;
    QString filesFolder;
    QString peopleFile;
    std::optional<QString> setAsidePath;
    bool writesBlocked = false;
    // Written on the main thread only, under the lock, so the enrichment
    // worker can read a person while the main thread goes on.
    QList<Person> peopleList;
    mutable std::mutex peopleLock;
    QSet<QUuid> queuedIds; // queued and not started; guarded by peopleLock
    int enrichmentsInFlight = 0;
    std::unique_ptr<PersonImages> images;
    std::unique_ptr<SerialQueue> enrichQueue;
    std::unique_ptr<SerialQueue> profileQueue;
};
