#include "controls.h"

#include "runtime/announcements.h"
#include "runtime/captions.h"
#include "runtime/check_box.h"
#include "runtime/qt/strings.h"

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
    setText(toQString(captionAsShown(view(caption), u"\n")));
    if (announced_)
        announcements::captionSet(this, view(caption));
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
    setValue(checkBoxValueAfterClick(value()));
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

Line::Line(const PixelRect& covered, QColor colour, QWidget* parent)
    : QWidget(parent)
    , colour_(colour) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(
        covered.left, covered.top, covered.right - covered.left, covered.bottom - covered.top);
}

void Line::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), colour_);
}

} // namespace quorvel::runtime
