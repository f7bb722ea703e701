// Click to result on Windows: the main window's count button clicked on a text of 1 MiB, until
// the new count is shown, against WM_GETTEXT of the text box alone, the least any count must do.
// The click is taken two ways: from its BN_CLICKED (the event the program handles, as an
// accessibility Press also sends it), and from BM_CLICK, which adds the button's own press and
// release. All in this process, taken in turns.
//
//   click_bench [RUNS]

#include "../texts.h"
#include "runtime/program.h"
#include "ui/form1.h"
#include "window.h"

#include "timing.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace quorvel;
using bench::median;
using bench::now;

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    ui::Form1& form = runtime::defaultInstance<ui::Form1>();
    form.Show();
    const std::u16string text = bench::japanese(std::size_t { 1 } << 19); // 1 MiB
    form.Text1->setText(text);
    HWND box = form.Text1->handle();
    HWND button = form.Command1->handle();
    std::vector<wchar_t> buffer(text.size() + 1);
    runtime::Window* window = runtime::Window::of(GetParent(button));
    std::vector<double> events, clicks, reads;
    const auto timed = [&](std::vector<double>& times, auto click) {
        form.Label1->setCaption(u"");
        // A message to the box (here a caret move) drops its kept read, as an edit would: the
        // click reads the text afresh rather than the read of the click before.
        SendMessageW(box, EM_SETSEL, 0, 0);
        // The display is painted between clicks, as it is for a person clicking again.
        UpdateWindow(form.Label1->handle());
        const double began = now();
        click();
        times.push_back(now() - began);
        if (form.Label1->caption().empty()) {
            std::fprintf(stderr, "click_bench: the click showed no count\n");
            std::exit(1);
        }
    };
    for (int i = 0; i < runs; ++i) {
        timed(events, [&] { window->press(button); });
        timed(clicks, [&] { SendMessageW(button, BM_CLICK, 0, 0); });
        const double began = now();
        const int length = GetWindowTextLengthW(box);
        const int read = GetWindowTextW(box, buffer.data(), length + 1);
        reads.push_back(now() - began);
        if (read != static_cast<int>(text.size())) {
            std::fprintf(stderr, "click_bench: WM_GETTEXT read %d units\n", read);
            return 1;
        }
    }
    const double e = median(events), c = median(clicks), r = median(reads);
    std::printf("1 MiB, median of %d: WM_GETTEXT %.2f ms; from BN_CLICKED to result %.2f ms "
                "(%.2fx); from BM_CLICK %.2f ms (%.2fx)\n",
        runs, r, e, e / r, c, c / r);
    form.Unload();
    return 0;
}
