#pragma once

// The About window: the program's icon, title, version and description, and the maker's web page
// and e-mail address. The main window's `about` item shows its one default instance, modeless.

#include "runtime/form.h"

namespace quorvel::ui {

class frmAbout : public runtime::Form {
public:
    frmAbout();

protected:
    void Form_Load() override;

private:
    void cmdOK_Click();
};

} // namespace quorvel::ui
