#include "shell/AboutController.h"

#include "core/TextId.h"
#include "support/WindowFakes.h"

#include <gtest/gtest.h>

#include <vector>

namespace aql {
namespace {

struct AboutRig {
    std::vector<int> asked;
    std::string language = "E";
    test::CountingTopmostWindow window;
    shell::AboutController about{[this](int n) {
        asked.push_back(n);
        if (n == TextId::AboutEntry) {
            return language + "&About AQL Remote Console...";
        }
        return language + std::to_string(n);
    }};
};

// The texts in the view as "title|product label|version label|copyright warning|ok".
std::string texts(const shell::AboutController::View &v) {
    return v.title + "|" + v.productLabel + "|" + v.versionLabel + "|" + v.copyrightWarning + "|" +
           v.ok;
}

TEST(AboutWindowLogic, opensOnTopOnceAndRetranslatingSetsOnlyItsTextsInTheirOrder) {
    AboutRig rig;
    rig.about.open(rig.window);
    const auto &v = rig.about.view();
    EXPECT_EQ(rig.window.calls, 1);
    EXPECT_TRUE(v.visible);
    EXPECT_EQ(texts(v), "EAbout AQL Remote Console...|E40|E178|E177|E27");
    EXPECT_EQ(v.product, "AQL Remote Console");
    EXPECT_EQ(v.version, "2.0.41");
    EXPECT_EQ(v.rights, "Copyright \xA9 AQL Remote Console. All rights reserved.");
    EXPECT_EQ(v.compatibility, "Only works with AQL version 2.10 and above");

    // OK hides it; the next opening shows it as it was, loaded once.
    rig.about.ok();
    EXPECT_FALSE(v.visible);
    rig.asked.clear();
    rig.about.open(rig.window);
    EXPECT_TRUE(v.visible);
    EXPECT_EQ(rig.window.calls, 1);
    EXPECT_TRUE(rig.asked.empty());

    rig.language = "N";
    rig.about.retranslate();
    EXPECT_EQ(texts(v), "NAbout AQL Remote Console...|N40|N178|N177|N27");
    EXPECT_EQ(v.product + "|" + v.version, "AQL Remote Console|2.0.41");
}

} // namespace
} // namespace aql
