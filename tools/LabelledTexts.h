#pragma once

#include <QFile>
#include <QString>
#include <QTextStream>
#include <optional>
#include <vector>

// A labelled text of the evaluation and tuning files: "TOPIC<TAB>text", or
// "None<TAB>text" for a text about none of the topics.
struct LabelledText {
    QString label;
    QString text;
};

// Every labelled line of the file at path; blank lines and lines starting
// with "#" are skipped. Absent when the file cannot be read.
inline std::optional<std::vector<LabelledText>> readLabelledTexts(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    std::vector<LabelledText> texts;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        texts.push_back({line.section(u'\t', 0, 0), line.section(u'\t', 1)});
    }
    return texts;
}
