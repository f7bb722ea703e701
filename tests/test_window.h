#pragma once

// A small window for the runtime's tests on either toolkit: a text box and a button whose click
// runs what the test says.

#include "runtime/controls.h"
#include "runtime/form.h"

#include <functional>
#include <utility>

namespace quorvel::tests {

inline constexpr runtime::ControlDesign testControls[] = {
    { runtime::ControlClass::TextBox, "Text1", u"", { 0, 0, 1500, 600 } },
    { runtime::ControlClass::CommandButton, "Run", u"run", { 0, 600, 1500, 375 } },
};

inline constexpr runtime::FormDesign testDesign { .name = "Test",
    .caption = u"test",
    .clientWidth = 1500,
    .clientHeight = 975,
    .controls = testControls };

struct TestWindow : runtime::Form {
    explicit TestWindow(std::function<void(TestWindow&)> run = {})
        : Form(testDesign)
        , run_(std::move(run)) {
        onClick(Run, &TestWindow::Run_Click);
    }
    void Run_Click() {
        if (run_)
            run_(*this);
    }
    runtime::Control<runtime::TextBox> Text1 { *this, "Text1" };
    runtime::Control<runtime::CommandButton> Run { *this, "Run" };

private:
    std::function<void(TestWindow&)> run_;
};

} // namespace quorvel::tests
