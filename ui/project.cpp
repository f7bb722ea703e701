#include "project.h"

#include "form1.h"
#include "resources/app_info.h"

namespace quorvel::ui {

const runtime::Project& project() {
    static const runtime::Project description {
        .title = u"クオルベル",
        .startup = []() -> runtime::Form& { return runtime::defaultInstance<Form1>(); },
        .name = "quorvel",
        .version = app_info::version,
        .desktopFileName = app_info::desktopFileName,
    };
    return description;
}

} // namespace quorvel::ui
