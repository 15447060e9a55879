#pragma once

#include "core/Observers.h"
#include "link/Console.h"
#include "platform/TopmostWindow.h"

#include <string>

namespace aql::shell {

// What the About window says about the program beside its version.
struct ProductInfo {
    std::string product = "AQL Remote Console";
    std::string rights = "Copyright \xA9 AQL Remote Console. All rights reserved."; // Latin-1
};

// The About window: loaded on its first opening and kept, shown modal and on top, hidden by OK.
class AboutController {
public:
    static constexpr const char *kCompatibility = "Only works with AQL version 2.10 and above";

    struct View {
        bool loaded = false;
        bool visible = false;
        std::string title; // the Help menu entry without its access-key marker
        std::string productLabel, product;
        std::string versionLabel, version;
        std::string rights;
        std::string copyrightWarning;
        std::string compatibility = kCompatibility;
        std::string ok;
    };

    AboutController(link::TextSource texts, link::ProgramInfo program = {},
                    ProductInfo product = {});

    const View &view() const { return m_view; }
    [[nodiscard]] Subscription subscribe(std::function<void()> observer) {
        return m_notifier.subscribe(std::move(observer));
    }

    // The first opening loads the window (on top, texts, product and version); later ones show
    // it again as it was.
    void open(platform::TopmostWindow &window);
    // OK: hidden, not unloaded.
    void ok();
    void retranslate();

private:
    void changed() const { m_notifier.notify(); }

    link::TextSource m_texts;
    link::ProgramInfo m_program;
    ProductInfo m_product;
    View m_view;
    ChangeNotifier m_notifier;
};

// A caption as a window title: the access-key markers go, "&&" stays one "&".
std::string withoutAccessKey(const std::string &caption);

} // namespace aql::shell
