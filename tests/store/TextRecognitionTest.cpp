#include "store/TextRecognition.h"

#include "platform/memory/MemoryTextRecognizer.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QImage page() {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Lives for the whole test program: a pass that is not waited for may still
// be running when a test ends.
MemoryTextRecognizer& recognizer() {
    static auto* shared = new MemoryTextRecognizer;
    return *shared;
}

} // namespace

TEST(TextRecognition, AccurateReadingWinsWhenItFinishesInTime) {
    recognizer().read({u"fast Iine"_s, u"two"_s}, {u"fast line"_s, u"two"_s}, 20ms);
    EXPECT_EQ(TextRecognition::ocr(recognizer(), page()), u"fast line\ntwo"_s);
}

TEST(TextRecognition, FastReadingStandsInWhenTheAccuratePassIsTooSlow) {
    recognizer().read({u"quick guess"_s}, {u"careful reading"_s}, 3000ms);
    EXPECT_EQ(TextRecognition::ocr(recognizer(), page(), 50ms), u"quick guess"_s);
}

TEST(TextRecognition, NoWordsOrNoImageIsAbsent) {
    recognizer().read({u"only the fast pass saw this"_s}, {}, 0ms);
    EXPECT_EQ(TextRecognition::ocr(recognizer(), page()), std::nullopt);
    recognizer().read({}, {}, 0ms);
    EXPECT_EQ(TextRecognition::ocr(recognizer(), page()), std::nullopt);
    const int calls = recognizer().callCount();
    EXPECT_EQ(TextRecognition::ocr(recognizer(), QImage()), std::nullopt);
    EXPECT_EQ(recognizer().callCount(), calls);
}
