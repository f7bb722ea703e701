#include "form.h"

#include "controls.h"
#include "program.h"
#include "strings.h"
#include "textbox.h"
#include "twips.h"

#include <QCloseEvent>
#include <QMainWindow>
#include <QMenuBar>

namespace quorvel::runtime {

namespace {
// The on-screen window of a form; its close box unloads the form.
class FormWindow : public QMainWindow {
public:
    explicit FormWindow(Form& form)
        : form_(form) { }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->accept();
        form_.Unload();
    }

private:
    Form& form_;
};
} // namespace

Form::Form(const FormDesign& design)
    : design_(design) {
}

Form::~Form() {
    if (isLoaded())
        Unload();
}

void Form::onClick(std::string_view name, std::function<void()> handler) {
    clickHandlers_.emplace_back(name, std::move(handler));
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
    QWidget* window = window_;
    window_ = nullptr;
    window->hide();
    // The window may be unloaded from inside one of its own controls' handlers.
    window->deleteLater();
    formUnloaded(*this);
}

void Form::load() {
    prepareFonts();
    auto* window = new FormWindow(*this);
    window->setObjectName(toQString(design_.name));
    window->setWindowTitle(toQString(design_.caption));
    window->setAttribute(Qt::WA_DeleteOnClose, false);

    for (const MenuDesign& menuDesign : design_.menus) {
        QMenu* menu = window->menuBar()->addMenu(toQString(menuDesign.caption));
        menu->setObjectName(toQString(menuDesign.name));
        for (const MenuItemDesign& item : menuDesign.items) {
            QAction* action = menu->addAction(toQString(item.caption));
            action->setObjectName(toQString(item.name));
            connectClick(action, item.name);
        }
    }

    auto* client = new QWidget(window);
    client->setObjectName(QStringLiteral("client"));
    window->setCentralWidget(client);
    QWidget* previous = nullptr;
    QWidget* firstFocus = nullptr;
    for (const ControlDesign& design : design_.controls) {
        QWidget* control = buildControl(design, client);
        if (control->focusPolicy() == Qt::NoFocus || !design.tabStop)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, control);
        else
            firstFocus = control;
        previous = control;
    }
    const int menuHeight = design_.menus.empty() ? 0 : window->menuBar()->sizeHint().height();
    window->resize(toPixels(design_.clientWidth), toPixels(design_.clientHeight) + menuHeight);
    if (firstFocus)
        firstFocus->setFocus();

    window_ = window;
    formLoaded(*this);
    Form_Load();
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
    }
    control->setObjectName(toQString(design.name));
    control->setGeometry(toPixels(design.place.left), toPixels(design.place.top),
        toPixels(design.place.width), toPixels(design.place.height));
    if (design.font)
        control->setFont(makeFont(*design.font));
    if (design.colours == Colours::Field) {
        QPalette palette = control->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Base));
        palette.setColor(QPalette::WindowText, palette.color(QPalette::Text));
        control->setPalette(palette);
        control->setAutoFillBackground(true);
    }
    if (!design.tabStop && control->focusPolicy() != Qt::NoFocus)
        control->setFocusPolicy(Qt::ClickFocus);
    if (auto* button = dynamic_cast<QAbstractButton*>(control))
        connectClick(button, design.name);
    return control;
}

void Form::connectClick(QObject* sender, std::string_view name) {
    for (const auto& binding : clickHandlers_) {
        if (binding.first != name)
            continue;
        auto run = [handler = binding.second] { call(handler); };
        if (auto* button = dynamic_cast<QAbstractButton*>(sender))
            QObject::connect(button, &QAbstractButton::clicked, button, run);
        else if (auto* action = dynamic_cast<QAction*>(sender))
            QObject::connect(action, &QAction::triggered, action, run);
    }
}

QObject* Form::find(std::string_view name) {
    if (!isLoaded())
        load();
    const QString wanted = toQString(name);
    if (window_->objectName() == wanted)
        return window_;
    return window_->findChild<QObject*>(wanted);
}

} // namespace quorvel::runtime
