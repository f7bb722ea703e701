#pragma once

// The simple controls over Qt: a label, a command button, a check box, a picture box, a line and
// the menus, with the properties the windows' handlers read and write. Each names the kind of
// design entry it is built for.

#include "base/numbers.h"
#include "runtime/design.h"
#include "runtime/twips.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace quorvel::runtime {

/// A label whose caption may break its lines with a lone CR, as well as with CR LF or LF; the
/// caption keeps its code units, only the display breaks there. An announced label's new captions
/// are told to screen readers (runtime/announcements.h).
class Label : public QLabel {
    Q_OBJECT
public:
    static constexpr ControlClass kind = ControlClass::Label;
    explicit Label(QWidget* parent = nullptr);
    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption);
    void setCaption(QStringView caption) { setCaption(caption.toString()); }
    void setAnnounced(bool announced) { announced_ = announced; }

private:
    QString caption_;
    bool announced_ = false;
};

class CommandButton : public QPushButton {
    Q_OBJECT
public:
    static constexpr ControlClass kind = ControlClass::CommandButton;
    explicit CommandButton(QWidget* parent = nullptr);
};

/// A check box whose value is 0 (unchecked), 1 (checked) or 2 (grayed). Grayed is set by code
/// only. A click (or Space) on a checked box clears it and on any other box checks it: only 1
/// means "checked" to the code that reads the value, so every click turns that meaning over.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    static constexpr ControlClass kind = ControlClass::CheckBox;
    explicit CheckBox(QWidget* parent = nullptr);
    Integer value() const;
    void setValue(Integer value);

protected:
    void nextCheckState() override;
};

/// A picture box that sizes itself to its picture, inside a one-pixel border.
class PictureBox : public QLabel {
    Q_OBJECT
public:
    static constexpr ControlClass kind = ControlClass::PictureBox;
    explicit PictureBox(QWidget* parent = nullptr);
    void setPicture(const QPixmap& picture);
};

/// A line of a given colour, drawn on its window's surface over the pixels it covers.
class Line : public QWidget {
    Q_OBJECT
public:
    static constexpr ControlClass kind = ControlClass::Line;
    Line(const PixelRect& covered, QColor colour, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
};

/// A menu of the window's menu bar.
class Menu : public QMenu {
    Q_OBJECT
public:
    static constexpr ControlClass kind = ControlClass::Menu;
    using QMenu::QMenu;
};

/// An item of a menu, whose click is its trigger.
class MenuItem : public QAction {
    Q_OBJECT
public:
    static constexpr ControlClass kind = ControlClass::MenuItem;
    using QAction::QAction;
};

} // namespace quorvel::runtime
