#pragma once
// The window that stands while the start-up scan runs: two lines of text, a picture, a bar
// and the percentage. It has no behaviour of its own; the scan drives it.
#include <string>

#include "catalogue/views.h"
#include "ui/common/layout.h"
#include "ui/common/window.h"

namespace ft::ui {

class SplashWindow : public Window, public ProgressView {
public:
    explicit SplashWindow(HWND owner) : owner_(owner) {}

    void Show() override;
    void SetPercentText(const std::wstring& text) override;
    void SetBarValue(int value) override;
    void Close() override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Build();
    void ApplyDpi(UINT dpi);

    HWND owner_;
    UINT dpi_ = 96;
    FontHandle defaultFont_;
    FontHandle labelFont_;
    HICON picture_ = nullptr;
    std::wstring percentText_ = L"0";
    int barValue_ = 0;
};

}  // namespace ft::ui
