#pragma once

#include "organise/SentenceEmbedding.h"
#include "store/AutoCategorizer.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

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
    QuickAnswer quickCategorize(const QString& title, const std::optional<QString>& text,
                                const std::optional<QString>& urlString) const override;

    // Loads the model on a thread of its own now, so that the first text to
    // reach the meaning step does not wait for it on the interface thread
    // (a call meanwhile waits for this load rather than starting another).
    // The destructor joins the thread.
    void loadModelInBackground();
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
    // The sentence the meaning step compares; empty when it has too few words.
    static QString meaningSentence(const QString& title, const std::optional<QString>& text);
    // Site, shape and keywords: the rules that need no model.
    static std::optional<QString> ruleCategory(const QString& title,
                                               const std::optional<QString>& text,
                                               const std::optional<QString>& urlString);
    // The answer when neither the rules nor the meaning step give one.
    static std::optional<QString> fallbackCategory(const std::optional<QString>& text,
                                                   const std::optional<QString>& urlString);

    ModelLoader loadModel;
    mutable std::once_flag modelLoaded;
    mutable std::unique_ptr<SentenceEmbedding> loadedModel;
    mutable std::mutex modelLock;
    mutable std::atomic<bool> modelMissing{false}; // loaded, and nothing came
    // Last: joined before anything the load uses goes.
    std::jthread modelLoader;
};
