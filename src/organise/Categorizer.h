#pragma once

#include "organise/SentenceEmbedding.h"
#include "store/AutoCategorizer.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// The automatic category of anything with a title, a text or a web address.
// Rules are tried in a fixed order and the first that answers wins: the link's
// site, the shape of a short text, keyword lists, the text's meaning compared
// with twelve topic descriptions, and finally "Article" for long pages.
//
// Safe to call from any thread: the tables are constants and every use of the
// embedding model is serialised by one lock.
class Categorizer final : public AutoCategorizer {
public:
    using ModelLoader = std::function<std::unique_ptr<SentenceEmbedding>()>;

    // loadModel runs once, on the first text that reaches the meaning step; a
    // null result leaves that step unavailable for the life of the categorizer.
    explicit Categorizer(ModelLoader loadModel);

    // The process's categorizer, with the English model shipped with Tovik.
    static Categorizer& shared();

    // Every name categorize() can answer, in their fixed order.
    static const QStringList& allCategories();

    std::optional<QString> categorize(const QString& title, const std::optional<QString>& text,
                                      const std::optional<QString>& urlString) const override;
    const QStringList& categories() const override { return allCategories(); }

    // The closest topic seed's category when the text is long enough and close
    // enough to it; absent when the model is unavailable.
    std::optional<QString> meaningCategory(const QString& title,
                                           const std::optional<QString>& text) const;

    // Each step on its own, for callers and tests that need one rule.
    static std::optional<QString> siteCategory(const QString& urlString);
    static std::optional<QString> keywordCategory(const QString& title,
                                                  const std::optional<QString>& text);

    static constexpr double meaningThreshold = 1.08;
    static constexpr qsizetype keywordTextLength = 4000;
    static constexpr qsizetype meaningTextLength = 400;
    static constexpr qsizetype meaningMinimumWords = 8;
    static constexpr qsizetype articleTextLength = 3000;

private:
    const SentenceEmbedding* model() const;

    ModelLoader loadModel;
    mutable std::once_flag modelLoaded;
    mutable std::unique_ptr<SentenceEmbedding> loadedModel;
    mutable std::mutex modelLock;
};
