#include "program.h"

#include "lifetime.h"

#include <map>

namespace quorvel::runtime {

namespace {
std::map<std::type_index, std::unique_ptr<Form>>& instances() {
    static std::map<std::type_index, std::unique_ptr<Form>> made;
    return made;
}
} // namespace

int ThunRTMain(const Project& project) {
    lifetime::reset();
    setProgramTitle(project.title);
    toolkit::startProgram(project);
    call(nullptr, [&] { project.startup().Show(); });
    const int code = lifetime::run();
    discardInstances();
    lifetime::reset();
    return code;
}

void End() {
    lifetime::end();
    while (Form* form = lifetime::lastLoaded())
        form->Unload();
}

void discardInstances() {
    instances().clear();
}

Form& detail::instance(std::type_index type, std::unique_ptr<Form> (*make)()) {
    auto& slot = instances()[type];
    if (!slot)
        slot = make();
    return *slot;
}

} // namespace quorvel::runtime
