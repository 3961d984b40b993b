#pragma once
// The window that stands while the start-up scan runs: two lines of text, a picture, a bar
// and the percentage. It has no behaviour of its own; the scan drives it.
#include <string>

#include "catalogue/views.h"
#include "ui/common/owned_window.h"
#include "ui/rules/figure_pacer.h"

namespace ft::ui {

class ProgressWindow : public OwnedWindow, public ProgressView {
public:
    explicit ProgressWindow(HWND owner);

    void Show() override;
    void SetPercentText(const std::wstring& text) override;
    void SetBarValue(int value) override;
    void Close() override;

protected:
    void OnBuilt() override;
    void OnDpiApplied() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    UniqueFont labelFont_;
    UniqueFont percentFont_;
    UniqueIcon picture_;
    std::wstring percentText_ = L"0";
    int barValue_ = 0;
    FigurePacer textPacer_;
    FigurePacer barPacer_;
};

}  // namespace ft::ui
