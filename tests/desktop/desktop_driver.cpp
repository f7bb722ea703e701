// The real program with a line protocol on stdin, for the desktop tests (tests/desktop/run.py).
// The tests type and click with the desktop's own tools (xdotool, wtype) and read back here what
// the window shows. Each command line gets one JSON line on stdout:
//
//   state          {"exposed", "focus", "label", "check", "text" (code units), "preedit",
//                   "active" (the window is the active one), "window" (the active window),
//                   "focusWindow" (the focus's window), "about" ({"text", "preedit"} of the
//                   About window's text box, while it is on screen)}
//   where NAME     {"x", "y"}: the centre of control, menu or (open) menu item NAME on the
//                  screen, in device pixels (X11 only); NAME is a control of the main window,
//                  or WINDOW.NAME of another window (frmAbout.Text1), here and below
//   composition NAME  {"x", "y"}: the middle of the text being composed in text box NAME
//   window NAME    the visible top-level window NAME: {"id" (its X window), "ratio" (device
//                  pixels per logical pixel), "x", "y", "width", "height" (its client area on the
//                  screen, in device pixels), "menu" (the menu bar's height), "font" (the default
//                  font's pixel size, in device pixels)}
//   fits NAME      {"captions": [{"name", "text", "advance", "room"}]}: for every button, check box
//                  and label with a caption in window NAME, the widest line's horizontal advance
//                  and the width the control has for its text (logical pixels)
//   press NAME     the accessibility "Press" of button NAME, as a screen reader or switch access
//                  gives it: no mouse, no focus change
//   focus NAME     gives control NAME the keyboard focus
//   reset          an empty text with no undo history, Check1 unticked, Label1 empty
//
// End of input ends the program.

#include "runtime/program.h"
#include "runtime/qt/testing.h"
#include "runtime/qt/textbox/editor.h"
#include "runtime/qt/textbox/textbox.h"
#include "runtime/qt/widgets/controls.h"
#include "ui/project.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSocketNotifier>
#include <QStyleOptionButton>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

using namespace quorvel;
using namespace Qt::StringLiterals;

namespace {

QWidget* window(const QString& name) {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == name && top->isVisible())
            return top;
    return nullptr;
}

QWidget* mainWindow() {
    return window(u"Form1"_s);
}

// A control of the main window by its name, or of another window as WINDOW.NAME.
template <typename T = QWidget> T* control(const QString& name) {
    const qsizetype dot = name.indexOf(u'.');
    QWidget* top = dot < 0 ? mainWindow() : window(name.left(dot));
    return top ? top->findChild<T*>(name.mid(dot + 1)) : nullptr;
}

QString windowName(QWidget* widget) {
    return widget ? widget->window()->objectName() : QString();
}

// What a text box holds and composes.
void describe(QJsonObject& answer, runtime::TextBox* box) {
    QJsonArray units;
    for (QChar unit : box->text())
        units.append(unit.unicode());
    answer[u"text"] = units;
    answer[u"preedit"] = compositionIn(*box);
}

QJsonObject state() {
    QJsonObject answer;
    QWidget* window = mainWindow();
    answer[u"exposed"] = window && window->windowHandle() && window->windowHandle()->isExposed();
    answer[u"active"] = window && window->isActiveWindow();
    QWidget* focus = QApplication::focusWidget();
    if (auto* box = focus ? qobject_cast<runtime::TextBox*>(focus->parentWidget()) : nullptr)
        focus = box; // the editor inside it
    answer[u"focus"] = focus ? focus->objectName() : QString();
    answer[u"window"] = windowName(QApplication::activeWindow());
    answer[u"focusWindow"] = windowName(focus);
    if (auto* label = control<runtime::Label>(u"Label1"_s))
        answer[u"label"] = label->caption();
    if (auto* check = control<runtime::CheckBox>(u"Check1"_s))
        answer[u"check"] = check->value();
    if (auto* box = control<runtime::TextBox>(u"Text1"_s))
        describe(answer, box);
    if (auto* box = control<runtime::TextBox>(u"frmAbout.Text1"_s)) {
        QJsonObject about;
        describe(about, box);
        answer[u"about"] = about;
    }
    return answer;
}

// The width a control has for its caption: what is left of the button's bevel, of the check box
// beside its indicator, of the label inside its frame, margin and indent.
int room(QWidget* control) {
    QStyleOptionButton option;
    option.initFrom(control);
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        if (button->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        return control->style()
            ->subElementRect(QStyle::SE_PushButtonContents, &option, control)
            .width();
    }
    if (qobject_cast<QCheckBox*>(control))
        return control->style()
            ->subElementRect(QStyle::SE_CheckBoxContents, &option, control)
            .width();
    auto* label = static_cast<QLabel*>(control);
    const int indent = label->indent() >= 0 ? label->indent()
        : label->frameWidth() > 0           ? label->fontMetrics().horizontalAdvance(u'x') / 2
                                            : 0;
    return label->contentsRect().width() - 2 * label->margin() - indent;
}

QJsonObject captions(QWidget* top) {
    QJsonArray captions;
    for (QWidget* control : top->findChildren<QWidget*>()) {
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            text = button->text();
        else if (auto* label = qobject_cast<QLabel*>(control))
            text = label->text();
        if (text.isEmpty())
            continue;
        int advance = 0;
        for (const QString& shown : text.split(u'\n'))
            advance = std::max(advance, control->fontMetrics().horizontalAdvance(shown));
        captions.append(QJsonObject { { u"name"_s, control->objectName() }, { u"text"_s, text },
            { u"advance"_s, advance }, { u"room"_s, room(control) } });
    }
    return { { u"captions"_s, captions } };
}

QJsonObject placed(QWidget* top) {
    const qreal ratio = top->devicePixelRatioF();
    auto* main = qobject_cast<QMainWindow*>(top);
    QWidget* client = main ? main->centralWidget() : top;
    const QPointF origin = client->mapToGlobal(QPointF(0, 0)) * ratio;
    const QWidget* menu = main ? main->menuWidget() : nullptr;
    return { { u"id"_s, qint64(top->winId()) }, { u"ratio"_s, ratio }, { u"x"_s, origin.x() },
        { u"y"_s, origin.y() }, { u"width"_s, client->width() * ratio },
        { u"height"_s, client->height() * ratio },
        { u"menu"_s, menu && menu->isVisible() ? menu->height() * ratio : 0.0 },
        { u"font"_s, top->font().pixelSize() * ratio } };
}

// The centre of a control, a menu's title in the menu bar or an item of an open menu, in device
// pixels on the screen.
QJsonObject where(QObject* target) {
    QWidget* owner = qobject_cast<QWidget*>(target);
    QRectF area = owner ? QRectF(owner->rect()) : QRectF();
    if (auto* menu = qobject_cast<QMenu*>(target)) {
        auto* bar = mainWindow()->findChild<QMenuBar*>();
        owner = bar;
        area = bar->actionGeometry(menu->menuAction());
    } else if (auto* action = qobject_cast<QAction*>(target)) {
        for (QObject* shown : action->associatedObjects())
            if (auto* menu = qobject_cast<QMenu*>(shown))
                owner = menu;
        if (!owner || !owner->isVisible())
            return { { u"error"_s, target->objectName() + u" is in no open menu"_s } };
        area = static_cast<QMenu*>(owner)->actionGeometry(action);
    }
    const QPointF centre = owner->mapToGlobal(area.center()) * owner->devicePixelRatioF();
    return { { u"x"_s, qRound(centre.x()) }, { u"y"_s, qRound(centre.y()) } };
}

// The middle of the text being composed in a box, on the screen in device pixels.
QJsonObject composition(runtime::TextBox* box) {
    if (compositionIn(*box).isEmpty())
        return { { u"error"_s, box->objectName() + u" composes nothing"_s } };
    const QPointF centre = viewportOf(*box)->mapToGlobal(editorOf(*box).compositionMiddle())
        * box->devicePixelRatioF();
    return { { u"x"_s, qRound(centre.x()) }, { u"y"_s, qRound(centre.y()) } };
}

QJsonObject run(const QString& line) {
    const QString command = line.section(u' ', 0, 0);
    const QString name = line.section(u' ', 1);
    if (command == u"state")
        return state();
    if (command == u"reset") {
        if (auto* box = control<runtime::TextBox>(u"Text1"_s)) {
            box->control().clear();
        }
        if (auto* check = control<runtime::CheckBox>(u"Check1"_s))
            check->setValue(0);
        if (auto* label = control<runtime::Label>(u"Label1"_s))
            label->setCaption(QString());
        return state();
    }
    if (command == u"window" || command == u"fits") {
        QWidget* top = window(name);
        if (!top)
            return { { u"error"_s, u"no window "_s + name + u" on screen"_s } };
        return command == u"window" ? placed(top) : captions(top);
    }
    if (command == u"where") {
        QObject* target = control<QObject>(name);
        if (!target)
            return { { u"error"_s, u"no control "_s + name } };
        return where(target);
    }
    if (command == u"composition") {
        auto* box = control<runtime::TextBox>(name);
        if (!box)
            return { { u"error"_s, u"no text box "_s + name } };
        return composition(box);
    }
    QWidget* target = control(name);
    if (!target)
        return { { u"error"_s, u"no control "_s + name } };
    if (command == u"focus") {
        target->activateWindow();
        target->setFocus(Qt::OtherFocusReason);
        return state();
    }
    if (command == u"press") {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(target);
        QAccessibleActionInterface* actions = accessible ? accessible->actionInterface() : nullptr;
        if (!actions || !actions->actionNames().contains(QAccessibleActionInterface::pressAction()))
            return { { u"error"_s, name + u" has no press action"_s } };
        actions->doAction(QAccessibleActionInterface::pressAction());
        return state();
    }
    return { { u"error"_s, u"unknown command "_s + command } };
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            input.setEnabled(false);
            runtime::End();
            return;
        }
        pending.append(buffer, got);
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1)) {
            const QString line = QString::fromUtf8(pending.left(end)).trimmed();
            const QByteArray answer = QJsonDocument(run(line)).toJson(QJsonDocument::Compact);
            std::fwrite(answer.constData(), 1, answer.size(), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
        }
    });
    return runtime::ThunRTMain(ui::project());
}
