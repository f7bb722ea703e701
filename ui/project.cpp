#include "project.h"

#include "form1.h"

namespace quorvel::ui {

const runtime::Project& project() {
    static const runtime::Project description {
        .title = u"クオルベル",
        .startup = []() -> runtime::Form& { return runtime::defaultInstance<Form1>(); },
    };
    return description;
}

} // namespace quorvel::ui
