#include "window.h"

#include "fonts.h"
#include "input/composition_guard.h"
#include "resources/icon.h"
#include "runtime/form.h"
#include "runtime/qt/include/runtime/controls.h"
#include "runtime/toolkit.h"
#include "strings.h"
#include "textbox/textbox_accessible.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>

#include <memory>

namespace quorvel::runtime {

Window::Window(Form& form)
    : form_(&form) {
}

Window::~Window() {
    if (form_)
        form_->windowDestroyed(this);
}

void Window::closeEvent(QCloseEvent* event) {
    event->accept();
    if (form_)
        form_->closeRequested();
}

void Window::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QAbstractButton* button = enter      ? defaultButton
        : event->key() == Qt::Key_Escape ? cancelButton
                                         : nullptr;
    if (button && button->isEnabled())
        button->click();
    else
        QMainWindow::keyPressEvent(event);
}

namespace {
// What every window needs, prepared where the first one is built.
void prepareWindows() {
    prepareFonts();
    makeTextBoxesAccessible();
}

// Builds a control and says what it built; object is the control as the class of its kind.
QWidget* buildControl(const ControlDesign& design, QWidget* client, void*& object) {
    QWidget* control = nullptr;
    // The control built, as a widget and as the object of its kind's class.
    auto make = [&](auto* made) {
        control = made;
        object = made;
        return made;
    };
    const QString caption = toQString(design.caption);
    switch (design.kind) {
    case ControlClass::CommandButton:
        make(new CommandButton(client))->setText(caption);
        break;
    case ControlClass::Label: {
        Label* label = make(new Label(client));
        label->setCaption(caption);
        label->setAnnounced(design.announced);
        if (design.border)
            label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        break;
    }
    case ControlClass::TextBox:
        make(new TextBox(client))->setText(caption);
        break;
    case ControlClass::CheckBox:
        make(new CheckBox(client))->setText(caption);
        break;
    case ControlClass::PictureBox:
        make(new PictureBox(client));
        break;
    case ControlClass::Line:
    case ControlClass::Menu:
    case ControlClass::MenuItem:
        return nullptr; // not controls: the form does not build such a design (designFault)
    }
    control->setObjectName(toQString(design.name));
    control->setGeometry(toPixels(design.place.left), toPixels(design.place.top),
        toPixels(design.place.width), toPixels(design.place.height));
    if (auto* picture = qobject_cast<PictureBox*>(control);
        picture && design.picture == Picture::ApplicationIcon)
        picture->setPicture(resources::applicationPicture());
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
    if (!takesFocus(design.kind))
        control->setFocusPolicy(Qt::NoFocus);
    else if (!inTabOrder(design))
        control->setFocusPolicy(Qt::ClickFocus); // a click still gives it the focus
    return control;
}

} // namespace

Window* toolkit::buildWindow(Form& form, const FormDesign& design, std::vector<BuiltEntry>& made) {
    prepareWindows();
    auto window = std::make_unique<Window>(form);
    window->setObjectName(toQString(design.name));
    window->setWindowTitle(toQString(design.caption));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    // A window kept out of the taskbar is a utility window to the window system.
    Qt::WindowFlags flags = design.showInTaskbar ? Qt::Window : Qt::Tool;
    if (design.border == Border::FixedDialog)
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    window->setWindowFlags(flags);

    for (const MenuDesign& menuDesign : design.menus) {
        auto* menu = new Menu(toQString(menuDesign.caption), window.get());
        window->menuBar()->addMenu(menu);
        menu->setObjectName(toQString(menuDesign.name));
        made.push_back(builtEntry(menuDesign.name, -1, *menu));
        for (const MenuItemDesign& item : menuDesign.items) {
            auto* action = new MenuItem(toQString(item.caption), menu);
            menu->addAction(action);
            action->setObjectName(toQString(item.name));
            made.push_back(builtEntry(item.name, -1, *action));
        }
    }

    auto* client = new QWidget(window.get());
    client->setObjectName(QStringLiteral("client"));
    window->setCentralWidget(client);
    // Lines first: behind the controls, each in front of the ones before it.
    for (const LineDesign& line : design.lines) {
        auto* drawn
            = new Line(lineCovers(line, screenDotsPerInch()), QColor::fromRgb(line.rgb), client);
        drawn->setObjectName(QStringLiteral("%1(%2)").arg(toQString(line.name)).arg(line.index));
        made.push_back(builtEntry(line.name, line.index, *drawn));
    }
    QWidget* previous = nullptr;
    QWidget* firstFocus = nullptr;
    for (const ControlDesign& controlDesign : design.controls) {
        void* object = nullptr;
        QWidget* control = buildControl(controlDesign, client, object);
        if (!control)
            continue;
        made.push_back({ controlDesign.name, -1, controlDesign.kind, object });
        if (!inTabOrder(controlDesign))
            continue;
        // A control that keeps the focus in a widget of its own (the text box) takes it there.
        QWidget* stop = control->focusProxy() ? control->focusProxy() : control;
        if (previous)
            QWidget::setTabOrder(previous, stop);
        else
            firstFocus = stop;
        previous = stop;
    }

    auto button = [&](std::string_view name) -> QAbstractButton* {
        return name.empty()
            ? nullptr
            : client->findChild<QAbstractButton*>(toQString(name), Qt::FindDirectChildrenOnly);
    };
    window->defaultButton = button(design.defaultButton);
    window->cancelButton = button(design.cancelButton);
    if (window->defaultButton)
        for (auto* box : client->findChildren<TextBox*>())
            box->control().setEnterPressesDefault(true);

    const int menuHeight = design.menus.empty() ? 0 : window->menuBar()->sizeHint().height();
    const QSize size(toPixels(design.clientWidth), toPixels(design.clientHeight) + menuHeight);
    if (design.position)
        window->setGeometry(
            QRect(QPoint(toPixels(design.position->x), toPixels(design.position->y)), size));
    else
        window->resize(size);
    // At a fractional scale Qt asks the window manager to size the window in steps of whole
    // logical pixels (2 device pixels at 1.5), counted from a base size. Qt 6.4 gives a base of
    // 0 x 0; Qt 6.8 gives none, and the window manager counts from the minimum size instead (the
    // menu bar's 27 device pixels at 144 dpi), which leaves the designed size out of reach: 366
    // becomes 365, a client area one logical pixel short. Counted from the designed size, the
    // steps start where the design is, with either.
    window->setBaseSize(size);
    if (design.border == Border::FixedDialog)
        window->setFixedSize(size);
    if (design.icon == Picture::ApplicationIcon)
        window->setWindowIcon(resources::applicationIcon());
    if (firstFocus)
        firstFocus->setFocus();
    return window.release();
}

void toolkit::showWindow(Window& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

void toolkit::discardWindow(Window& window) {
    window.forgetForm();
    window.hide();
    window.deleteLater();
}

void toolkit::connectClick(const BuiltEntry& control, std::function<void()> run) {
    // What is being composed is entered before the handler reads the text, also when the click
    // did not move the focus (an accessibility "Press").
    auto click = [run = std::move(run)] {
        const CompositionGuard::Ending ending;
        run();
    };
    if (control.kind == ControlClass::CommandButton) {
        auto* button = static_cast<CommandButton*>(control.object);
        QObject::connect(button, &QAbstractButton::clicked, button, click);
    } else if (control.kind == ControlClass::MenuItem) {
        auto* item = static_cast<MenuItem*>(control.object);
        QObject::connect(item, &QAction::triggered, item, click);
    }
}

} // namespace quorvel::runtime
