#pragma once

#include <QString>

#include <string>

// The logic's texts are single-byte Latin-1 strings (language files, the site file and the
// controller's bytes are all in that code page); these convert at the edge of a window.
namespace aql::ui {

inline QString fromLatin1(const std::string &text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Characters outside Latin-1 become '?', as the files they end up in cannot hold them.
inline std::string toLatin1(const QString &text) {
    return text.toLatin1().toStdString();
}

// A caption without its access-key marker, for accessible names: "&Save" reads "Save", a doubled
// "&&" stands for one "&".
QString withoutAccessKey(const QString &caption);

// Raw bytes as a service engineer can read them: bytes without a glyph (0x00-0x1F, 0x7F-0x9F)
// become their hexadecimal value in brackets, "[0D]", so a frame's every byte stays visible.
// Brackets never occur in the controller's replies, whose payload characters run from "0" to "?".
QString printableBytes(const std::string &bytes);

} // namespace aql::ui
