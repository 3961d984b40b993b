// The windows' rules that need no window: the main window's smallest size, the progress
// percentage and its pace, the caption, the twips conversion and the cutting of a tooltip.
#include "catalogue/scan_progress.h"
#include "ui/rules/figure_pacer.h"
#include "ui/rules/minimum_size.h"
#include "ui/rules/tip_text.h"
#include "ui/rules/twips.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace ft {
namespace {

TEST(EnforceMinimumSize, WidensAndHeightensUpToTheSmallestSizeOnlyWhenNeeded) {
    const Size minimum{kMinOuterWidthTwips, kMinOuterHeightTwips};
    EXPECT_EQ(minimum, (Size{7440, 5010}));

    EXPECT_EQ(EnforceMinimumSize({7000, 6000}, minimum, false), (Size{7440, 6000}));
    EXPECT_EQ(EnforceMinimumSize({7440, 6000}, minimum, false), std::nullopt);
    EXPECT_EQ(EnforceMinimumSize({7441, 6000}, minimum, false), std::nullopt);
    EXPECT_EQ(EnforceMinimumSize({8000, 4000}, minimum, false), (Size{8000, 5010}));
    EXPECT_EQ(EnforceMinimumSize({8000, 5010}, minimum, false), std::nullopt);
    EXPECT_EQ(EnforceMinimumSize({8000, 5011}, minimum, false), std::nullopt);
    EXPECT_EQ(EnforceMinimumSize({100, 100}, minimum, false), (Size{7440, 5010}));
    EXPECT_EQ(EnforceMinimumSize({0, 0}, minimum, true), std::nullopt);  // minimized: left alone
}

TEST(ScanPercent, RoundsHalfToEvenAndStopsAtAFullBar) {
    // Beyond the scan's own cases: 2.5 and 6.5 round down to even, 5.5 and 7.5 up; 21/600*100
    // is a hair above 3.5.
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {0, 0}, {15, 2}, {21, 4}, {33, 6}, {39, 6}, {45, 8}, {599, 100},
        {std::numeric_limits<std::int32_t>::max(), 100}};
    for (const auto& [count, percent] : cases) EXPECT_EQ(ScanPercent(count), percent) << count;
}

TEST(FigurePacer, AChangeShowsOnceTheShownValueHasStoodForTheInterval) {
    FigurePacer pacer;
    constexpr std::uint32_t start = 0xFFFFFFF0u;  // the tick count wraps around on the way
    EXPECT_TRUE(pacer.ShowsNow(start));
    EXPECT_FALSE(pacer.ShowsNow(start + 0xF));  // before the wrap
    EXPECT_FALSE(pacer.ShowsNow(start + FigurePacer::kIntervalMs - 1));
    EXPECT_TRUE(pacer.ShowsNow(start + FigurePacer::kIntervalMs));
    EXPECT_FALSE(pacer.ShowsNow(start + FigurePacer::kIntervalMs + 1));
}

TEST(MainWindowTexts, PercentAndCountCaption) {
    EXPECT_EQ(PercentText(37), L"37%");
    EXPECT_EQ(PercentText(0), L"0%");
    EXPECT_EQ(CountCaption(512), L"本机文件类型数量：512个");
    EXPECT_EQ(CountCaption(12345), L"本机文件类型数量：12345个");  // no grouping
}

TEST(TwipsToPixels, FifteenTwipsAPixelAt96DpiAndScaledWithTheDpi) {
    EXPECT_EQ(TwipsToPixels(7440, 96), 496);
    EXPECT_EQ(TwipsToPixels(5010, 96), 334);
    EXPECT_EQ(TwipsToPixels(1488, 96), 99);   // 99.2
    EXPECT_EQ(TwipsToPixels(5952, 96), 397);  // 396.8
    EXPECT_EQ(TwipsToPixels(7440, 144), 744);
    EXPECT_EQ(TwipsToPixels(7290, 192), 972);
}

TEST(CutToFit, ALongLineIsCutAndTheLinesThatExplainItStayWhole) {
    const auto within = [](std::size_t chars) { return [chars](const std::wstring& t) { return t.size() <= chars; }; };
    const std::wstring tip = L"菜单中显示为：Verb 1\r\n命令行：" + std::wstring(5000, L'x') + L"\r\n找不到程序：ftlong.exe";
    EXPECT_EQ(CutToFit(tip, 1023, within(60)), L"菜单中显示为：Verb 1\r\n命令行：" + std::wstring(22, L'x') + L"…\r\n找不到程序：ftlong.exe");
    // One line, or notes too long to keep whole: the text's start is kept.
    EXPECT_EQ(CutToFit(std::wstring(50, L'y'), 1023, within(10)), std::wstring(9, L'y') + L"…");
    EXPECT_EQ(CutToFit(L"ab\n" + std::wstring(50, L'y'), 10, within(100)), L"ab\n" + std::wstring(6, L'y') + L"…");
}

}  // namespace
}  // namespace ft
