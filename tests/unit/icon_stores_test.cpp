// The keyed picture stores: one capture per system icon, the first picture under a key kept.
#include "catalogue/icon_stores.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace ft {
namespace {

TEST(ImageKey, IsTheExtensionBetweenTwoHashesCaseKept) {
    EXPECT_EQ(ImageKey(L"txt"), L"#txt#");
    EXPECT_EQ(ImageKey(L"TxT"), L"#TxT#");
    EXPECT_EQ(ImageKey(L""), L"##");
}

TEST(IconStores, ASecondPictureUnderAKeyIsRefusedAndTheFirstKept) {
    fakes::FakeIconCapture capture;
    IconStores stores(capture);
    ASSERT_TRUE(stores.Store(L"#a#", 5));
    const auto first = stores.Lookup(L"#a#");
    ASSERT_TRUE(first.has_value());

    EXPECT_FALSE(stores.Store(L"#a#", 6));
    EXPECT_EQ(stores.Lookup(L"#a#"), first);
    EXPECT_EQ(capture.captured, std::vector<int>{5});  // nothing drawn for the refused one
    EXPECT_EQ(stores.KeyCount(), 1u);
}

TEST(IconStores, ExtensionsSharingASystemIconShareOneCapture) {
    fakes::FakeIconCapture capture;
    IconStores stores(capture);
    const std::pair<const wchar_t*, int> stored[] = {{L"#a#", 5}, {L"#b#", 5}, {L"##", 7}, {L"#d#", 5}};
    for (const auto& [key, icon] : stored) {
        EXPECT_TRUE(stores.Store(key, icon)) << key;
    }
    EXPECT_EQ(capture.captured, (std::vector<int>{5, 7}));
    EXPECT_EQ(stores.KeyCount(), 4u);
    EXPECT_EQ(stores.CaptureCount(), 2u);
    EXPECT_EQ(stores.Lookup(L"#b#"), stores.Lookup(L"#a#"));
    EXPECT_EQ(stores.Lookup(L"#d#"), stores.Lookup(L"#a#"));
    ASSERT_TRUE(stores.Lookup(L"##").has_value());
    EXPECT_NE(stores.Lookup(L"##"), stores.Lookup(L"#a#"));
}

TEST(IconStores, NothingIsStoredWithoutAPicture) {
    fakes::FakeIconCapture capture;
    capture.failing = {5};
    IconStores stores(capture);
    EXPECT_FALSE(stores.Store(L"#a#", 5));   // the drawing failed
    EXPECT_FALSE(stores.Store(L"#b#", -1));  // the shell named no icon
    EXPECT_EQ(stores.Lookup(L"#a#"), std::nullopt);
    EXPECT_EQ(stores.Lookup(L"#b#"), std::nullopt);
    EXPECT_EQ(stores.Lookup(L"#never#"), std::nullopt);
    EXPECT_EQ(stores.KeyCount(), 0u);

    EXPECT_TRUE(stores.Store(L"#c#", 6));  // a failure does not spoil the stores
    EXPECT_TRUE(stores.Lookup(L"#c#").has_value());
}

}  // namespace
}  // namespace ft
