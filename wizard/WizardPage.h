#pragma once

// What the wizard window requires of its pages: a visibility it reads and
// sets, and for pages 2 and 3 the operations it calls when the user leaves.
class WizardPage {
public:
    virtual ~WizardPage() = default;
    virtual bool Visible() const = 0;
    // Becoming visible runs the page's own show handling.
    virtual void SetVisible(bool visible) = 0;
};

class DownloadPage : public WizardPage {
public:
    // false: nothing was running and the temporary folder is deleted, the
    // window may close. true: running work was asked to stop; stay open.
    virtual bool Cancel() = 0;
};

class FinishPage : public WizardPage {
public:
    virtual void Fertigstellen() = 0;
    virtual void Cancel() = 0;
};
