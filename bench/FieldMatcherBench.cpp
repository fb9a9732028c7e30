// The field matcher's decision over many recorded field texts: labels,
// placeholders, ids and pickers of the shapes real forms use.
#include "autofill/FieldMatcher.h"

#include <QStringList>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {
// 10,000 field records built from the shapes of real forms, varied so no two
// in a row are alike.
std::vector<FieldTexts> recordedFields() {
    const QStringList labels{u"Work Email*"_s,
                             u"E-mail address"_s,
                             u"First name"_s,
                             u"Last name"_s,
                             u"Company name"_s,
                             u"Job title"_s,
                             u"Mobile number"_s,
                             u"Postal code"_s,
                             u"City"_s,
                             u"Country"_s,
                             u"Password"_s,
                             u"Confirm email"_s,
                             u"Which college did you attend?"_s,
                             u"LinkedIn profile URL"_s,
                             u"Search"_s,
                             u"Promo code"_s,
                             u"Tell us about your startup and what you hope to learn"_s,
                             u"Address line 1"_s,
                             u"State / Province"_s,
                             u"Father's name"_s};
    const QStringList ids{u"user_email"_s, u"fname"_s, u"q"_s, u"input-42"_s, u"phoneNumber"_s};
    std::vector<FieldTexts> fields;
    fields.reserve(10000);
    for (int i = 0; i < 10000; ++i) {
        FieldTexts t;
        switch (i % 4) {
        case 0:
            t.label = labels[i % labels.size()];
            break;
        case 1:
            t.before = labels[(i * 7) % labels.size()];
            t.hasCountryPicker = i % 8 == 1;
            break;
        case 2:
            t.placeholder = labels[(i * 3) % labels.size()];
            break;
        default:
            t.domId = ids[i % ids.size()];
            t.title = i % 3 ? std::optional<QString>() : labels[(i * 11) % labels.size()];
        }
        t.value = u""_s;
        fields.push_back(t);
    }
    return fields;
}

void BM_Identify10000Fields(benchmark::State& state) {
    const std::vector<FieldTexts> fields = recordedFields();
    int found = 0;
    for (auto _ : state) {
        for (const FieldTexts& f : fields)
            found += FieldMatcher::identify(f) ? 1 : 0;
    }
    benchmark::DoNotOptimize(found);
    state.counters["fields"] = double(fields.size());
}
BENCHMARK(BM_Identify10000Fields)->Unit(benchmark::kMillisecond);
} // namespace
