#include "frm_about.h"

#include "frm_about_design.h"
#include "resources/app_info.h"

#include <string>

namespace quorvel::ui {

using namespace runtime;

frmAbout::frmAbout()
    : Form(frmAboutDesign) {
    onClick(cmdOK, &frmAbout::cmdOK_Click);
}

void frmAbout::Form_Load() {
    Text1->setText(std::u16string(u"ホームページ：\r\n") + app_info::homepage + u"\r\nEメール：\r\n"
        + app_info::email);
}

void frmAbout::cmdOK_Click() {
    Unload();
}

} // namespace quorvel::ui
