#pragma once

#include "store/PageInfo.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

// Reads the title, readable text, preview image and icon out of a web page's
// bytes. Works in time proportional to the page, whatever its markup: tags
// left open never make a search run to the end of the page more than once.
namespace PageParser {

inline constexpr qsizetype maxDecodedBytes = 2'000'000;
inline constexpr qsizetype maxTextCharacters = 20'000;

// Everything the page yields; pageUrl resolves relative image and icon paths.
PageInfo parse(const QByteArray& bytes, const QUrl& pageUrl);

// The first maxDecodedBytes bytes as UTF-8, or as ISO Latin-1 when they are
// not valid UTF-8 (a cut inside a character included).
std::optional<QString> decode(const QByteArray& bytes);

// The title element's content without tags and the seven named entities
// decoded, trimmed; absent when the page has no title element.
std::optional<QString> title(const QString& page);

// The page without script, style, noscript, svg, header, footer and nav
// elements and without tags, entities decoded, white space folded, cut to
// maxTextCharacters; absent when nothing is left.
std::optional<QString> text(const QString& page);

// The raw (entity-encoded) href of the first og:image / twitter:image meta tag.
std::optional<QString> previewImageValue(const QString& page);

// The raw href of the first icon link tag.
std::optional<QString> iconValue(const QString& page);

// "&amp;", "&lt;", "&gt;", "&quot;", "&#39;", "&apos;" and "&nbsp;" as plain
// text; no other entity and no numeric reference.
QString decodeEntities(QString text);

} // namespace PageParser
