#pragma once

// The simple controls: a label, a command button, a check box, a picture box, a line and the
// menus, with the properties the windows' handlers read and write.

#include "base/numbers.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace quorvel::runtime {

/// A label whose caption may break its lines with a lone CR, as well as with CR LF or LF; the
/// caption keeps its code units, only the display breaks there.
class Label : public QLabel {
public:
    explicit Label(QWidget* parent = nullptr);
    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption);

private:
    QString caption_;
};

class CommandButton : public QPushButton {
public:
    explicit CommandButton(QWidget* parent = nullptr);
};

/// A check box whose value is 0 (unchecked), 1 (checked) or 2 (grayed). Grayed is set by code
/// only. A click (or Space) on a checked box clears it and on any other box checks it: only 1
/// means "checked" to the code that reads the value, so every click turns that meaning over.
class CheckBox : public QCheckBox {
public:
    explicit CheckBox(QWidget* parent = nullptr);
    Integer value() const;
    void setValue(Integer value);

protected:
    void nextCheckState() override;
};

/// A picture box that sizes itself to its picture, inside a one-pixel border.
class PictureBox : public QLabel {
public:
    explicit PictureBox(QWidget* parent = nullptr);
    void setPicture(const QPixmap& picture);
};

/// A horizontal or vertical line of a given colour and width, drawn on its window's surface.
class Line : public QWidget {
public:
    Line(QPoint from, QPoint to, QColor colour, int width, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
};

/// A menu of the window's menu bar, and an item of a menu, whose click is its trigger.
using Menu = QMenu;
using MenuItem = QAction;

/// The decimal text of a number: digits, a minus sign when negative, no space or grouping.
QString Str(Long value);

} // namespace quorvel::runtime
