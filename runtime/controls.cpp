#include "controls.h"

namespace quorvel::runtime {

Label::Label(QWidget* parent)
    : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
}

void Label::setCaption(const QString& caption) {
    caption_ = caption;
    QString shown = caption;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    setText(shown);
}

CommandButton::CommandButton(QWidget* parent)
    : QPushButton(parent) {
    // A focused button is pressed by Enter as well as by Space.
    setAutoDefault(true);
}

CheckBox::CheckBox(QWidget* parent)
    : QCheckBox(parent) {
}

Integer CheckBox::value() const {
    switch (checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

void CheckBox::setValue(Integer value) {
    setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void CheckBox::nextCheckState() {
    setCheckState(value() == 1 ? Qt::Unchecked : Qt::Checked);
}

QString Str(Long value) {
    return QString::number(value);
}

} // namespace quorvel::runtime
