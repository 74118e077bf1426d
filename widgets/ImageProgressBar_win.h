#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Clock_win.h"
#include "ui/Ui.h"
#include "ui/Window_win.h"

// A picture covered from its left edge by a rectangle in the button-face
// colour. The rectangle shrinks as the value grows and so uncovers the
// picture from the right: at 0 the picture is hidden, at Max it is whole.
// Page 2 shows the download progress in one.
class ImageProgressBar : public Window {
public:
    // Starts at Max 100 and value 0, the whole control covered. The inner
    // picture has no picture until a caller gives it one.
    ImageProgressBar(HWND parent, const TwipsRect& rect, Ui& ui,
                     const Clock& clock = SystemClock());

    // The rectangle moves at most this often; a value written sooner is shown
    // when the interval is over, and the ones written meanwhile never are.
    // Under Wine every move of it costs two repaints and some twenty trips to
    // the window system: on a slow download, a move for every pixel cost more
    // CPU time than the transfer. This is the pace of the size line beside it.
    static constexpr unsigned kMoveIntervalMs = Control::kTextIntervalMs;

    short value() const { return value_; }
    // Stores the value, sizes the covering rectangle to (Max - v) / Max of
    // the control's width (0 and Max at once, others at the pace above) and
    // yields to the event loop once. For Max 0
    // (std::domain_error) or a value above Max (std::invalid_argument) the
    // value stays stored, the drawing stays and nothing is yielded.
    void value(short v);

    short Max() const { return max_; }
    // Takes effect at the next write of value.
    void Max(short m) { max_ = m; }

    // The inner picture control itself, so that a caller can set its picture.
    Picture& BgImage() { return *backgroundImage_; }
    // Adopts a copy of another picture control's picture and that control's
    // size, for the picture and the covering rectangle alike: the new
    // picture is fully covered until the next write of value. The control
    // itself keeps its size.
    void BgImage(const Picture& picture);

    // The covering colour as a decimal number in text form. Writing takes
    // that form back (see ColorText.h for what fails); besides RGB values it
    // takes the system-colour form 0x800000nn, drawn in system colour nn.
    // A number that is neither fails with std::invalid_argument. After a
    // failure the colour stays.
    std::wstring Color() const;
    void Color(const std::wstring& text);

    // Writes 0 to value: the whole picture covered again.
    void Reset() { value(0); }

    // The covering rectangle.
    Picture& StatusBar() { return *statusBar_; }
    // The progress control beneath the picture; it shows the value the cover shows.
    HWND PositionControl() const { return position_->hwnd(); }

    void ApplyDpi(UINT dpi) override;

protected:
    void OnVisibleChanged(bool visible) override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void SetCover(double width);
    void MoveCoverWhenDue();
    void ShowPosition();

    Ui& ui_;
    const Clock& clock_;
    // When the rectangle last moved for a value; none before the first.
    std::optional<std::uint64_t> lastMove_;
    bool moveWaiting_ = false;
    Picture* backgroundImage_ = nullptr;
    Picture* statusBar_ = nullptr;
    Control* position_ = nullptr;
    short max_ = 100;
    short value_ = 0;
    std::int32_t color_ = 0;  // as written, before a system colour is looked up
    double coverWidth_ = 0;   // exact, in twips; StatusBar holds the whole twips drawn for it
};
