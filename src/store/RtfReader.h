#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Plain text of Rich Text Format documents. Our own small reader: no library
// packaged for the system reads RTF in-process (converters such as unrtf run
// as separate programs, and the office suites' filters need the whole suite).
namespace RtfReader {

// The document's text: paragraphs end with a line feed, cells with a tab,
// formatting, fonts, pictures and other hidden destinations are dropped.
// Absent when bytes do not start an RTF document or its groups do not
// balance (a brace closing nothing, or groups left open at the end).
std::optional<QString> plainText(const QByteArray& bytes);

} // namespace RtfReader
