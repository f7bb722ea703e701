#include "form.h"

#include "controls.h"
#include "program.h"
#include "strings.h"
#include "textbox.h"
#include "twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>

#include <algorithm>
#include <memory>

namespace quorvel::runtime {

// The on-screen window of a form: its close box unloads the form; Enter and Esc that no control
// took press the default and the cancel button. Destroyed without Unload, it tells its form.
class FormWindow : public QMainWindow {
public:
    explicit FormWindow(Form& form)
        : form_(&form) { }
    ~FormWindow() override {
        if (form_)
            form_->windowDestroyed(this);
    }
    /// Unloaded: the form no longer hears of this window.
    void forgetForm() { form_ = nullptr; }

    QPointer<QAbstractButton> defaultButton, cancelButton;

protected:
    void closeEvent(QCloseEvent* event) override {
        event->accept();
        if (form_)
            form_->Unload();
    }

    void keyPressEvent(QKeyEvent* event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        QAbstractButton* button = enter      ? defaultButton
            : event->key() == Qt::Key_Escape ? cancelButton
                                             : nullptr;
        if (button && button->isEnabled())
            button->click();
        else
            QMainWindow::keyPressEvent(event);
    }

private:
    Form* form_;
};

ControlBinding::ControlBinding(Form& form, std::string_view name, bool array, Fits fits)
    : form_(form)
    , name_(name)
    , array_(array)
    , fits_(fits) {
    form.bindings_.push_back(this);
}

ControlBinding::~ControlBinding() {
    // A form's members are destroyed before the form's own destructor runs, which so never
    // meets a member that is gone.
    std::erase(form_.bindings_, this);
}

QObject* ControlBinding::object(int index) const {
    if (!form_.isLoaded())
        form_.load();
    if (index < 0 || index >= count() || !objects_[std::size_t(index)])
        raise(ErrorNumber::Internal);
    return objects_[std::size_t(index)];
}

int ControlBinding::count() const {
    if (!form_.isLoaded())
        form_.load();
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
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void Form::Unload() {
    if (!isLoaded())
        return;
    auto* window = static_cast<FormWindow*>(window_.data());
    window_ = nullptr;
    window->forgetForm();
    unbind();
    window->hide();
    // The window may be unloaded from inside one of its own controls' handlers.
    window->deleteLater();
    formUnloaded(*this);
}

void Form::windowDestroyed(QWidget* window) {
    if (window_ != window)
        return; // never loaded: its load failed
    window_ = nullptr;
    unbind();
    formUnloaded(*this);
}

void Form::load() {
    prepareFonts();
    auto window = std::make_unique<FormWindow>(*this);
    window->setObjectName(toQString(design_.name));
    window->setWindowTitle(toQString(design_.caption));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    // A window kept out of the taskbar is a utility window to the window system.
    Qt::WindowFlags flags = design_.showInTaskbar ? Qt::Window : Qt::Tool;
    if (design_.border == Border::FixedDialog)
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    window->setWindowFlags(flags);

    std::vector<Built> built;
    for (const MenuDesign& menuDesign : design_.menus) {
        QMenu* menu = window->menuBar()->addMenu(toQString(menuDesign.caption));
        menu->setObjectName(toQString(menuDesign.name));
        built.push_back({ menuDesign.name, -1, menu });
        for (const MenuItemDesign& item : menuDesign.items) {
            QAction* action = menu->addAction(toQString(item.caption));
            action->setObjectName(toQString(item.name));
            built.push_back({ item.name, -1, action });
        }
    }

    auto* client = new QWidget(window.get());
    client->setObjectName(QStringLiteral("client"));
    window->setCentralWidget(client);
    // Lines first: behind the controls, each in front of the ones before it.
    for (const LineDesign& line : design_.lines) {
        auto* drawn = new Line(QPoint(toPixels(line.from.x), toPixels(line.from.y)),
            QPoint(toPixels(line.to.x), toPixels(line.to.y)), QColor::fromRgb(line.rgb),
            line.pixels, client);
        drawn->setObjectName(QStringLiteral("%1(%2)").arg(toQString(line.name)).arg(line.index));
        built.push_back({ line.name, line.index, drawn });
    }
    QWidget* previous = nullptr;
    QWidget* firstFocus = nullptr;
    for (const ControlDesign& design : design_.controls) {
        QWidget* control = buildControl(design, client);
        built.push_back({ design.name, -1, control });
        if (control->focusPolicy() == Qt::NoFocus || !design.tabStop)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, control);
        else
            firstFocus = control;
        previous = control;
    }

    if (const std::string fault = bind(built); !fault.empty()) {
        qCritical("internal error: %s: %s", std::string(design_.name).c_str(), fault.c_str());
        raise(ErrorNumber::Internal);
    }
    for (const auto& [binding, handler] : clickHandlers_)
        for (QObject* sender : binding->objects_)
            connectClick(sender, handler);

    auto button = [&](std::string_view name) -> QAbstractButton* {
        for (const Built& entry : built)
            if (!name.empty() && entry.name == name)
                return dynamic_cast<QAbstractButton*>(entry.object);
        return nullptr;
    };
    window->defaultButton = button(design_.defaultButton);
    window->cancelButton = button(design_.cancelButton);
    if (window->defaultButton)
        for (auto* box : client->findChildren<TextBox*>())
            box->setEnterPressesDefault(true);

    const int menuHeight = design_.menus.empty() ? 0 : window->menuBar()->sizeHint().height();
    const QSize size(toPixels(design_.clientWidth), toPixels(design_.clientHeight) + menuHeight);
    if (design_.position)
        window->setGeometry(
            QRect(QPoint(toPixels(design_.position->x), toPixels(design_.position->y)), size));
    else
        window->resize(size);
    if (design_.border == Border::FixedDialog)
        window->setFixedSize(size);
    if (design_.icon)
        window->setWindowIcon(design_.icon());
    if (firstFocus)
        firstFocus->setFocus();

    window_ = window.release();
    formLoaded(*this);
    Form_Load();
}

std::string Form::bind(const std::vector<Built>& built) {
    auto fault = [&](std::string_view name, const char* what) {
        unbind();
        return std::string(name) + what;
    };
    for (const ControlBinding* binding : bindings_)
        for (const ControlBinding* other : bindings_)
            if (other != binding && other->name_ == binding->name_)
                return fault(binding->name_, " is the name of two members");
    for (const Built& entry : built) {
        auto member = std::find_if(bindings_.begin(), bindings_.end(),
            [&](const ControlBinding* binding) { return binding->name_ == entry.name; });
        if (member == bindings_.end())
            return fault(entry.name, " is in the design but has no member");
        ControlBinding& binding = **member;
        const bool element = entry.index >= 0;
        if (binding.array_ != element || !binding.fits_(entry.object))
            return fault(entry.name, "'s member is not of the kind its design builds");
        std::vector<QObject*>& objects = binding.objects_;
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

QWidget* Form::buildControl(const ControlDesign& design, QWidget* client) {
    QWidget* control = nullptr;
    switch (design.kind) {
    case ControlClass::CommandButton: {
        auto* button = new CommandButton(client);
        button->setText(toQString(design.caption));
        control = button;
        break;
    }
    case ControlClass::Label: {
        auto* label = new Label(client);
        label->setCaption(toQString(design.caption));
        label->setFocusPolicy(Qt::NoFocus);
        if (design.border)
            label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        control = label;
        break;
    }
    case ControlClass::TextBox: {
        auto* box = new TextBox(client);
        box->setText(toQString(design.caption));
        control = box;
        break;
    }
    case ControlClass::CheckBox: {
        auto* check = new CheckBox(client);
        check->setText(toQString(design.caption));
        control = check;
        break;
    }
    case ControlClass::PictureBox: {
        auto* picture = new PictureBox(client);
        picture->setFocusPolicy(Qt::NoFocus);
        control = picture;
        break;
    }
    }
    control->setObjectName(toQString(design.name));
    control->setGeometry(toPixels(design.place.left), toPixels(design.place.top),
        toPixels(design.place.width), toPixels(design.place.height));
    if (auto* picture = dynamic_cast<PictureBox*>(control); picture && design.picture)
        picture->setPicture(design.picture());
    if (design.font)
        control->setFont(makeFont(*design.font));
    QPalette palette = control->palette();
    if (design.colours == Colours::Field) {
        palette.setColor(QPalette::Window, palette.color(QPalette::Base));
        palette.setColor(QPalette::WindowText, palette.color(QPalette::Text));
        control->setAutoFillBackground(true);
    } else if (design.colours == Colours::BlackText) {
        palette.setColor(QPalette::WindowText, Qt::black);
    }
    control->setPalette(palette);
    if (!design.accessibleName.empty())
        control->setAccessibleName(toQString(design.accessibleName));
    if (!design.tabStop && control->focusPolicy() != Qt::NoFocus)
        control->setFocusPolicy(Qt::ClickFocus);
    return control;
}

void Form::connectClick(QObject* sender, const std::function<void()>& handler) {
    auto run = [handler] {
        commitFocusedComposition();
        call(handler);
    };
    if (auto* button = dynamic_cast<QAbstractButton*>(sender))
        QObject::connect(button, &QAbstractButton::clicked, button, run);
    else if (auto* action = dynamic_cast<QAction*>(sender))
        QObject::connect(action, &QAction::triggered, action, run);
}

} // namespace quorvel::runtime
