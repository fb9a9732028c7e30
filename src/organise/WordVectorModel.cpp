#include "organise/WordVectorModel.h"

#include <QtEndian>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

constexpr char firstMagic[8] = {'T', 'O', 'V', 'I', 'K', 'W', 'V', '1'};
constexpr char secondMagic[8] = {'T', 'O', 'V', 'I', 'K', 'W', 'V', '2'};
constexpr char magic[8] = {'T', 'O', 'V', 'I', 'K', 'W', 'V', '3'};
constexpr qsizetype headerSize = 8 + 10 * 4 + 8;
constexpr qsizetype secondHeaderSize = headerSize - 8;
constexpr qsizetype firstHeaderSize = secondHeaderSize - 4;
constexpr std::uint32_t mostKnots = 64;
constexpr std::uint32_t mostUnrelated = 64;
// A weight beyond this would push any leaning text past the whole range.
constexpr float largestUnrelatedWeight = 2;
constexpr std::uint32_t largestDimensions = 1024;
constexpr std::uint32_t longestText = 255;

std::uint32_t hashOf(std::string_view text) {
    std::uint32_t hash = 2166136261u;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

std::uint64_t checksumOf(const char* data, qsizetype size) {
    std::uint64_t hash = 14695981039346656037ull;
    for (qsizetype i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(data[i]);
        hash *= 1099511628211ull;
    }
    return hash;
}

class Writer {
public:
    void u32(std::uint32_t v) {
        char b[4];
        qToLittleEndian(v, b);
        bytes.append(b, 4);
    }
    void u64(std::uint64_t v) {
        char b[8];
        qToLittleEndian(v, b);
        bytes.append(b, 8);
    }
    void f32(float v) { u32(std::bit_cast<std::uint32_t>(v)); }
    QByteArray bytes;
};

// Reads fixed-size fields; any read past the end marks the reader failed.
class Reader {
public:
    Reader(const char* data, qsizetype size) : data(data), size(size) {}
    bool has(qsizetype n) const { return !failed && n >= 0 && size - at >= n; }
    std::uint32_t u32() {
        if (!has(4))
            return fail();
        const auto v = qFromLittleEndian<std::uint32_t>(data + at);
        at += 4;
        return v;
    }
    std::uint64_t u64() {
        if (!has(8))
            return fail();
        const auto v = qFromLittleEndian<std::uint64_t>(data + at);
        at += 8;
        return v;
    }
    float f32() { return std::bit_cast<float>(u32()); }
    const char* take(qsizetype n) {
        if (!has(n)) {
            fail();
            return nullptr;
        }
        const char* p = data + at;
        at += n;
        return p;
    }
    bool atEnd() const { return !failed && at == size; }
    bool ok() const { return !failed; }

private:
    std::uint32_t fail() {
        failed = true;
        return 0;
    }
    const char* data;
    qsizetype size;
    qsizetype at = 0;
    bool failed = false;
};

} // namespace

QByteArray WordVectorModel::encode(const Contents& contents) {
    const auto dimensions = std::uint32_t(contents.dimensions);
    const auto entryCount = std::uint32_t(contents.words.size() + contents.aliases.size());
    // At most half full, so probes stay short.
    const std::uint32_t slotCount = std::bit_ceil(std::max<std::uint32_t>(2 * entryCount, 16));

    std::string text;
    std::vector<std::uint32_t> offsets;
    auto addText = [&](const std::string& t) {
        offsets.push_back(std::uint32_t(text.size()));
        text += t;
    };
    for (const Word& word : contents.words)
        addText(word.text);
    for (const Alias& alias : contents.aliases)
        addText(alias.text);

    std::vector<std::uint32_t> slots(slotCount, 0);
    auto place = [&](const std::string& t, std::uint32_t entry) {
        std::uint32_t slot = hashOf(t) & (slotCount - 1);
        while (slots[slot] != 0)
            slot = (slot + 1) & (slotCount - 1);
        slots[slot] = entry + 1;
    };

    Writer body;
    for (const std::vector<float>& direction : contents.commonDirections) {
        for (float v : direction)
            body.f32(v);
    }
    for (float v : contents.centre)
        body.f32(v);
    for (const std::vector<float>& direction : contents.unrelatedDirections) {
        for (float v : direction)
            body.f32(v);
    }
    for (const Knot& knot : contents.knots) {
        body.f32(knot.cosine);
        body.f32(knot.distance);
    }
    QByteArray quantised;
    quantised.reserve(qsizetype(contents.words.size() * dimensions));
    std::uint32_t entry = 0;
    for (const Word& word : contents.words) {
        float largest = 0;
        for (float v : word.vector)
            largest = std::max(largest, std::abs(v));
        const float scale = largest > 0 ? largest / 127.0f : 0.0f;
        for (float v : word.vector)
            quantised.append(char(scale > 0 ? std::lround(v / scale) : 0));
        body.u32(offsets[entry]);
        body.u32(std::uint32_t(word.text.size()));
        body.f32(word.weight);
        body.f32(scale);
        place(word.text, entry++);
    }
    for (const Alias& alias : contents.aliases) {
        body.u32(offsets[entry]);
        body.u32(std::uint32_t(alias.text.size()));
        body.u32(alias.target);
        place(alias.text, entry++);
    }
    for (std::uint32_t s : slots)
        body.u32(s);
    body.bytes += quantised;
    body.bytes.append(text.data(), qsizetype(text.size()));

    // A model without unrelated directions keeps the second layout, which
    // builds that do not know them still read.
    const bool second = contents.unrelatedDirections.empty() && contents.unrelatedWeight == 0;
    Writer header;
    header.bytes.append(second ? secondMagic : magic, sizeof magic);
    header.u32(dimensions);
    header.u32(std::uint32_t(contents.words.size()));
    header.u32(std::uint32_t(contents.aliases.size()));
    header.u32(slotCount);
    header.u32(std::uint32_t(text.size()));
    header.u32(std::uint32_t(contents.commonDirections.size()));
    header.u32(std::uint32_t(contents.knots.size()));
    header.u32(contents.centre.empty() ? 0 : 1);
    if (!second) {
        header.u32(std::uint32_t(contents.unrelatedDirections.size()));
        header.f32(contents.unrelatedWeight);
    }
    header.u64(checksumOf(body.bytes.constData(), body.bytes.size()));
    return header.bytes + body.bytes;
}

std::optional<WordVectorModel> WordVectorModel::decode(const QByteArray& data) {
    auto hasMagic = [&](const char* expected) {
        return data.size() >= qsizetype(sizeof magic) &&
               std::memcmp(data.constData(), expected, sizeof magic) == 0;
    };
    const bool first = hasMagic(firstMagic);
    const bool second = hasMagic(secondMagic);
    if (!first && !second && !hasMagic(magic))
        return std::nullopt;
    const qsizetype fileHeaderSize = first    ? firstHeaderSize
                                     : second ? secondHeaderSize
                                              : headerSize;
    Reader header(data.constData(), std::min(data.size(), fileHeaderSize));
    header.take(sizeof magic);
    const std::uint32_t dimensions = header.u32();
    const std::uint32_t wordCount = header.u32();
    const std::uint32_t aliasCount = header.u32();
    const std::uint32_t slotCount = header.u32();
    const std::uint32_t textBytes = header.u32();
    const std::uint32_t commonCount = header.u32();
    std::uint32_t knotCount = 0;
    std::uint32_t centreCount = 0;
    std::uint32_t unrelatedCount = 0;
    float unrelatedWeight = 0;
    if (first) {
        header.u32();
    } else {
        knotCount = header.u32();
        centreCount = header.u32();
    }
    if (!first && !second) {
        unrelatedCount = header.u32();
        unrelatedWeight = header.f32();
    }
    const std::uint64_t checksum = header.u64();
    if (!header.atEnd() || dimensions == 0 || dimensions > largestDimensions ||
        commonCount > dimensions || knotCount > mostKnots || centreCount > 1 ||
        unrelatedCount > mostUnrelated ||
        !(unrelatedWeight >= 0 && unrelatedWeight <= largestUnrelatedWeight))
        return std::nullopt;
    // Sizes are checked against the file before anything is allocated for them.
    const std::uint64_t entryCount = std::uint64_t(wordCount) + aliasCount;
    const std::uint64_t expected =
        std::uint64_t(commonCount) * dimensions * 4 + std::uint64_t(centreCount) * dimensions * 4 +
        std::uint64_t(unrelatedCount) * dimensions * 4 + std::uint64_t(knotCount) * 8 +
        std::uint64_t(wordCount) * 16 + std::uint64_t(aliasCount) * 12 +
        std::uint64_t(slotCount) * 4 + std::uint64_t(wordCount) * dimensions + textBytes;
    const qsizetype bodySize = data.size() - fileHeaderSize;
    if (std::uint64_t(bodySize) != expected || !std::has_single_bit(slotCount) ||
        slotCount <= entryCount)
        return std::nullopt;
    const char* bodyData = data.constData() + fileHeaderSize;
    if (checksumOf(bodyData, bodySize) != checksum)
        return std::nullopt;

    Reader body(bodyData, bodySize);
    WordVectorModel model;
    model.dimensionCount = int(dimensions);
    model.common.resize(std::size_t(commonCount) * dimensions);
    model.centreVector.resize(std::size_t(centreCount) * dimensions);
    model.unrelated.resize(std::size_t(unrelatedCount) * dimensions);
    model.unrelatedFactor = unrelatedWeight;
    for (auto* values : {&model.common, &model.centreVector, &model.unrelated}) {
        for (float& v : *values) {
            v = body.f32();
            if (!std::isfinite(v))
                return std::nullopt;
        }
    }
    // Knots that do not rise strictly inside (0, 2) would let a farther text
    // come out closer, or a distance leave the range callers expect.
    Knot previous;
    for (std::uint32_t k = 0; k < knotCount; ++k) {
        Knot knot;
        knot.cosine = body.f32();
        knot.distance = body.f32();
        if (!(knot.cosine > previous.cosine && knot.distance > previous.distance &&
              knot.cosine < 2 && knot.distance < 2))
            return std::nullopt;
        model.scaleKnots.push_back(knot);
        previous = knot;
    }
    model.weights.resize(wordCount);
    model.scales.resize(wordCount);
    model.entryOffsets.resize(entryCount);
    model.entryLengths.resize(entryCount);
    model.entryTargets.resize(entryCount);
    auto validText = [&](std::uint32_t offset, std::uint32_t length) {
        return length > 0 && length <= longestText && offset <= textBytes &&
               length <= textBytes - offset;
    };
    for (std::uint32_t i = 0; i < wordCount; ++i) {
        model.entryOffsets[i] = body.u32();
        model.entryLengths[i] = body.u32();
        model.weights[i] = body.f32();
        model.scales[i] = body.f32();
        model.entryTargets[i] = i;
        if (!validText(model.entryOffsets[i], model.entryLengths[i]) ||
            !std::isfinite(model.weights[i]) || model.weights[i] < 0 ||
            !std::isfinite(model.scales[i]) || model.scales[i] < 0)
            return std::nullopt;
    }
    for (std::uint64_t i = wordCount; i < entryCount; ++i) {
        model.entryOffsets[i] = body.u32();
        model.entryLengths[i] = body.u32();
        model.entryTargets[i] = body.u32();
        if (!validText(model.entryOffsets[i], model.entryLengths[i]) ||
            (model.entryTargets[i] >= wordCount && model.entryTargets[i] != ignored))
            return std::nullopt;
    }
    model.slots.resize(slotCount);
    for (std::uint32_t& slot : model.slots) {
        slot = body.u32();
        if (slot > entryCount)
            return std::nullopt;
    }
    const qsizetype vectorBytes = qsizetype(wordCount) * dimensions;
    const char* vectors = body.take(vectorBytes);
    const char* texts = body.take(textBytes);
    if (!vectors || !texts || !body.atEnd())
        return std::nullopt;
    model.vectors.resize(std::size_t(vectorBytes));
    std::memcpy(model.vectors.data(), vectors, std::size_t(vectorBytes));
    model.texts.assign(texts, textBytes);
    return model;
}

double WordVectorModel::scaledDistance(double cosineDistance) const {
    const double d = std::clamp(cosineDistance, 0.0, 2.0);
    double fromCosine = 0;
    double fromDistance = 0;
    for (const Knot& knot : scaleKnots) {
        if (d <= knot.cosine)
            return fromDistance +
                   (d - fromCosine) * (knot.distance - fromDistance) / (knot.cosine - fromCosine);
        fromCosine = knot.cosine;
        fromDistance = knot.distance;
    }
    return fromDistance + (d - fromCosine) * (2.0 - fromDistance) / (2.0 - fromCosine);
}

WordVectorModel::Contents WordVectorModel::contents() const {
    Contents contents;
    contents.dimensions = dimensionCount;
    for (int c = 0; c < commonCount(); ++c)
        contents.commonDirections.emplace_back(commonDirection(c),
                                               commonDirection(c) + dimensionCount);
    contents.centre = centreVector;
    for (int u = 0; u < unrelatedCount(); ++u)
        contents.unrelatedDirections.emplace_back(unrelatedDirection(u),
                                                  unrelatedDirection(u) + dimensionCount);
    contents.unrelatedWeight = unrelatedFactor;
    contents.knots = scaleKnots;
    for (int i = 0; i < wordCount(); ++i) {
        Word word{std::string(text(i)), weights[std::size_t(i)],
                  std::vector<float>(std::size_t(dimensionCount), 0.0f)};
        addTo(i, 1.0f, word.vector.data());
        contents.words.push_back(std::move(word));
    }
    for (std::size_t e = weights.size(); e < entryTargets.size(); ++e)
        contents.aliases.push_back(
            {std::string(std::string_view(texts).substr(entryOffsets[e], entryLengths[e])),
             entryTargets[e]});
    return contents;
}

std::string_view WordVectorModel::text(int index) const {
    return std::string_view(texts).substr(entryOffsets[index], entryLengths[index]);
}

int WordVectorModel::find(std::string_view word) const {
    const auto mask = std::uint32_t(slots.size() - 1);
    std::uint32_t slot = hashOf(word) & mask;
    // Bounded by the table size: a file whose table has no empty slot still ends.
    for (std::size_t probe = 0; probe < slots.size(); ++probe, slot = (slot + 1) & mask) {
        const std::uint32_t entry = slots[slot];
        if (entry == 0)
            return notFound;
        const std::uint32_t e = entry - 1;
        if (std::string_view(texts).substr(entryOffsets[e], entryLengths[e]) == word)
            return entryTargets[e] == ignored ? ignoredWord : int(entryTargets[e]);
    }
    return notFound;
}

void WordVectorModel::addTo(int index, float factor, float* sum) const {
    const float f = factor * scales[index];
    const std::int8_t* v = vectors.data() + std::size_t(index) * dimensionCount;
    for (int d = 0; d < dimensionCount; ++d)
        sum[d] += f * float(v[d]);
}
