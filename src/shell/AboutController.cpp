#include "shell/AboutController.h"

#include "core/TextId.h"

namespace aql::shell {

std::string withoutAccessKey(const std::string &caption) {
    std::string out;
    out.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}

AboutController::AboutController(link::TextSource texts, link::ProgramInfo program,
                                 ProductInfo product)
    : m_texts(std::move(texts)), m_program(std::move(program)), m_product(std::move(product)) {}

void AboutController::open(platform::TopmostWindow &window) {
    if (!m_view.loaded) {
        window.makeTopmost();
        retranslate();
        m_view.product = m_product.product;
        m_view.version = std::to_string(m_program.major) + "." + std::to_string(m_program.minor) +
                         "." + std::to_string(m_program.revision);
        m_view.rights = m_product.rights;
        m_view.loaded = true;
    }
    m_view.visible = true;
    changed();
}

void AboutController::ok() {
    m_view.visible = false;
    changed();
}

void AboutController::retranslate() {
    // The order the window has always filled them in.
    m_view.title = withoutAccessKey(m_texts(TextId::AboutEntry));
    m_view.copyrightWarning = m_texts(TextId::CopyrightWarning);
    m_view.productLabel = m_texts(TextId::ProductLabel);
    m_view.versionLabel = m_texts(TextId::VersionLabel);
    m_view.ok = m_texts(TextId::Ok);
    changed();
}

} // namespace aql::shell
