#include "ui/Latin1Text.h"

namespace aql::ui {

namespace {
constexpr char16_t kControlPictures = 0x2400;
constexpr char16_t kDeletePicture = 0x2421;
constexpr char16_t kReplacement = 0xFFFD;
} // namespace

QString withoutAccessKey(const QString &caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}

QString printableBytes(const std::string &bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20) {
            out += QChar(static_cast<char16_t>(kControlPictures + b));
        } else if (b == 0x7F) {
            out += QChar(kDeletePicture);
        } else if (b >= 0x80 && b < 0xA0) {
            out += QChar(kReplacement);
        } else {
            out += QChar(static_cast<char16_t>(b));
        }
    }
    return out;
}

} // namespace aql::ui
