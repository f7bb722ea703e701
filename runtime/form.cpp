#include "form.h"

#include "handlers.h"
#include "lifetime.h"

#include <algorithm>

namespace quorvel::runtime {

Window* windowOf(const Form& form) {
    return form.window();
}

ControlBinding::ControlBinding(Form& form, std::string_view name, bool array, ControlClass kind)
    : form_(form)
    , name_(name)
    , array_(array)
    , kind_(kind) {
    form.bindings_.push_back(this);
}

ControlBinding::~ControlBinding() {
    // A form's members are destroyed before the form's own destructor runs, which so never
    // meets a member that is gone.
    std::erase(form_.bindings_, this);
}

void* ControlBinding::object(int index) const {
    if (index < 0 || index >= count() || !objects_[std::size_t(index)])
        raise(ErrorNumber::Internal);
    return objects_[std::size_t(index)];
}

int ControlBinding::count() const {
    if (!form_.isLoaded())
        raise(ErrorNumber::Internal);
    return static_cast<int>(objects_.size());
}

Form::Form(const FormDesign& design)
    : design_(design) {
}

Form::~Form() {
    if (isLoaded())
        Unload();
}

void Form::Show() {
    if (!isLoaded())
        load();
    toolkit::showWindow(*window_);
}

void Form::Unload() {
    if (!isLoaded())
        return;
    Window* window = std::exchange(window_, nullptr);
    unbind();
    // The window may be unloaded from inside one of its own controls' handlers.
    toolkit::discardWindow(*window);
    lifetime::formUnloaded(*this);
}

void Form::windowDestroyed(Window* window) {
    if (window_ != window)
        return; // never loaded: its load failed
    window_ = nullptr;
    unbind();
    lifetime::formUnloaded(*this);
}

void Form::load() {
    auto fail = [&](const std::string& fault) {
        toolkit::logInternalError(std::string(design_.name) + ": " + fault);
        raise(ErrorNumber::Internal);
    };
    if (const std::string fault = designFault(design_); !fault.empty())
        fail(fault);
    std::vector<BuiltEntry> built;
    Window* window = toolkit::buildWindow(*this, design_, built);
    if (const std::string fault = bind(built); !fault.empty()) {
        toolkit::discardWindow(*window);
        fail(fault);
    }
    for (const auto& click : clickHandlers_)
        for (const BuiltEntry& entry : built)
            if (entry.name == click.first->name_)
                toolkit::connectClick(
                    entry, [this, handler = click.second] { call(this, handler); });
    window_ = window;
    lifetime::formLoaded(*this);
    Form_Load();
}

std::string Form::bind(const std::vector<BuiltEntry>& built) {
    auto fault = [&](std::string_view name, const char* what) {
        unbind();
        return std::string(name) + what;
    };
    for (const ControlBinding* binding : bindings_)
        for (const ControlBinding* other : bindings_)
            if (other != binding && other->name_ == binding->name_)
                return fault(binding->name_, " is the name of two members");
    for (const BuiltEntry& entry : built) {
        auto member = std::find_if(bindings_.begin(), bindings_.end(),
            [&](const ControlBinding* binding) { return binding->name_ == entry.name; });
        if (member == bindings_.end())
            return fault(entry.name, " is in the design but has no member");
        ControlBinding& binding = **member;
        const bool element = entry.index >= 0;
        if (binding.array_ != element || binding.kind_ != entry.kind)
            return fault(entry.name, "'s member is not of the kind its design builds");
        std::vector<void*>& objects = binding.objects_;
        const std::size_t index = element ? std::size_t(entry.index) : 0;
        if (objects.size() <= index)
            objects.resize(index + 1);
        if (objects[index])
            return fault(entry.name, " is in the design twice");
        objects[index] = entry.object;
    }
    for (const ControlBinding* binding : bindings_)
        if (binding->objects_.empty())
            return fault(binding->name_, " is a member but not in the design");
    return {};
}

void Form::unbind() {
    for (ControlBinding* binding : bindings_)
        binding->objects_.clear();
}

} // namespace quorvel::runtime
