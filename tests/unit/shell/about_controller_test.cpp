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

TEST(AboutWindowLogic, theFirstOpeningLoadsItOnTopWithItsTexts) {
    AboutRig rig;
    rig.about.open(rig.window);
    const auto &v = rig.about.view();
    EXPECT_EQ(rig.window.calls, 1);
    EXPECT_TRUE(v.visible);
    EXPECT_EQ(v.title, "EAbout AQL Remote Console...");
    EXPECT_EQ(v.productLabel, "E40");
    EXPECT_EQ(v.product, "AQL Remote Console");
    EXPECT_EQ(v.versionLabel, "E178");
    EXPECT_EQ(v.version, "2.0.41");
    EXPECT_EQ(v.rights, "Copyright \xA9 AQL Remote Console. All rights reserved.");
    EXPECT_EQ(v.copyrightWarning, "E177");
    EXPECT_EQ(v.compatibility, "Only works with AQL version 2.10 and above");
    EXPECT_EQ(v.ok, "E27");
}

TEST(AboutWindowLogic, okHidesItAndTheNextOpeningShowsItAsItWas) {
    AboutRig rig;
    rig.about.open(rig.window);
    const shell::AboutController::View before = rig.about.view();
    rig.about.ok();
    EXPECT_FALSE(rig.about.view().visible);
    rig.asked.clear();
    rig.about.open(rig.window);
    EXPECT_TRUE(rig.about.view().visible);
    EXPECT_EQ(rig.window.calls, 1);
    EXPECT_TRUE(rig.asked.empty());
    EXPECT_EQ(rig.about.view().title, before.title);
    EXPECT_EQ(rig.about.view().version, before.version);
}

TEST(AboutWindowLogic, retranslatingSetsTitleNoticeLabelsAndOkInThatOrderAndNothingElse) {
    AboutRig rig;
    rig.about.open(rig.window);
    rig.asked.clear();
    rig.language = "N";
    rig.about.retranslate();
    EXPECT_EQ(rig.asked, (std::vector<int>{11, 177, 40, 178, 27}));
    const auto &v = rig.about.view();
    EXPECT_EQ(v.title, "NAbout AQL Remote Console...");
    EXPECT_EQ(v.copyrightWarning, "N177");
    EXPECT_EQ(v.productLabel, "N40");
    EXPECT_EQ(v.versionLabel, "N178");
    EXPECT_EQ(v.ok, "N27");
    EXPECT_EQ(v.product, "AQL Remote Console");
    EXPECT_EQ(v.version, "2.0.41");
    EXPECT_EQ(v.compatibility, "Only works with AQL version 2.10 and above");
}

TEST(AboutWindowLogic, theVersionIsTheProgramsOwn) {
    test::CountingTopmostWindow window;
    link::ProgramInfo program;
    program.major = 3;
    program.minor = 12;
    program.revision = 7;
    shell::AboutController about([](int n) { return std::to_string(n); }, program,
                                 shell::ProductInfo{"Product X", "Rights Y"});
    about.open(window);
    EXPECT_EQ(about.view().version, "3.12.7");
    EXPECT_EQ(about.view().product, "Product X");
    EXPECT_EQ(about.view().rights, "Rights Y");
}

TEST(AboutWindowLogic, aWindowTitleDropsTheAccessKeyMarkers) {
    const std::pair<const char *, const char *> cases[] = {
        {"&About AQL Remote Console...", "About AQL Remote Console..."},
        {"C&onfiguration", "Configuration"},
        {"Salt && pepper", "Salt & pepper"},
        {"ends in &", "ends in "},
        {"", ""},
        {"&&&x", "&x"},
    };
    for (const auto &[caption, title] : cases) {
        EXPECT_EQ(shell::withoutAccessKey(caption), title) << caption;
    }
}

} // namespace
} // namespace aql
