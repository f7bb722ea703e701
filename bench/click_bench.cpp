// Click to result: the time from a click on Command1 to the new count on Label1 in the real main
// window, just after the text was pasted, against QPlainTextEdit::toPlainText of the same text in
// a bare text box, in the same run. Runs headless (offscreen) unless QT_QPA_PLATFORM says else.

#include "counting/reference.h"
#include "runtime/program.h"
#include "runtime/testing.h"
#include "texts.h"
#include "ui/form1.h"

#include <QApplication>
#include <QPlainTextEdit>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace quorvel;
using Clock = std::chrono::steady_clock;

namespace {

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    ui::Form1 form;
    form.Show();
    runtime::TextBox* text1 = form.Text1;
    runtime::Label* label1 = form.Label1;
    runtime::CommandButton* command1 = form.Command1;
    // Counted full-width spaces keep long texts clear of the Overflow of the space correction.
    form.Check1->setValue(1);
    QPlainTextEdit bare;
    bare.show();

    // TextBox::text() alone, the first step of the click, shows how much of it is the reading.
    std::printf("Medians of %d runs, in ms\n%-7s %12s %16s %12s %7s\n", runs, "text", "click→count",
        "TextBox::text()", "toPlainText", "ratio");
    for (int mebibytes : { 1, 8, 32 }) {
        // Paragraphs of about 2000 units keep the line breaks below the Overflow of the pair
        // correction at every size.
        const std::u16string text = bench::japanese(std::size_t(mebibytes) << 19, 2000);
        const QString pasted = QString::fromUtf16(text.data(), qsizetype(text.size()));
        const QString expected = QString::number(
            qsizetype(text.size()) - 2 * qsizetype(counting::reference::crlfPairs(text)));
        bare.setPlainText(pasted);
        std::vector<double> clicks, texts, reads;
        for (int run = 0; run < runs; ++run) {
            text1->setText(pasted);
            QApplication::processEvents();
            runtime::answerNextReport(); // a runtime error is reported, not shown in a box
            const auto clicked = Clock::now();
            command1->click();
            clicks.push_back(millisecondsSince(clicked));
            for (runtime::ErrorNumber error : runtime::takeAnsweredReports()) {
                std::fprintf(stderr, "runtime error %d\n", static_cast<int>(error));
                return 1;
            }
            if (label1->caption() != expected) {
                std::fprintf(stderr, "wrong count %s\n", qPrintable(label1->caption()));
                return 1;
            }

            text1->setText(pasted);
            QApplication::processEvents();
            const auto exact = Clock::now();
            if (text1->text().size() != pasted.size())
                return 1;
            texts.push_back(millisecondsSince(exact));

            const auto read = Clock::now();
            const QString plain = bare.toPlainText();
            reads.push_back(millisecondsSince(read));
            if (plain.isEmpty())
                return 1;
        }
        std::printf("%2d MiB  %12.2f %16.2f %12.2f %6.2fx\n", mebibytes, median(clicks),
            median(texts), median(reads), median(clicks) / median(reads));
    }
    form.Unload();
    return 0;
}
