#pragma once

// For tests only: what the Qt toolkit lets a test see or stand in for. The program itself never
// includes this header.

#include <QString>

#include <functional>
#include <memory>

class QMenu;
class QMimeData;
class QWidget;

namespace quorvel::runtime {

class IncomingText;
class TextBox;

/// From now on, a paste for which `start` gives a text on its way takes that text as another
/// program's transfer, which the test finishes itself; null (or a start that gives null): as the
/// program does.
void setTransferForTests(std::function<std::shared_ptr<IncomingText>(const QMimeData&)> start);
/// Whether a paste is on its way.
bool pasteOnItsWay();
/// How many times the system's beep has sounded since the last call.
int takeBeeps();

// What a text box shows, as a person sees it (textbox/probes.cpp). Where the caret is drawn, the
// line marks, the composition's middle: a test asks the editor inside, editorOf(box), and
// includes textbox/editor.h for it. This header includes none of the box's: the files that
// define what it declares include it.

/// The widget the text is shown in, which takes the mouse and drops and shows the pointer.
QWidget* viewportOf(const TextBox& box);
/// The box's context menu: Qt's, with the box's own undo and redo; the caller owns it.
QMenu* contextMenuOf(TextBox& box);
/// The text that an input method is composing in the box.
QString compositionIn(const TextBox& box);

} // namespace quorvel::runtime
