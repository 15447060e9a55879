#pragma once

#include <QString>

#include <string>

namespace aql::ui {

// The program's texts are single-byte (Latin-1), as the language files and records hold them.
inline QString fromLatin1(const std::string &text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A caption as assistive tools should read it: the access-key markers gone, "&&" one "&".
QString withoutMnemonic(const QString &caption);

} // namespace aql::ui
