#pragma once

// quorvel's main window.
//
// How the pieces meet: the design of this window (design values in twips, captions as shown) is
// plain data in form1_design.cpp; the runtime (runtime/) builds the Qt widgets from it, calls the
// handlers below on clicks and reports runtime errors such as Overflow; the count rule itself lives
// in counting/, free of Qt. The handlers only read and write control properties.

#include "runtime/form.h"
#include "runtime/core/numbers.h"

namespace quorvel::ui {

class Form1 : public runtime::Form {
public:
    Form1();

    /// Twice the number of CR LF pairs in the text of Text1.
    runtime::Integer crlf();
    /// The number of full-width spaces in the text of Text1, or 0 when Check1 says to count them.
    runtime::Integer zen();

protected:
    void Form_Load() override;

private:
    void Command1_Click();
    void Command2_Click();
    void about_Click();
    void end_Click();
};

} // namespace quorvel::ui
