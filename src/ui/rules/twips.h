#pragma once
// Design sizes are in twips (1/1440 inch): every window turns them into pixels at its DPI.
namespace ft {

inline constexpr int kTwipsPerInch = 1440;
int TwipsToPixels(int twips, int dpi);

}  // namespace ft
