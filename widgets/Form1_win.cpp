#include "widgets/Form1_win.h"

#include "AssetIds.h"
#include "widgets/BarDrawing_win.h"

namespace {

constexpr int kStepDelayMs = 30;
constexpr short kLastCount = 100;

// Image1's picture is 320 x 24 pixels. The picture bar has its size, so the
// uncovered part shows the picture as Image1 does above it, and the plain
// bar below ends where they end.
constexpr TwipsRect kImage1Rect{240, 240, 4800, 360};
constexpr TwipsRect kImageBarRect{240, 720, 4800, 360};
constexpr TwipsRect kPlainBarRect{240, 1200, 4800, 255};
constexpr int kClientWidth = 5280;
constexpr int kClientHeight = 2235;

const struct {
    ControlSpec Command1{ControlKind::Button, L"Command1", {240, 1620, 1455, 375}, 1};
    ControlSpec Image1{ControlKind::Image, nullptr, kImage1Rect};
} kLayout;

}  // namespace

Form1::Form1(Ui& ui)
    : Window(TopLevelFrame{L"Form1", kClientWidth, kClientHeight,
                           WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX}),
      Command1(Add<Button>(kLayout.Command1)),
      Image1(Add<Picture>(kLayout.Image1)),
      ui_(ui) {
    ArrangeLayout();
    Image1.SetPicture(LoadPictureResource(IDB_FORM1_IMAGE));
    imageProgressBar1_ = std::make_unique<ImageProgressBar>(hwnd(), kImageBarRect, ui_);
    progressBar1_ = std::make_unique<ProgressBar>(hwnd(), kPlainBarRect, ui_);
    AddChildWindow(imageProgressBar1_.get());
    AddChildWindow(progressBar1_.get());
    OnClick(Command1, [this] { Command1_Click(); });
    Form_Load();
}

void Form1::Form_Load() {
    // Only the picture: the bar keeps its own size and stays covered.
    imageProgressBar1_->BgImage().SetPicture(CopyPicture(Image1.Bitmap()));
}

void Form1::Command1_Click() {
    for (short count = 0; count <= kLastCount; ++count) {
        ui_.Sleep(kStepDelayMs);
        // The bars yield; a window closed meanwhile has nothing left to show.
        if (!hwnd()) return;
        imageProgressBar1_->value(count);
        progressBar1_->value(count);
    }
}
