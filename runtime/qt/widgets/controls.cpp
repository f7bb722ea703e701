#include "controls.h"

#include <QPainter>

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

PictureBox::PictureBox(QWidget* parent)
    : QLabel(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAlignment(Qt::AlignCenter);
}

void PictureBox::setPicture(const QPixmap& picture) {
    setPixmap(picture);
    const int border = 2 * frameWidth();
    resize(picture.deviceIndependentSize().toSize() + QSize(border, border));
}

Line::Line(QPoint from, QPoint to, QColor colour, int width, QWidget* parent)
    : QWidget(parent)
    , colour_(colour) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // A pen of n pixels covers n rows below a horizontal line, n columns right of a vertical one.
    QRect covered = QRect(from, to).normalized();
    if (from.y() == to.y())
        covered.setHeight(width);
    else if (from.x() == to.x())
        covered.setWidth(width);
    else
        qWarning("only horizontal and vertical lines are drawn");
    setGeometry(covered);
}

void Line::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), colour_);
}

} // namespace quorvel::runtime
