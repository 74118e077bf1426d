#include "widgets/Form1_win.h"

#include <vector>

#include "AssetIds.h"

namespace {

constexpr int kStepDelayMs = 30;
constexpr TwipsRect kImageBarRect{240, 240, 4815, 360};
constexpr TwipsRect kPlainBarRect{240, 840, 4815, 255};

const std::vector<ControlSpec>& Layout() {
    static const std::vector<ControlSpec> layout = {
        {L"Command1", ControlKind::Button, L"Command1", {240, 1200, 1455, 375}, 1},
        // Only the source of the picture bar's picture.
        {L"Image1", ControlKind::Image, nullptr, kImageBarRect, 0, false},
    };
    return layout;
}

}  // namespace

Form1::Form1(Ui& ui) : ui_(ui) {
    CreateTopLevel(L"Form1", 5295, 1815, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    AddLayout(Layout());
    (*this)[L"Image1"].SetPicture(LoadPictureResource(IDB_FORM1_IMAGE));
    imageProgressBar1_ = std::make_unique<ImageProgressBar>(hwnd(), kImageBarRect, ui_);
    progressBar1_ = std::make_unique<ProgressBar>(hwnd(), kPlainBarRect, ui_);
    AddChildWindow(imageProgressBar1_.get());
    AddChildWindow(progressBar1_.get());
    // Form_Load: the picture bar shows Image1's picture.
    imageProgressBar1_->BgImage().SetPicture(static_cast<HBITMAP>(
        ::CopyImage((*this)[L"Image1"].Picture(), IMAGE_BITMAP, 0, 0, 0)));
    OnClick(L"Command1", [this] { Command1_Click(); });
}

void Form1::Show() {
    ::ShowWindow(hwnd(), SW_SHOW);
    ::UpdateWindow(hwnd());
}

void Form1::Command1_Click() {
    for (short i = 0; i <= 100; ++i) {
        ui_.Sleep(kStepDelayMs);
        imageProgressBar1_->value(i);
        progressBar1_->value(i);
    }
}
