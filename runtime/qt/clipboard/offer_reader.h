#pragma once

// Reading a paste or a drop: which offer applies, and when its text goes in.

#include <QCursor>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <memory>
#include <vector>

class QMimeData;
class QWidget;

namespace quorvel::runtime {

/// Reads the text of a paste or a drop, exactly, and hands it on by textRead().
///
/// The clipboard or the primary selection of another X11 program is transferred once, on a
/// connection of its own and off the user-interface thread, so that the window goes on while a
/// slow owner answers: textRead() comes from the event loop when the text has come, within
/// `bound` of the paste, or not at all if it does not come in time. Meanwhile the busy cursor
/// shows over `busy`. Every other offer (this program's own, a drop, anything off X11) is read
/// from Qt's data at once, and textRead() comes before read() returns.
class OfferReader : public QObject {
    Q_OBJECT

public:
    /// The longest a paste from another program may take, from the paste to the end of the
    /// transfer.
    static constexpr std::chrono::milliseconds bound { 5000 };

    OfferReader(QWidget* busy, QObject* parent);
    ~OfferReader() override;

    void read(const QMimeData& source);

signals:
    void textRead(const QString& text);

private:
    struct Transfer;
    void finish(Transfer* transfer);

    QPointer<QWidget> busy_;
    QCursor cursorBefore_; // the busy widget's own cursor, if it had one set
    bool hadCursor_ = false;
    std::vector<std::unique_ptr<Transfer>> transfers_; // under way, oldest first
};

} // namespace quorvel::runtime
