#include "organise/EnglishEmbedding.h"

#include "organise/EnglishWords.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

EnglishEmbedding::EnglishEmbedding(WordVectorModel model) : model(std::move(model)) {}

const QString& EnglishEmbedding::fileName() {
    static const QString name = u"english-word-vectors.bin"_s;
    return name;
}

std::unique_ptr<EnglishEmbedding> EnglishEmbedding::loadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    // One read; the file is a few megabytes and is parsed into its own tables.
    const QByteArray bytes = file.readAll();
    std::optional<WordVectorModel> model = WordVectorModel::decode(bytes);
    if (!model)
        return nullptr;
    return std::make_unique<EnglishEmbedding>(std::move(*model));
}

std::unique_ptr<SentenceEmbedding> EnglishEmbedding::load() {
    QStringList folders{QStringLiteral(TOVIK_INSTALLED_RESOURCE_DIR)};
    // An installation moved elsewhere as a whole keeps its data beside bin/
    // (the program itself lies in libexec/tovik/).
    if (QCoreApplication::instance()) {
        folders << QCoreApplication::applicationDirPath() + u"/../../share/tovik"_s
                << QCoreApplication::applicationDirPath() + u"/../share/tovik"_s;
    }
    folders << QStringLiteral(TOVIK_RESOURCE_DIR);
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(fileName());
        if (!QFile::exists(path))
            continue;
        // The first model found is the one meant for this build; a damaged
        // one is not replaced by an older copy elsewhere.
        return loadFile(path);
    }
    return nullptr;
}

int EnglishEmbedding::findWord(std::string_view word, Forms& forms) const {
    const int index = model.find(word);
    if (index != WordVectorModel::notFound)
        return index;
    const std::size_t count = EnglishWords::baseForms(word, forms);
    for (std::size_t i = 0; i < count; ++i) {
        const int found = model.find(forms[i]);
        if (found >= 0)
            return found;
    }
    return WordVectorModel::notFound;
}

std::vector<int> EnglishEmbedding::wordsOf(QStringView text) const {
    std::vector<int> found;
    Forms forms;
    std::string previous;
    std::string phrase;
    auto add = [&](int index) { found.push_back(index); };

    EnglishWords::forEachWord(text, [&](std::string_view word) {
        // Two-word phrases the model knows (venture capital, source code) say
        // more than their words; they count beside them.
        if (!previous.empty()) {
            phrase.assign(previous).append(1, ' ').append(word);
            if (const int index = model.find(phrase); index >= 0)
                add(index);
        }
        previous.assign(word);

        const int index = findWord(word, forms);
        if (index >= 0) {
            add(index);
            return;
        }
        if (index == WordVectorModel::ignoredWord || word.size() < 2 * shortestPart + 1)
            return;
        // An unknown word may be two known ones written together (fundraising,
        // smartwatch); the most even split wins.
        int bestLeft = -1;
        int bestRight = -1;
        std::size_t bestShorter = 0;
        for (std::size_t cut = shortestPart; cut + shortestPart <= word.size(); ++cut) {
            const std::size_t shorter = std::min(cut, word.size() - cut);
            if (shorter <= bestShorter)
                continue;
            const int left = model.find(word.substr(0, cut));
            if (left < 0)
                continue;
            const int right = findWord(word.substr(cut), forms);
            if (right < 0)
                continue;
            bestLeft = left;
            bestRight = right;
            bestShorter = shorter;
        }
        if (bestLeft >= 0) {
            add(bestLeft);
            add(bestRight);
        }
    });
    return found;
}

std::optional<std::vector<float>> EnglishEmbedding::embed(QStringView text) const {
    const int dimensions = model.dimensions();
    std::vector<float> sum(std::size_t(dimensions), 0.0f);
    const std::vector<int> words = wordsOf(text);
    for (int index : words)
        model.addTo(index, model.weight(index), sum.data());
    if (words.empty())
        return std::nullopt;

    for (int c = 0; c < model.commonCount(); ++c) {
        const float* common = model.commonDirection(c);
        double along = 0;
        for (int d = 0; d < dimensions; ++d)
            along += double(sum[d]) * common[d];
        for (int d = 0; d < dimensions; ++d)
            sum[d] -= float(along) * common[d];
    }
    if (!normalise(sum))
        return std::nullopt;
    // Ordinary texts share a leaning that says nothing about their topic;
    // measured from their centre, unrelated texts point apart.
    if (const float* centre = model.centre()) {
        for (int d = 0; d < dimensions; ++d)
            sum[std::size_t(d)] -= centre[d];
        if (!normalise(sum))
            return std::nullopt;
    }
    return sum;
}

bool EnglishEmbedding::normalise(std::vector<float>& vector) {
    double norm = 0;
    for (float v : vector)
        norm += double(v) * v;
    if (!(norm > 0) || !std::isfinite(norm))
        return false;
    const float inverse = float(1.0 / std::sqrt(norm));
    for (float& v : vector)
        v *= inverse;
    return true;
}

double EnglishEmbedding::unrelatedLean(const std::vector<float>& vector) const {
    double lean = 0;
    for (int u = 0; u < model.unrelatedCount(); ++u) {
        const float* direction = model.unrelatedDirection(u);
        double along = 0;
        for (std::size_t d = 0; d < vector.size(); ++d)
            along += double(vector[d]) * direction[d];
        lean = std::max(lean, along);
    }
    return lean;
}

const EnglishEmbedding::Vector& EnglishEmbedding::cachedEmbedding(const QString& text) const {
    auto it = std::find_if(cache.begin(), cache.end(),
                           [&](const CacheEntry& entry) { return entry.text == text; });
    if (it != cache.end()) {
        std::rotate(it, it + 1, cache.end());
        return cache.back().vector;
    }
    if (cache.size() == cacheSize)
        cache.erase(cache.begin());
    Vector embedded;
    if (std::optional<std::vector<float>> vector = embed(text)) {
        const double lean = unrelatedLean(*vector);
        embedded = Embedded{std::move(*vector), lean};
    }
    cache.push_back({text, std::move(embedded)});
    return cache.back().vector;
}

double EnglishEmbedding::distance(const QString& a, const QString& b) const {
    std::lock_guard lock(cacheLock);
    const Vector first = cachedEmbedding(a);
    const Vector& second = cachedEmbedding(b);
    if (!first || !second)
        return noDistance;
    double dot = 0;
    for (std::size_t d = 0; d < first->vector.size(); ++d)
        dot += double(first->vector[d]) * second->vector[d];
    // The topic descriptions lean along no unrelated direction (the trainer
    // keeps those directions apart from them), so for a note compared with
    // each topic in turn this adds the same amount to every distance: the
    // closest topic stays the closest and only the cut-off is reached sooner.
    const double lean = std::max(first->lean, second->lean);
    return model.scaledDistance(1.0 - dot + double(model.unrelatedWeight()) * lean);
}
