#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What the store needs of automatic categories: the category of something
// with a title, a text or a web address, and the list of every category.
// The categorizer lives above the store and implements this. Safe to call
// from any thread (enrichment categorises on its own).
class AutoCategorizer {
public:
    virtual ~AutoCategorizer() = default;

    virtual std::optional<QString> categorize(const QString& title,
                                              const std::optional<QString>& text,
                                              const std::optional<QString>& urlString) const = 0;

    // What categorize() answers without a language model, at once; when
    // settled is false the model could still answer otherwise, and the full
    // answer (which can take longer than a frame, the first time much
    // longer) is worth asking for away from the interface thread.
    struct QuickAnswer {
        std::optional<QString> category;
        bool settled = true;
    };
    virtual QuickAnswer quickCategorize(const QString& title, const std::optional<QString>& text,
                                        const std::optional<QString>& urlString) const = 0;

    // Every name categorize() can answer, in their fixed order.
    virtual const QStringList& categories() const = 0;
};
