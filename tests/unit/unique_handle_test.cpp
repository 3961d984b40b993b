// The owning handle releases every value it held exactly once, whoever held it last.
#include "platform/unique_handle.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace ft {
namespace {

struct Record {
    std::vector<int>* released = nullptr;
    void operator()(int value) const { released->push_back(value); }
};
using Owned = Unique<int, Record>;

TEST(UniqueHandle, MoveHandsTheValueOnAndResetReleasesWhatWasHeldOnce) {
    std::vector<int> released;
    {
        Owned first(1, Record{&released});
        Owned second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), 1);

        Owned third(2, Record{&released});
        third = std::move(second);  // the 2 it held goes; the 1 is taken over, not released
        EXPECT_EQ(released, std::vector<int>{2});
        EXPECT_FALSE(second);

        third.reset(3);
        third.reset();
        third.reset();  // empty: nothing more to release
        EXPECT_EQ(released, (std::vector<int>{2, 1, 3}));

        *third.put() = 4;  // filled through the pointer, as an out parameter
        EXPECT_EQ(third.release(), 4);
        third.reset(5);
    }
    EXPECT_EQ(released, (std::vector<int>{2, 1, 3, 5}));  // the moved-from ones released nothing
}

}  // namespace
}  // namespace ft
