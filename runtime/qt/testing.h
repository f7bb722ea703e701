#pragma once

// For tests only: what the Qt toolkit lets a test see or stand in for. The program itself never
// includes this header.

#include "textbox/line_mark.h"

#include <QPointF>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

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

// What a text box shows, as a person sees it, from its editor inside (textbox/probes.cpp).

/// The widget the text is shown in, which takes the mouse and drops and shows the pointer.
QWidget* viewportOf(const TextBox& box);
/// The box's context menu: Qt's, with the box's own undo and redo; the caller owns it.
QMenu* contextMenuOf(TextBox& box);
/// Where the caret is drawn at a document position, in the viewport.
QRect caretRect(const TextBox& box, int position);
/// The document position nearest to a point of the viewport.
int positionAt(const TextBox& box, const QPoint& point);
/// Scrolls a document position into view, the caret staying where it is.
void scrollTo(TextBox& box, int position);
/// The text that an input method is composing in the box, and the middle of it in the viewport.
QString compositionIn(const TextBox& box);
QPointF compositionMiddle(const TextBox& box);
/// The marks after the visible lines whose breaks count as characters.
std::vector<LineMark> lineMarks(const TextBox& box);

} // namespace quorvel::runtime
