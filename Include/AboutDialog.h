// The About dialog: the program's name and version, who made it, and buttons that open the
// read-me, the licence and the help that ship beside the program.
#pragma once

#include "Framework/Form.h"
#include "Framework/Layout.h"
#include "Include/Owned.h"

// Control numbers of the About dialog. Okay carries IDOK so that Enter reaches it.
enum TAboutFormControlId : int {
    idAboutOkayButton = IDOK,
    idAboutPanel = 400,
    idAboutProgramNameLabel,
    idAboutProgramVersionLabel,
    idAboutAuthorLabel,
    idAboutProgramsLabel,
    idAboutVisitMySiteButton,
    idAboutLicenseTermsButton,
    idAboutContactMeButton,
};

class TAboutForm : public TForm {
public:
    // Sets AboutForm.
    TAboutForm();
    ~TAboutForm() override;

    // Shows the dialog modally until it is closed.
    void Dialog();

    void FormActivate();
    void VisitMySiteButtonClick();
    void LicenseTermsButtonClick();
    void ContactMeButtonClick();

    // The game window fills these in while it prepares itself.
    TLabel* ProgramNameLabel = nullptr;
    TLabel* ProgramVersionLabel = nullptr;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged(int) override { layout_.Arrange(*this); }

private:
    void CreateLayout();
    void StyleLabels();

    TButton* OkayButton = nullptr;
    TLayout layout_;
};

extern TAboutForm* AboutForm;
