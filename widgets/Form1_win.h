#pragma once
#include <memory>

#include "ui/Ui.h"
#include "ui/Window_win.h"
#include "widgets/ImageProgressBar_win.h"
#include "widgets/ProgressBar_win.h"

// The demonstration window of the two progress bars: it shows its picture
// Image1, the picture bar ImageProgressBar1 with Image1's picture, the plain
// bar ProgressBar1, and "Command1", which counts from 0 to 100 and writes
// every count to both bars. The wizard never opens it.
class Form1 : public Window {
public:
    // Created hidden; SetVisible(true) shows it.
    explicit Form1(Ui& ui);

    ImageProgressBar& ImageProgressBar1() { return *imageProgressBar1_; }
    ProgressBar& ProgressBar1() { return *progressBar1_; }

    Button& Command1;
    Picture& Image1;

private:
    void Form_Load();
    void Command1_Click();

    Ui& ui_;
    std::unique_ptr<ImageProgressBar> imageProgressBar1_;
    std::unique_ptr<ProgressBar> progressBar1_;
};
