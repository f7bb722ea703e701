// The real program with a line protocol on stdin, for the desktop tests (tests/desktop/run.py).
// The tests type and click with the desktop's own tools (xdotool, wtype) and read back here what
// the window shows. Each command line gets one JSON line on stdout:
//
//   state          {"exposed", "focus", "label", "check", "text" (code units), "preedit",
//                   "active" (the window is the active one)}
//   where NAME     {"x", "y"}: the centre of control NAME on the screen (X11 only)
//   press NAME     the accessibility "Press" of button NAME, as a screen reader or switch access
//                  gives it: no mouse, no focus change
//   focus NAME     gives control NAME the keyboard focus
//   reset          an empty text with no undo history, Check1 unticked, Label1 empty
//
// End of input ends the program.

#include "runtime/controls.h"
#include "runtime/program.h"
#include "runtime/textbox.h"
#include "ui/project.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTextBlock>
#include <QTextLayout>
#include <QWindow>

#include <cstdio>
#include <unistd.h>

using namespace quorvel;
using namespace Qt::StringLiterals;

namespace {

QWidget* mainWindow() {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == u"Form1" && top->isVisible())
            return top;
    return nullptr;
}

template <typename T = QWidget> T* control(const QString& name) {
    QWidget* window = mainWindow();
    return window ? window->findChild<T*>(name) : nullptr;
}

QJsonObject state() {
    QJsonObject answer;
    QWidget* window = mainWindow();
    answer[u"exposed"] = window && window->windowHandle() && window->windowHandle()->isExposed();
    answer[u"active"] = window && window->isActiveWindow();
    QWidget* focus = QApplication::focusWidget();
    answer[u"focus"] = focus ? focus->objectName() : QString();
    if (auto* label = control<runtime::Label>(u"Label1"_s))
        answer[u"label"] = label->caption();
    if (auto* check = control<runtime::CheckBox>(u"Check1"_s))
        answer[u"check"] = check->value();
    if (auto* box = control<runtime::TextBox>(u"Text1"_s)) {
        QJsonArray units;
        for (QChar unit : box->text())
            units.append(unit.unicode());
        answer[u"text"] = units;
        const QTextLayout* layout = box->textCursor().block().layout();
        answer[u"preedit"] = layout ? layout->preeditAreaText() : QString();
    }
    return answer;
}

QJsonObject run(const QString& line) {
    const QString command = line.section(u' ', 0, 0);
    const QString name = line.section(u' ', 1);
    if (command == u"state")
        return state();
    if (command == u"reset") {
        if (auto* box = control<runtime::TextBox>(u"Text1"_s)) {
            box->setText(u""_s);
            box->document()->clearUndoRedoStacks();
        }
        if (auto* check = control<runtime::CheckBox>(u"Check1"_s))
            check->setValue(0);
        if (auto* label = control<runtime::Label>(u"Label1"_s))
            label->setCaption(QString());
        return state();
    }
    QWidget* target = control(name);
    if (!target)
        return { { u"error"_s, u"no control "_s + name } };
    if (command == u"where") {
        const QPoint centre = target->mapToGlobal(target->rect().center());
        return { { u"x"_s, centre.x() }, { u"y"_s, centre.y() } };
    }
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
