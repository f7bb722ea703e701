#pragma once

// quorvel's main window.
//
// How the pieces meet: the design of this window (positions in twips, captions as shown) is plain
// data in form1_design.cpp. When the window is loaded, the runtime (runtime/, with the toolkit's
// part in runtime/qt/ or runtime/win32/) builds the controls from that data and binds each member
// below to the widget of the same name; a member and a design entry that do not match stop the
// first load with an internal error. The runtime calls the handlers below on clicks (wired by
// member in the constructor) and reports runtime errors such as Overflow. The handlers only read
// and write control properties; the count rule itself lives in counting/, free of any window code.

#include "base/numbers.h"
#include "runtime/controls.h" // the toolkit's controls, picked by CMake
#include "runtime/form.h"

namespace quorvel::ui {

class Form1 : public runtime::Form {
public:
    Form1();

    /// Twice the number of CR LF pairs in the text of Text1.
    runtime::Integer crlf();
    /// The number of full-width spaces in the text of Text1, or 0 when Check1 says to count them.
    runtime::Integer zen();

    // The controls, in tab order, and the menu, named as designed.
    runtime::Control<runtime::CommandButton> Command1 { *this, "Command1" };
    runtime::Control<runtime::Label> Label1 { *this, "Label1" };
    runtime::Control<runtime::TextBox> Text1 { *this, "Text1" };
    runtime::Control<runtime::CommandButton> Command2 { *this, "Command2" };
    runtime::Control<runtime::Label> Label2 { *this, "Label2" };
    runtime::Control<runtime::CheckBox> Check1 { *this, "Check1" };
    runtime::Control<runtime::Menu> file { *this, "file" };
    runtime::Control<runtime::MenuItem> about { *this, "about" };
    runtime::Control<runtime::MenuItem> end { *this, "end" };

protected:
    void Form_Load() override;

private:
    void Command1_Click();
    void Command2_Click();
    void about_Click();
    void end_Click();
};

} // namespace quorvel::ui
