#pragma once

#include <QByteArray>
#include <QString>

// What must hold for any bytes handed to the readers of untrusted input. Each
// check runs one reader over the bytes and answers a description of the first
// broken promise, or an empty string. The fuzz targets abort on an answer;
// the unit tests replay the seed and regression inputs through the same checks.
namespace ParserChecks {

// A decoded index encodes and decodes again to the same items: what the store
// reads it can write back without the next start finding the file unreadable.
QString indexDecoder(const QByteArray& bytes);

// The page's text is trimmed (a cut at the cap may end in a space), non-empty
// and within its cap; the title is
// trimmed; the image and icon addresses are absolute and valid.
QString pageParser(const QByteArray& bytes);

// The plain text is never longer than the document it comes from.
QString rtfReader(const QByteArray& bytes);

// Decoded people encode and decode again to the same people.
QString peopleFile(const QByteArray& bytes);

// The profile reader's meta and title scanners find what the regular
// expressions they stand for find (on inputs small enough for those to
// finish), and decoding leaves no numeric reference behind.
QString profilePage(const QByteArray& bytes);

// A model file that decodes encodes and decodes again to the same words and
// scale; every word is found by its own text; the distance scale rises from
// 0 to 2 and never falls.
QString wordVectors(const QByteArray& bytes);

} // namespace ParserChecks
