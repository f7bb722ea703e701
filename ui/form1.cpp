#include "form1.h"

#include "counting/count.h"
#include "form1_design.h"
#include "frm_about.h"
#include "runtime/program.h"
#include "runtime/strings.h"

#include <string>

namespace quorvel::ui {

using namespace runtime;

Form1::Form1()
    : Form(form1Design) {
    onClick(Command1, &Form1::Command1_Click);
    onClick(Command2, &Form1::Command2_Click);
    onClick(about, &Form1::about_Click);
    onClick(end, &Form1::end_Click);
}

void Form1::Form_Load() {
    Label2->setCaption(
        std::u16string(u"上のﾃｷｽﾄﾎﾞｯｸｽに、ﾃｷｽﾄを貼り付けて、カウント実行ボタンを押して下さい。")
        + u'\r' + u"全角１文字も半角１文字も同じ、１カウントです。");
}

Integer Form1::crlf() {
    return counting::pairCorrection(view(Text1->text()));
}

Integer Form1::zen() {
    const auto text = Text1->text();
    const Tally spaces = counting::fullWidthSpaces(view(text));
    return counting::spaceCorrection(spaces, Check1->value());
}

void Form1::Command1_Click() {
    Label1->setCaption(Str(0));
    const auto text = Text1->text();
    const Integer pairs = crlf();
    const Integer spaces = zen();
    Label1->setCaption(Str(counting::count(toLong(text.size()), pairs, spaces)));
}

void Form1::Command2_Click() {
    Text1->setText(u"");
}

void Form1::about_Click() {
    defaultInstance<frmAbout>().Show();
}

void Form1::end_Click() {
    End();
}

} // namespace quorvel::ui
