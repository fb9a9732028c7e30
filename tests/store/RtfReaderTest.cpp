#include "store/RtfReader.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(RtfReader, ReadsTheDocumentsTextWithoutItsMarkup) {
    struct Case {
        QByteArray rtf;
        QString text;
    };
    const std::vector<Case> cases = {
        {R"({\rtf1\ansi\deff0 Hello, {\b bold} world.\par Second line.})",
         u"Hello, bold world.\nSecond line."_s},
        // Font, colour and style tables, document info and pictures are not text.
        {R"({\rtf1\ansi{\fonttbl{\f0\fswiss Helvetica;}}{\colortbl;\red255\green0\blue0;})"
         R"({\stylesheet{\s0 Normal;}}{\info{\title Secret title}{\author Someone}})"
         R"({\pict\pngblip 89504e47}\f0\fs24 Body text})",
         u"Body text"_s},
        // Ignorable destinations are skipped even when unknown.
        {R"({\rtf1{\*\generator Writer 1.0;}{\*\unknownthing hidden}Shown})", u"Shown"_s},
        // Code page bytes, Unicode with its fallback characters, escapes.
        {R"({\rtf1\ansi\ansicpg1252 caf\'e9 \'93quoted\'94 \u8364? \uc2\u8230 ab. \{braces\} \\})",
         u"caf\u00e9 \u201cquoted\u201d \u20ac \u2026. {braces} \\"_s},
        // Negative \u values are the upper half of UTF-16.
        {R"({\rtf1 \u-10179?\u-8703?})", u"\U0001F601"_s},
        {R"({\rtf1 a\tab b\cell c\row d\line e\~f\emdash g\bullet})",
         u"a\tb\tc\nd\ne\u00a0f\u2014g\u2022"_s},
        // Fields show their result, not their instruction.
        {R"({\rtf1 {\field{\*\fldinst HYPERLINK "https://x.org"}{\fldrslt Link text}}})",
         u"Link text"_s},
        {"  \r\n{\\rtf1 spaced start}\r\n\0"_ba, u"spaced start"_s},
        {R"({\rtf1 {\bin4 }}}}} after binary})", u" after binary"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RtfReader::plainText(c.rtf), c.text) << c.rtf.constData();
}

TEST(RtfReader, DamagedOrForeignInputIsAbsent) {
    for (const QByteArray& bytes :
         {QByteArray(R"({\rtf1 unclosed {\b group})"), QByteArray(R"({\rtf1 closes twice}})"),
          QByteArray(R"({\rtf1 early} }{\rtf1 more})"), QByteArray(R"({\rtf1 text\)"),
          QByteArray(R"(}{\rtf1 x})"), QByteArray("plain text, not rich text"), QByteArray("{\\rt"),
          QByteArray(), QByteArray(100000, '{'), QByteArray("{\\rtf1 ") + QByteArray(100000, '}')})
        EXPECT_EQ(RtfReader::plainText(bytes), std::nullopt) << bytes.left(60).constData();
}

TEST(RtfReader, LongDocumentIsReadWhole) {
    QByteArray rtf = R"({\rtf1\ansi )";
    QString expected;
    for (int i = 0; i < 20'000; ++i) {
        rtf += "Paragraph " + QByteArray::number(i) + " of a long letter.\\par\n";
        expected += u"Paragraph "_s + QString::number(i) + u" of a long letter.\n"_s;
    }
    rtf += "}";
    const std::optional<QString> text = RtfReader::plainText(rtf);
    ASSERT_TRUE(text);
    EXPECT_GT(text->size(), 40'000);
    EXPECT_EQ(*text, expected);
}
