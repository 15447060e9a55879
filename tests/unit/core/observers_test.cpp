#include "core/Observers.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using aql::ChangeNotifier;
using aql::Subscription;

TEST(ChangeNotifier, everyObserverHearsUntilItsSubscriptionEndsEvenWhileBeingNotified) {
    ChangeNotifier n;
    std::vector<int> heard;
    Subscription a = n.subscribe([&] { heard.push_back(1); });
    std::optional<Subscription> b = n.subscribe([&] { heard.push_back(2); });
    n.notify();
    b.reset();
    n.notify();
    Subscription moved = std::move(a);
    n.notify();
    moved.reset();
    n.notify();
    EXPECT_EQ(heard, (std::vector<int>{1, 2, 1, 1}));
    EXPECT_EQ(n.observerCount(), 0u);

    // An observer may end another's subscription, or its own, while being notified.
    heard.clear();
    Subscription second;
    Subscription first = n.subscribe([&] {
        heard.push_back(1);
        second.reset(); // the later observer must not be called any more
        first.reset();  // nor this one, from the next notification on
    });
    second = n.subscribe([&] { heard.push_back(2); });
    n.notify();
    n.notify();
    EXPECT_EQ(heard, (std::vector<int>{1}));

    // A subscription that outlives its notifier ends without touching it (the sanitizer build
    // catches a use after free here).
    Subscription late;
    {
        ChangeNotifier gone;
        late = gone.subscribe([&] { heard.push_back(3); });
        gone.notify();
    }
    late.reset();
    EXPECT_EQ(heard.back(), 3);
}
