#include "ui/Latin1Text.h"

namespace aql::ui {

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
    static const char *const kHex = "0123456789ABCDEF";
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || (b >= 0x7F && b < 0xA0)) {
            out += QLatin1Char('[');
            out += QLatin1Char(kHex[b >> 4]);
            out += QLatin1Char(kHex[b & 0x0F]);
            out += QLatin1Char(']');
        } else {
            out += QChar(static_cast<char16_t>(b));
        }
    }
    return out;
}

} // namespace aql::ui
