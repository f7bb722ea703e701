#pragma once

// The simple controls: a label, a command button and a check box, with the properties the
// windows' handlers read and write.

#include "numbers.h"

#include <QCheckBox>
#include <QLabel>
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
/// only; a click on a grayed box clears it.
class CheckBox : public QCheckBox {
public:
    explicit CheckBox(QWidget* parent = nullptr);
    Integer value() const;
    void setValue(Integer value);

protected:
    void nextCheckState() override;
};

/// The decimal text of a number: digits, a minus sign when negative, no space or grouping.
QString Str(Long value);

} // namespace quorvel::runtime
