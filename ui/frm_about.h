#pragma once

// The About window: the program's icon, title, version and description, and the maker's web page
// and e-mail address. The main window's `about` item shows its one default instance, modeless.
//
// How the pieces meet: the design (positions in twips, captions as shown) is plain data in
// frm_about.cpp; when the window is loaded the runtime (runtime/) builds the controls from it
// and binds each member below to the widget of the same name, as for the main window (form1.h).
// Form_Load fills in the maker's addresses, which CMake keeps (resources/app_info.h); cmdOK, Enter
// and Esc unload the window, and the next Show loads it afresh.

#include "runtime/controls.h" // the toolkit's controls, picked by CMake
#include "runtime/form.h"

namespace quorvel::ui {

class frmAbout : public runtime::Form {
public:
    frmAbout();

    // The controls, in tab order, and the separator, named as designed.
    runtime::Control<runtime::CommandButton> cmdOK { *this, "cmdOK" };
    runtime::Control<runtime::PictureBox> picIcon { *this, "picIcon" };
    runtime::Control<runtime::Label> lblDescription { *this, "lblDescription" };
    runtime::Control<runtime::Label> lblTitle { *this, "lblTitle" };
    runtime::Control<runtime::Label> lblVersion { *this, "lblVersion" };
    runtime::Control<runtime::TextBox> Text1 { *this, "Text1" };
    runtime::ControlArray<runtime::Line> Line1 { *this, "Line1" };

protected:
    void Form_Load() override;

private:
    void cmdOK_Click();
};

} // namespace quorvel::ui
