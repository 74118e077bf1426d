#pragma once
#include <memory>

#include "platform/Ui.h"
#include "platform/Window_win.h"
#include "widgets/ImageProgressBar_win.h"
#include "widgets/ProgressBar_win.h"

// The demonstration window of the two progress bars: "Command1" counts from
// 0 to 100 and writes every count to both bars. The wizard never opens it.
class Form1 : public Window {
public:
    explicit Form1(Ui& ui);

    void Show();
    void Command1_Click();

    ImageProgressBar& ImageProgressBar1() { return *imageProgressBar1_; }
    ProgressBar& ProgressBar1() { return *progressBar1_; }

private:
    Ui& ui_;
    std::unique_ptr<ImageProgressBar> imageProgressBar1_;
    std::unique_ptr<ProgressBar> progressBar1_;
};
