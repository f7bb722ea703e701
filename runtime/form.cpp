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

namespace quorvel::runtime {

namespace {
// The on-screen window of a form: its close box unloads the form; Enter and Esc that no control
// took press the default and the cancel button.
class FormWindow : public QMainWindow {
public:
    explicit FormWindow(Form& form)
        : form_(form) { }

    QPointer<QAbstractButton> defaultButton, cancelButton;

protected:
    void closeEvent(QCloseEvent* event) override {
        event->accept();
        form_.Unload();
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
    Form& form_;
};

QAbstractButton* buttonCalled(QWidget* window, std::string_view name) {
    return name.empty() ? nullptr : window->findChild<QAbstractButton*>(toQString(name));
}
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
    // A window kept out of the taskbar is a utility window to the window system.
    Qt::WindowFlags flags = design_.showInTaskbar ? Qt::Window : Qt::Tool;
    if (design_.border == Border::FixedDialog)
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    window->setWindowFlags(flags);

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
    // Lines first: behind the controls, each in front of the ones before it.
    for (const LineDesign& line : design_.lines) {
        auto* drawn = new Line(QPoint(toPixels(line.from.x), toPixels(line.from.y)),
            QPoint(toPixels(line.to.x), toPixels(line.to.y)), QColor::fromRgb(line.rgb),
            line.pixels, client);
        drawn->setObjectName(QStringLiteral("%1(%2)").arg(toQString(line.name)).arg(line.index));
    }
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
    window->defaultButton = buttonCalled(window, design_.defaultButton);
    window->cancelButton = buttonCalled(window, design_.cancelButton);
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
    if (auto* button = dynamic_cast<QAbstractButton*>(control))
        connectClick(button, design.name);
    return control;
}

void Form::connectClick(QObject* sender, std::string_view name) {
    for (const auto& binding : clickHandlers_) {
        if (binding.first != name)
            continue;
        auto run = [handler = binding.second] {
            commitFocusedComposition();
            call(handler);
        };
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
