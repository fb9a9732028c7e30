// Reports how often the categorizer's meaning step gives a labelled text its
// topic with a given model file. Lines of the text file: "Category<TAB>text",
// with "None" for texts that belong to no topic; "#" starts a comment.
//
//   tovik_eval_embedding MODEL TEXTS [--verbose | --closest]
//   tovik_eval_embedding MODEL --neighbours WORD...   (the closest words of each)
//   tovik_eval_embedding MODEL --words TEXTS...       (each text's words and vectors, JSON)
//   tovik_eval_embedding MODEL --vocabulary           (every word of the model)

#include "LabelledTexts.h"
#include "organise/Categorizer.h"
#include "organise/CategoryTables.h"
#include "organise/EnglishEmbedding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

namespace {

void printNeighbours(const QString& modelPath, const char* word) {
    const auto embedding = EnglishEmbedding::loadFile(modelPath);
    if (!embedding)
        return;
    const WordVectorModel* model = &embedding->vectors();
    const int dimensions = model->dimensions();
    auto vectorOf = [&](int index) {
        std::vector<float> v(std::size_t(dimensions), 0.0f);
        model->addTo(index, 1.0f, v.data());
        double norm = 0;
        for (float x : v)
            norm += double(x) * x;
        for (float& x : v)
            x = float(x / std::sqrt(std::max(norm, 1e-30)));
        return v;
    };
    const int index = model->find(word);
    if (index < 0) {
        std::printf("%s: not in the model\n", word);
        return;
    }
    const std::vector<float> query = vectorOf(index);
    std::vector<std::pair<float, int>> scores;
    for (int i = 0; i < model->wordCount(); ++i) {
        const std::vector<float> v = vectorOf(i);
        float dot = 0;
        for (int d = 0; d < dimensions; ++d)
            dot += v[std::size_t(d)] * query[std::size_t(d)];
        scores.push_back({-dot, i});
    }
    std::partial_sort(scores.begin(), scores.begin() + 16, scores.end());
    std::printf("%s (weight %.2f):", word, double(model->weight(index)));
    for (int k = 1; k < 16; ++k)
        std::printf(" %s", std::string(model->text(scores[std::size_t(k)].second)).c_str());
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tovik_eval_embedding MODEL TEXTS [--verbose | --closest]\n");
        return 2;
    }
    const QString modelPath = QString::fromLocal8Bit(argv[1]);
    if (std::string_view(argv[2]) == "--describe") {
        // The words closest to each text's vector.
        auto embedding = EnglishEmbedding::loadFile(modelPath);
        if (!embedding)
            return 1;
        const WordVectorModel* words = &embedding->vectors();
        for (int a = 3; a < argc; ++a) {
            const auto text = embedding->embed(QString::fromLocal8Bit(argv[a]));
            if (!text)
                continue;
            std::vector<std::pair<float, int>> scores;
            for (int i = 0; i < words->wordCount(); ++i) {
                const auto v =
                    embedding->embed(QString::fromStdString(std::string(words->text(i))));
                if (!v)
                    continue;
                float dot = 0;
                for (std::size_t d = 0; d < v->size(); ++d)
                    dot += (*v)[d] * (*text)[d];
                scores.push_back({-dot, i});
            }
            std::partial_sort(scores.begin(), scores.begin() + 25, scores.end());
            std::printf("%s:", argv[a]);
            for (int k = 0; k < 25; ++k)
                std::printf(" %s", std::string(words->text(scores[std::size_t(k)].second)).c_str());
            std::printf("\n");
        }
        return 0;
    }
    if (std::string_view(argv[2]) == "--features") {
        // One JSON line per labelled text (and per glossary sense): what the
        // meaning step could judge a text by, for trying signals outside.
        auto embedding = EnglishEmbedding::loadFile(modelPath);
        if (!embedding)
            return 1;
        const WordVectorModel& words = embedding->vectors();
        std::vector<std::vector<float>> seeds;
        for (const auto& seed : CategoryTables::meaningSeeds())
            seeds.push_back(*embedding->embed(QString(seed.description)));
        auto dot = [](const std::vector<float>& a, const std::vector<float>& b) {
            double sum = 0;
            for (std::size_t d = 0; d < a.size(); ++d)
                sum += double(a[d]) * b[d];
            return sum;
        };
        auto list = [](const std::vector<float>& v) {
            QString out = u"["_qs;
            for (std::size_t d = 0; d < v.size(); ++d)
                out += (d ? u","_qs : QString()) + QString::number(v[d], 'g', 5);
            return out + u"]"_qs;
        };
        for (int a = 3; a < argc; ++a) {
            const auto texts = readLabelledTexts(QString::fromLocal8Bit(argv[a]));
            if (!texts)
                return 1;
            for (const auto& [label, text] : *texts) {
                const QString sentence = text + u". "_qs;
                const auto v = embedding->embed(sentence);
                if (!v)
                    continue;
                QString out = u"{\"file\":%1,\"label\":\"%2\",\"cos\":["_qs.arg(a).arg(label);
                for (std::size_t s = 0; s < seeds.size(); ++s)
                    out += (s ? u","_qs : QString()) +
                           QString::number(1.0 - dot(*v, seeds[s]), 'g', 6);
                out += u"],\"vec\":"_qs + list(*v) + u",\"words\":["_qs;
                std::vector<float> raw(std::size_t(words.dimensions()), 0.0f);
                double weightSum = 0;
                bool first = true;
                for (int index : embedding->wordsOf(sentence)) {
                    words.addTo(index, words.weight(index), raw.data());
                    weightSum += words.weight(index);
                    const auto w =
                        embedding->embed(QString::fromStdString(std::string(words.text(index))));
                    QString cosines;
                    if (w)
                        for (std::size_t s = 0; s < seeds.size(); ++s)
                            cosines += (s ? u","_qs : QString()) +
                                       QString::number(dot(*w, seeds[s]), 'g', 4);
                    out +=
                        (first ? QString() : u","_qs) +
                        u"[%1,%2,[%3]]"_qs.arg(index).arg(double(words.weight(index))).arg(cosines);
                    first = false;
                }
                double norm = 0;
                for (float x : raw)
                    norm += double(x) * x;
                out += u"],\"resultant\":%1}"_qs.arg(weightSum > 0 ? std::sqrt(norm) / weightSum
                                                                   : 0.0);
                std::printf("%s\n", qPrintable(out));
            }
        }
        return 0;
    }
    if (std::string_view(argv[2]) == "--vocabulary") {
        // Every word and phrase of the model, one a line, in the model's order.
        const auto embedding = EnglishEmbedding::loadFile(modelPath);
        if (!embedding)
            return 1;
        const WordVectorModel& model = embedding->vectors();
        for (int i = 0; i < model.wordCount(); ++i)
            std::printf("%s\n", std::string(model.text(i)).c_str());
        return 0;
    }
    if (std::string_view(argv[2]) == "--words") {
        // One JSON line per labelled text (label "Seed" for the twelve
        // descriptions, then the model's own directions): the words the step
        // counts, each with its weight and vector, for trying other ways of
        // comparing texts outside.
        auto embedding = EnglishEmbedding::loadFile(modelPath);
        if (!embedding)
            return 1;
        const WordVectorModel& words = embedding->vectors();
        const auto dimensions = std::size_t(words.dimensions());
        auto list = [&](const float* v) {
            QString out = u"["_qs;
            for (std::size_t d = 0; d < dimensions; ++d)
                out += (d ? u","_qs : QString()) + QString::number(v[d], 'g', 5);
            return out + u"]"_qs;
        };
        auto print = [&](const QString& label, const QString& text) {
            QString out = u"{\"label\":\"%1\",\"words\":["_qs.arg(label);
            bool first = true;
            for (int index : embedding->wordsOf(text)) {
                std::vector<float> v(dimensions, 0.0f);
                words.addTo(index, 1.0f, v.data());
                out +=
                    (first ? QString() : u","_qs) +
                    u"[\"%1\",%2,%3]"_qs.arg(QString::fromStdString(std::string(words.text(index))))
                        .arg(double(words.weight(index)))
                        .arg(list(v.data()));
                first = false;
            }
            std::printf("%s\n", qPrintable(out + u"]}"_qs));
        };
        for (const auto& seed : CategoryTables::meaningSeeds())
            print(u"Seed:"_qs + QString(seed.category), QString(seed.description));
        for (int c = 0; c < words.commonCount(); ++c)
            std::printf("{\"common\":%s}\n", qPrintable(list(words.commonDirection(c))));
        if (words.centre())
            std::printf("{\"centre\":%s}\n", qPrintable(list(words.centre())));
        for (int u = 0; u < words.unrelatedCount(); ++u)
            std::printf("{\"unrelated\":%s}\n", qPrintable(list(words.unrelatedDirection(u))));
        for (int a = 3; a < argc; ++a) {
            const auto texts = readLabelledTexts(QString::fromLocal8Bit(argv[a]));
            if (!texts)
                return 1;
            for (const auto& [label, text] : *texts)
                print(label, text + u". "_qs);
        }
        return 0;
    }
    if (std::string_view(argv[2]) == "--neighbours") {
        for (int i = 3; i < argc; ++i)
            printNeighbours(modelPath, argv[i]);
        return 0;
    }
    const bool verbose = argc > 3 && std::string_view(argv[3]) == "--verbose";
    const bool closest = argc > 3 && std::string_view(argv[3]) == "--closest";
    auto embedding = EnglishEmbedding::loadFile(modelPath);
    if (!embedding) {
        std::fprintf(stderr, "tovik_eval_embedding: cannot load %s\n", argv[1]);
        return 1;
    }
    const EnglishEmbedding* model = embedding.get();
    const Categorizer categorizer(
        [&embedding]() -> std::unique_ptr<SentenceEmbedding> { return std::move(embedding); });

    const auto texts = readLabelledTexts(QString::fromLocal8Bit(argv[2]));
    if (!texts) {
        std::fprintf(stderr, "tovik_eval_embedding: cannot read %s\n", argv[2]);
        return 1;
    }
    int topical = 0, right = 0, none = 0, placed = 0;
    std::map<QString, std::pair<int, int>> perTopic;
    for (const auto& [label, text] : *texts) {
        const std::optional<QString> answer = categorizer.meaningCategory(text, std::nullopt);
        const bool ok = label == u"None" ? !answer : answer == label;
        if (label == u"None") {
            ++none;
            placed += answer ? 1 : 0;
        } else {
            ++topical;
            right += ok ? 1 : 0;
            auto& [n, r] = perTopic[label];
            ++n;
            r += ok ? 1 : 0;
        }
        if (closest) {
            // The distance to the closest description, whether or not it is
            // within the cut-off: what the distance scale is fixed from.
            double nearest = SentenceEmbedding::noDistance;
            for (const auto& seed : CategoryTables::meaningSeeds())
                nearest =
                    std::min(nearest, model->distance(text + u". "_qs, QString(seed.description)));
            std::printf("%s\t%s\t%.4f\n", qPrintable(label), ok ? "right" : "wrong", nearest);
        }
        if (verbose && !ok) {
            std::printf("%-9s -> %-9s %s\n", qPrintable(label),
                        qPrintable(answer.value_or(u"-"_qs)), qPrintable(text));
            QString distances;
            for (const auto& seed : CategoryTables::meaningSeeds())
                distances +=
                    QString(seed.category) + u'=' +
                    QString::number(model->distance(text + u". "_qs, QString(seed.description)),
                                    'f', 2) +
                    u' ';
            std::printf("          %s\n", qPrintable(distances));
        }
    }
    for (const auto& [topic, counts] : perTopic)
        std::printf("%-9s %d/%d\n", qPrintable(topic), counts.second, counts.first);
    std::printf("topical: %d/%d right (%.1f %%)\n", right, topical,
                topical ? 100.0 * right / topical : 0.0);
    std::printf("off-topic: %d/%d given a category (%.1f %%)\n", placed, none,
                none ? 100.0 * placed / none : 0.0);
    return 0;
}
