// The text box keeps exactly the code units the user entered, through the edits a person makes.

#include "runtime/qt/clipboard/offered_text.h"
#include "runtime/qt/clipboard/transfer_bound.h"
#include "runtime/qt/testing.h"
#include "runtime/qt/textbox/editor.h"
#include "runtime/qt/textbox/textbox.h"
#include "runtime/testing.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <clocale>
#include <sys/resource.h>
#include <unistd.h>

using quorvel::runtime::TextBox;
using quorvel::runtime::TransferBound;
using namespace Qt::StringLiterals;

namespace {
// What Qt does with ibus when the program moves the focus: it commits what the box composes, then
// tells the box that the focus is about to leave it. (A filter installed later runs first.)
class QtCommitsFirst : public QObject {
    Q_OBJECT
public:
    explicit QtCommitsFirst(TextBox* box)
        : box_(box) {
        if (box)
            qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != box_->focusProxy() || event->type() != QEvent::FocusAboutToChange)
            return false;
        QInputMethodEvent commit;
        commit.setCommitString(compositionIn(*box_));
        QCoreApplication::sendEvent(box_, &commit);
        return false;
    }

private:
    TextBox* box_;
};

// A paste from another program ends within the reader's bound; the tests allow a margin for a
// slow machine.
constexpr int pasteEndsWithinMs = TransferBound::silence.count() + 3000;

// Counts the paints of a widget, once armed, while a text box still holds a text.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* widget, const TextBox* box)
        : box_(box) {
        widget->installEventFilter(this);
    }
    void arm(const QString& text) {
        armed_ = true;
        text_ = text;
    }
    int paintsWhileUnchanged = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && armed_ && box_->text() == text_)
            ++paintsWhileUnchanged;
        return false;
    }

private:
    const TextBox* box_;
    bool armed_ = false;
    QString text_;
};
} // namespace

class TextBoxTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TextBox> box;

    void key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(box.get(), k, m); }
    // Types text a character at a time, as a keyboard does: a key each, an emoji's pair in one.
    void typeText(const QString& text) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype length = text[i].isHighSurrogate() ? 2 : 1;
            QTest::sendKeyEvent(
                QTest::Click, box.get(), Qt::Key_unknown, text.sliced(i, length), {});
            i += length - 1;
        }
    }
    void paste(const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        key(Qt::Key_V, Qt::ControlModifier);
    }
    // Pastes the clipboard by Ctrl+V, or the primary selection by a middle-click.
    void paste(QClipboard::Mode mode) {
        if (mode == QClipboard::Selection)
            QTest::mouseClick(viewportOf(*box), Qt::MiddleButton, {}, QPoint(5, 5));
        else
            key(Qt::Key_V, Qt::ControlModifier);
    }
    // Starts another program that takes the clipboard (or the primary selection) from us, with
    // `input` on its standard input, and waits until it has it.
    void startOwner(QProcess& owner, const QString& program, const QStringList& arguments,
        const QByteArray& input, QClipboard::Mode mode) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(u"ours"_s, mode);
        owner.start(program, arguments);
        QVERIFY(owner.waitForStarted());
        owner.write(input);
        owner.closeWriteChannel();
        QTRY_VERIFY(!(mode == QClipboard::Selection ? clipboard->ownsSelection()
                                                    : clipboard->ownsClipboard()));
    }

private slots:
    void init() {
        box = std::make_unique<TextBox>();
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    }
    void cleanup() { box.reset(); }

    void marksShowWhichBreaksCount_data() {
        QTest::addColumn<QStringList>("pastes");
        QTest::addColumn<QStringList>("marks"); // "block:line mark" of each marked line
        QTest::newRow("LF") << QStringList { u"a\nb"_s } << QStringList { u"0:0 ↓"_s };
        QTest::newRow("CR") << QStringList { u"a\rb"_s } << QStringList { u"0:0 ←"_s };
        QTest::newRow("CR LF has none") << QStringList { u"a\r\nb"_s } << QStringList {};
        QTest::newRow("U+2029") << QStringList { u"a\u2029b"_s } << QStringList { u"0:0 ¶"_s };
        QTest::newRow("U+FDD0") << QStringList { u"a\uFDD0b"_s } << QStringList { u"0:0 ¶"_s };
        QTest::newRow("U+2028 inside a line")
            << QStringList { u"a\u2028b"_s } << QStringList { u"0:0 ¶"_s };
        QTest::newRow("CR LF, then LF on the empty line")
            << QStringList { u"a\r\n\nb"_s } << QStringList { u"1:0 ↓"_s };
        QTest::newRow("each line its own")
            << QStringList { u"a\nb\rc\r\nd"_s } << QStringList { u"0:0 ↓"_s, u"1:0 ←"_s };
        // A CR break and an LF break across an empty line hold CR LF: no mark on either.
        QTest::newRow("CR and LF pasted apart make CR LF")
            << QStringList { u"a\r"_s, u"\nb"_s } << QStringList {};
    }
    void marksShowWhichBreaksCount() {
        QFETCH(QStringList, pastes);
        QFETCH(QStringList, marks);
        for (const QString& text : pastes)
            paste(text);
        QCOMPARE(box->text(), pastes.join(QString()));
        QStringList shown;
        for (const quorvel::runtime::LineMark& mark : editorOf(*box).lineMarks())
            shown << u"%1:%2 %3"_s.arg(mark.block).arg(mark.line).arg(mark.mark);
        QCOMPARE(shown, marks);
    }

    void undoAndRedoRestoreEachKindOfBreak() {
        const QString pasted = QString::fromUtf16(u"a\nb\rc\u2029d\uFDD0e\r\nf");
        paste(pasted);
        key(Qt::Key_Return);
        QCOMPARE(box->text(), pasted + QStringLiteral("\r\n"));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->text(), pasted);
        // Deleting a break and undoing brings back that break, not a typed one.
        box->control().select(2, 2);
        key(Qt::Key_Backspace);
        QCOMPARE(box->text(), QString::fromUtf16(u"ab\rc\u2029d\uFDD0e\r\nf"));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->text(), pasted);
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(box->text(), QString::fromUtf16(u"ab\rc\u2029d\uFDD0e\r\nf"));
    }

    void deletingAcrossAnEmptyLineKeepsTheRightBreak() {
        // "a" CR LF "" LF "b": Delete on the empty line removes the LF, leaving the CR LF.
        paste(QStringLiteral("a\r\n\nb"));
        box->control().select(2, 2);
        key(Qt::Key_Delete);
        QCOMPARE(box->text(), QStringLiteral("a\r\nb"));
    }

    void pasteReplacesTheSelectionInOneUndoStep() {
        paste(QStringLiteral("hello"));
        key(Qt::Key_A, Qt::ControlModifier);
        paste(QStringLiteral("x\ny"));
        QCOMPARE(box->text(), QStringLiteral("x\ny"));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("hello"));
    }

    // An edit over a selection is one undo step, wherever the selection ends: undo brings back
    // the text and the selection, redo the edit with the caret after it. The text is entered
    // first (typed, where it starts with "type:", else pasted), the caret goes `right` steps
    // from the start and Shift+arrows select `shift` steps on (back, when negative).
    void anEditOverASelectionIsOneUndoStep_data() {
        QTest::addColumn<QString>("entered");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("shift");
        QTest::addColumn<QString>("edit"); // "type:…", "backspace" or "paste:…"
        QTest::addColumn<QString>("edited");
        const QString pair = QString::fromUtf16(u"\U0001F600"), emoji = u"b"_s + pair;
        // clang-format off
        QTest::newRow("letters")                   << u"abcd"_s       << 0 << 4  << u"type:xyz"_s << u"xyz"_s;
        QTest::newRow("across a CR LF")            << u"ab\r\ncd"_s   << 0 << 5  << u"type:xyz"_s << u"xyz"_s;
        QTest::newRow("stopping before the end")   << u"ab\r\ncd"_s   << 1 << 3  << u"type:xyz"_s << u"axyzd"_s;
        QTest::newRow("made backwards")            << u"abcd"_s       << 4 << -4 << u"type:xyz"_s << u"xyz"_s;
        QTest::newRow("to a typed final break")    << u"type:b"_s     << 0 << 2  << u"type:xyz"_s << u"xyz"_s;
        QTest::newRow("to a final CR LF")          << u"b\r\n"_s      << 0 << 2  << u"type:xyz"_s << u"xyz"_s;
        QTest::newRow("to a final LF")             << u"b\n"_s        << 0 << 2  << u"type:xyz"_s << u"xyz"_s;
        QTest::newRow("to a final U+2029")         << u"b\u2029"_s    << 0 << 2  << u"type:xyz"_s << u"xyz"_s;
        QTest::newRow("to a final lone CR")        << u"b\r"_s        << 0 << 2  << u"type:xyz"_s << u"xyz"_s;
        QTest::newRow("to a final U+2028")         << u"b\u2028"_s    << 0 << 2  << u"type:xyz"_s << u"xyz"_s;
        QTest::newRow("to a final surrogate pair") << emoji          << 0 << 2  << u"type:xyz"_s << u"xyz"_s;
        QTest::newRow("a surrogate pair typed first") << u"b\r\n"_s   << 0 << 2  << u"type:"_s + pair + u"yz"_s << pair + u"yz"_s;
        QTest::newRow("from within to a final break") << u"ab\r\n"_s  << 1 << 2  << u"type:xyz"_s << u"axyz"_s;
        QTest::newRow("back from a final break")   << u"b\r\n"_s      << 2 << -2 << u"type:xyz"_s << u"xyz"_s;
        QTest::newRow("only the final break")      << u"b\r\n"_s      << 1 << 1  << u"type:xyz"_s << u"bxyz"_s;
        QTest::newRow("backspace to a final break") << u"b\r\n"_s     << 0 << 2  << u"backspace"_s << QString();
        QTest::newRow("backspace to a final CR")   << u"ab\r"_s       << 1 << 2  << u"backspace"_s << u"a"_s;
        QTest::newRow("paste to a final break")    << u"b\r\n"_s      << 0 << 2  << u"paste:p\nq"_s << u"p\nq"_s;
        QTest::newRow("paste to a final pair")     << emoji          << 0 << 2  << u"paste:pq"_s  << u"pq"_s;
        // clang-format on
    }
    void anEditOverASelectionIsOneUndoStep() {
        QFETCH(QString, entered);
        QFETCH(int, right);
        QFETCH(int, shift);
        QFETCH(QString, edit);
        QFETCH(QString, edited);
        QString text = entered;
        if (entered.startsWith(u"type:")) { // letters, then Enter
            text = entered.sliced(5) + u"\r\n"_s;
            typeText(entered.sliced(5));
            key(Qt::Key_Return);
        } else {
            paste(entered);
        }
        QCOMPARE(box->text(), text);
        key(Qt::Key_Home, Qt::ControlModifier);
        for (int i = 0; i < right; ++i)
            key(Qt::Key_Right);
        for (int i = 0; i < std::abs(shift); ++i)
            key(shift > 0 ? Qt::Key_Right : Qt::Key_Left, Qt::ShiftModifier);
        const quorvel::runtime::Caret selected = box->control().caret();
        QVERIFY(selected.anchor != selected.position);

        if (edit.startsWith(u"type:"))
            typeText(edit.sliced(5));
        else if (edit == u"backspace")
            key(Qt::Key_Backspace);
        else
            paste(edit.sliced(6));
        QCOMPARE(box->text(), edited);
        const int after = box->control().caret().position;

        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->text(), text);
        QCOMPARE(box->control().caret().anchor, selected.anchor);
        QCOMPARE(box->control().caret().position, selected.position);
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(box->text(), edited);
        QCOMPARE(box->control().caret().anchor, after);
        QCOMPARE(box->control().caret().position, after);
    }

    void copyAndCutGiveTheExactSelection() {
        const QString text = QString::fromUtf16(u"p\nq\u2028r\u00A0s");
        paste(text);
        key(Qt::Key_Return);
        key(Qt::Key_A, Qt::ControlModifier);
        key(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), text + QStringLiteral("\r\n"));
        key(Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(box->text(), QString());
        key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), text + QStringLiteral("\r\n"));
        QCOMPARE(box->control().textBetween(1, 4), QString::fromUtf16(u"\nq\u2028"));
    }

    void backspaceAndDeleteTakeAWholeSurrogatePair() {
        paste(QString::fromUtf16(u"a\U0001F600b\U0001F600"));
        key(Qt::Key_Backspace);
        QCOMPARE(box->text(), QString::fromUtf16(u"a\U0001F600b"));
        key(Qt::Key_Home);
        key(Qt::Key_Right);
        key(Qt::Key_Delete);
        QCOMPARE(box->text(), QStringLiteral("ab"));
    }

    void dropInsertsTheExactText() {
        QMimeData data;
        data.setText(QStringLiteral("d\nr\ro\r\np"));
        data.setData(QStringLiteral("text/markdown"), "**markdown**");
        QWidget* viewport = viewportOf(*box);
        const QPoint at(5, 5);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(viewport, &move);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(viewport, &drop);
        QCOMPARE(box->text(), QStringLiteral("d\nr\ro\r\np"));
    }

    void movingTextByDragIsOneUndoStep() {
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("dragging needs a real X server");
        paste(QStringLiteral("ab\ncd\r\nef"));
        box->control().select(0, 3); // "ab" and its LF
        const QPoint from = editorOf(*box).caretRect(1).center(); // inside the selection
        const QPoint to = editorOf(*box).caretRect(7).center(); // between e and f
        QWidget* viewport = viewportOf(*box);
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        // The drag runs an event loop of its own: move and drop from inside it.
        QTimer::singleShot(0, viewport, [&] {
            QTest::mouseMove(viewport, to);
            QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
        });
        QTest::mouseMove(viewport, from + QPoint(QApplication::startDragDistance() + 5, 0));
        QCOMPARE(box->text(), QStringLiteral("cd\r\neab\nf"));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("ab\ncd\r\nef"));
    }

    void inputMethodCommitIsInsertedExactly() {
        QInputMethodEvent composing(QStringLiteral("か"), {});
        QCoreApplication::sendEvent(box.get(), &composing);
        QCOMPARE(box->text(), QString()); // text being composed is not part of the text
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("漢\r字\n"));
        QCoreApplication::sendEvent(box.get(), &commit);
        QCOMPARE(box->text(), QStringLiteral("漢\r字\n"));
    }

    void textBeingComposedIsEnteredOnceWhenTheFocusLeaves_data() {
        QTest::addColumn<bool>("qtCommits");
        QTest::newRow("entered by the box") << false;
        // With ibus, Qt commits the composition itself before it moves the focus, and resets the
        // input method, which then commits it again.
        QTest::newRow("committed by Qt first") << true;
    }

    void textBeingComposedIsEnteredOnceWhenTheFocusLeaves() {
        QFETCH(bool, qtCommits);
        QWidget window;
        auto* composed = new TextBox(&window);
        auto* other = new TextBox(&window);
        other->move(0, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        composed->setFocus();
        QInputMethodEvent composing(QStringLiteral("かな"), {});
        QCoreApplication::sendEvent(composed, &composing);
        QCOMPARE(composed->text(), QString());
        QtCommitsFirst qt(qtCommits ? composed : nullptr);
        other->setFocus();
        QCOMPARE(composed->text(), QStringLiteral("かな"));
        // The input method's copy goes where the focus is now.
        QInputMethodEvent nothing, late;
        late.setCommitString(QStringLiteral("かな"));
        for (QInputMethodEvent* event : { &nothing, &late })
            QCoreApplication::sendEvent(other, event);
        QCOMPARE(composed->text(), QStringLiteral("かな"));
        QCOMPARE(other->text(), QString());
    }

    void loneSurrogatesAreKeptAndDeletedOneByOne() {
        // A lone surrogate is a code unit like any other: kept, counted, deleted by itself.
        const QString lone = QString::fromUtf16(u"a\xD800"
                                                u"b\xDC00");
        paste(lone);
        QCOMPARE(box->text(), lone);
        key(Qt::Key_A, Qt::ControlModifier);
        key(Qt::Key_C, Qt::ControlModifier);
        key(Qt::Key_End, Qt::ControlModifier);
        key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), lone + lone);
        box->setText(lone);
        key(Qt::Key_End, Qt::ControlModifier);
        for (const char16_t* left : { u"a\xD800"
                                      u"b",
                 u"a\xD800", u"a", u"" }) {
            key(Qt::Key_Backspace);
            QCOMPARE(box->text(), QString::fromUtf16(left));
        }
    }

    void badClipboardsLoseNothing() {
        paste(QStringLiteral("kept"));
        // Text that is no valid UTF-8, with a NUL in it: decoded as well as it can be, added.
        auto* bad = new QMimeData;
        bad->setData(QStringLiteral("text/plain"), QByteArray("x\xff\xfe\0y", 5));
        QGuiApplication::clipboard()->setMimeData(bad);
        key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), QString::fromUtf16(u"keptx\uFFFD\uFFFD") + QChar(0) + u'y');
        // A clipboard with no text (a picture, say): pasting does nothing.
        auto* picture = new QMimeData;
        picture->setImageData(QImage(4, 4, QImage::Format_RGB32));
        QGuiApplication::clipboard()->setMimeData(picture);
        key(Qt::Key_V, Qt::ControlModifier);
        QGuiApplication::clipboard()->clear();
        key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), QString::fromUtf16(u"keptx\uFFFD\uFFFD") + QChar(0) + u'y');
    }

    void aHugePasteCompletesUnderABusyCursor() {
        paste(QStringLiteral("before "));
        const QString line = QString(38, QChar(u'\u3042')) + QStringLiteral("\r\n");
        const QString huge = line.repeated(64 * 1024 * 1024 / 2 / line.size()); // 64 MiB
        std::optional<Qt::CursorShape> shape;
        const auto watch
            = connect(&box->control(), &quorvel::runtime::TextControl::changed, this, [&] {
                  if (const QCursor* cursor = QGuiApplication::overrideCursor(); cursor && !shape)
                      shape = cursor->shape();
              });
        paste(huge);
        disconnect(watch);
        QCOMPARE(shape, std::optional(Qt::WaitCursor));
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(box->text().size(), 7 + huge.size());
        QVERIFY(box->text() == QStringLiteral("before ") + huge);
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("before "));
    }

    // The exact text of offered bytes, by their type, in every locale at hand: a program started
    // in any of them pastes the same. Compound text of each character set is decoded by libX11,
    // which needs an X display.
    void offeredBytesDecodeExactly_data() {
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8 keeps its byte-order mark")
            << "UTF8_STRING"_ba
            << "\xEF\xBB\xBFx\xEF\xBB\xBF"_ba << u"\uFEFFx\uFEFF"_s;
        QTest::newRow("a NUL at the end is no text")
            << "UTF8_STRING"_ba
            << "a\0b\0"_ba << QString::fromUtf16(u"a\0b", 3);
        QTest::newRow("STRING is Latin-1") << "STRING"_ba
                                           << "\xE9t\xE9"_ba << u"été"_s;
        QTest::newRow("compound text: Japanese, Latin-1, a UTF-8 segment")
            << "COMPOUND_TEXT"_ba
            << "\x1B$)B\xC6\xFC\xCB\xDC\x1B(B\r\n\x1B-A\xE9\x1B%G\xE2\x80\xA8\x1B%@z"_ba
            << u"日本\r\né\u2028z"_s;
        QTest::newRow("compound text: Cyrillic")
            << "COMPOUND_TEXT"_ba
            << "\x1B-L\xBF\xE0\xD8\xD2\xD5\xE2"_ba << u"Привет"_s;
        QTest::newRow("compound text: Korean") << "COMPOUND_TEXT"_ba
                                               << "\x1B$)C\xC7\xD1\xB1\xB9"_ba << u"한국"_s;
        QTest::newRow("compound text: Chinese") << "COMPOUND_TEXT"_ba
                                                << "\x1B$)A\xD6\xD0\xCE\xC4"_ba << u"中文"_s;
        QTest::newRow("compound text: Latin-2") << "COMPOUND_TEXT"_ba
                                                << "\x1B-B\xA3\xF3"
                                                   "d\xBC"_ba
                                                << u"Łódź"_s;
        QTest::newRow("compound text: Greek") << "COMPOUND_TEXT"_ba
                                              << "\x1B-F\xE1\xE2\xE3"_ba << u"αβγ"_s;
        QTest::newRow("compound text: a direction marker is no text") << "COMPOUND_TEXT"_ba
                                                                      << "a\x9B"
                                                                         "1]b\x9B]c"_ba
                                                                      << u"abc"_s;
    }
    void offeredBytesDecodeExactly() {
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        if (type == "COMPOUND_TEXT" && qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("decoding compound text needs an X display");
        const QByteArray started = std::setlocale(LC_ALL, nullptr);
        const auto restore = qScopeGuard([&] { std::setlocale(LC_ALL, started.constData()); });
        for (const char* locale : { "C", "C.UTF-8", "ja_JP.UTF-8", "ja_JP.eucJP" }) {
            if (!std::setlocale(LC_ALL, locale))
                continue; // not installed here
            QVERIFY2(quorvel::runtime::textOfBytes(bytes, type) == text, locale);
        }
    }

    // What other programs offer on X11, served by xclip: every code unit arrives, a leading
    // byte-order mark too, whether the text is offered as UTF8_STRING, as
    // text/plain;charset=utf-8 only, or as compound text only; by Ctrl+V and by middle-click;
    // from an owner that serves until it is ended and from one that serves once.
    void otherProgramsOffersPasteExactly_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("middleClick");
        QTest::addColumn<bool>("once");
        for (const bool middle : { false, true }) {
            const char* how = middle ? "middle-click" : "Ctrl+V";
            for (const bool once : { false, true }) {
                const char* served = once ? "served once" : "served on";
                QTest::addRow("UTF8_STRING with a byte-order mark, %s, %s", served, how)
                    << u"UTF8_STRING"_s
                    << QByteArray("\xEF\xBB\xBF"
                                  "a\r\nb")
                    << u"\uFEFFa\r\nb"_s << middle << once;
                QTest::addRow("UTF8_STRING without a byte-order mark, %s, %s", served, how)
                    << u"UTF8_STRING"_s << QByteArray("\xE3\x81\x82\xEF\xBB\xBF")
                    << u"\u3042\uFEFF"_s << middle << once;
            }
            QTest::addRow("UTF8_STRING with two byte-order marks, %s", how)
                << u"UTF8_STRING"_s
                << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                              "a")
                << u"\uFEFF\uFEFFa"_s << middle << false;
            QTest::addRow("UTF8_STRING of 2 MB, in pieces, with a byte-order mark, %s", how)
                << u"UTF8_STRING"_s
                << "\xEF\xBB\xBF" + QByteArray("0123456789\r\nab\n").repeated(1 << 17)
                << u"\uFEFF"_s + u"0123456789\r\nab\n"_s.repeated(1 << 17) << middle << false;
            QTest::addRow("charset=utf-8 only, %s", how)
                << u"text/plain;charset=utf-8"_s << QByteArray("\xEF\xBB\xBFx\ny\xE3\x80\x80")
                << u"\uFEFFx\ny\u3000"_s << middle << false;
            QTest::addRow("compound text only, %s", how)
                << u"COMPOUND_TEXT"_s
                << QByteArray(
                       "\x1B$)B\xC6\xFC\xCB\xDC\x1B(B\r\n\x1B-A\xE9\x1B%G\xE2\x80\xA8\x1B%@z")
                << u"日本\r\né\u2028z"_s << middle << false;
        }
    }
    void otherProgramsOffersPasteExactly() {
        QFETCH(QString, target);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(bool, middleClick);
        QFETCH(bool, once);
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("the offers of other programs need a real X server");
        const QString xclip = QStandardPaths::findExecutable(u"xclip"_s);
        if (xclip.isEmpty())
            QSKIP("xclip is not installed (scripts/setup.sh installs it)");
        const QClipboard::Mode mode = middleClick ? QClipboard::Selection : QClipboard::Clipboard;
        QProcess server;
        QStringList arguments { u"-quiet"_s, u"-selection"_s,
            middleClick ? u"primary"_s : u"clipboard"_s, u"-t"_s, target, u"-i"_s };
        if (once)
            arguments << u"-loops"_s << u"1"_s;
        startOwner(server, xclip, arguments, bytes, mode);
        if (QTest::currentTestFailed())
            return;
        const auto end = qScopeGuard([&] {
            server.kill();
            server.waitForFinished();
        });
        paste(mode);
        QTRY_COMPARE_WITH_TIMEOUT(box->text(), text, pasteEndsWithinMs);
        if (once) // it was asked for its text, and ended
            QTRY_COMPARE_WITH_TIMEOUT(server.state(), QProcess::NotRunning, pasteEndsWithinMs);
    }

    // Owners that answer slowly, or change their text while it is pasted (tests/x11_owner.c): the
    // window goes on painting while a paste waits, the paste ends within its bound, and what goes
    // in is exactly the text of the one answer, with no byte-order mark taken from another.
    void slowOrChangingOwnersPasteOneAnswer_data() {
        QTest::addColumn<int>("delayMs"); // before each answer
        QTest::addColumn<QString>("changeAfter"); // what the owner answers before it changes
        QTest::addColumn<QStringList>("texts"); // the owner's texts in turn, in hexadecimal
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("middleClick");
        QTest::addColumn<bool>("unload"); // the box goes while the paste waits
        const QStringList markFirst { u"efbbbf6162"_s }; // "\uFEFFab"
        const QStringList changing { u"6162"_s, u"efbbbf6364"_s }; // "ab", then "\uFEFFcd"
        for (const bool middle : { false, true }) {
            const char* how = middle ? "middle-click" : "Ctrl+V";
            QTest::addRow("a slow owner, in time, %s", how)
                << 700 << u"data"_s << markFirst << u"\uFEFFab"_s << middle << false;
            QTest::addRow("an owner slower than a paste waits, %s", how)
                << int(TransferBound::silence.count()) + 1000 << u"data"_s << markFirst << QString()
                << middle << false;
            QTest::addRow("an owner that changes after giving its text, %s", how)
                << 0 << u"data"_s << changing << u"ab"_s << middle << false;
            QTest::addRow("an owner that changes between TARGETS and its text, %s", how)
                << 0 << u"targets"_s << changing << u"\uFEFFcd"_s << middle << false;
        }
        QTest::newRow("the box unloaded while its paste waits")
            << 300 << u"data"_s << markFirst << QString() << false << true;
    }
    void slowOrChangingOwnersPasteOneAnswer() {
        QFETCH(int, delayMs);
        QFETCH(QString, changeAfter);
        QFETCH(QStringList, texts);
        QFETCH(QString, text);
        QFETCH(bool, middleClick);
        QFETCH(bool, unload);
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("the offers of other programs need a real X server");
        const QClipboard::Mode mode = middleClick ? QClipboard::Selection : QClipboard::Clipboard;
        QProcess owner;
        startOwner(owner, QStringLiteral(X11_OWNER),
            QStringList { middleClick ? u"primary"_s : u"clipboard"_s, u"UTF8_STRING"_s,
                QString::number(delayMs), changeAfter }
                + texts,
            {}, mode);
        if (QTest::currentTestFailed())
            return;
        const auto end = qScopeGuard([&] {
            owner.kill();
            owner.waitForFinished();
        });
        quorvel::runtime::takeBeeps();
        PaintWatch watch(viewportOf(*box), box.get());
        const QString before = box->text();
        paste(mode);
        watch.arm(before); // from when the paste has returned
        viewportOf(*box)->update();
        if (delayMs > 0) {
            QTRY_VERIFY(watch.paintsWhileUnchanged > 0);
            QCOMPARE(viewportOf(*box)->cursor().shape(), Qt::BusyCursor);
        }
        if (unload) { // the paste is given up, and nothing is left to touch the box
            box.reset();
            QTest::qWait(2 * delayMs + 200); // past the owner's answer
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(
            viewportOf(*box)->cursor().shape() != Qt::BusyCursor, pasteEndsWithinMs);
        QCOMPARE(box->text(), text);
        // A paste given up says so.
        QCOMPARE(quorvel::runtime::takeBeeps(), delayMs > TransferBound::silence.count() ? 1 : 0);
    }

    void middleClickPastesTheSelectionExactly() {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard->supportsSelection())
            QSKIP("this platform has no selection clipboard");
        clipboard->setText(QStringLiteral("m\nc"), QClipboard::Selection);
        QTest::mouseClick(viewportOf(*box), Qt::MiddleButton, {}, QPoint(5, 5));
        QCOMPARE(box->text(), QStringLiteral("m\nc"));
    }

    void selectingFillsTheSelectionClipboardExactly() {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard->supportsSelection())
            QSKIP("this platform has no selection clipboard");
        paste(QString::fromUtf16(u"x\ny\u2028z\u00A0"));
        key(Qt::Key_Return);
        key(Qt::Key_A, Qt::ControlModifier);
        QTRY_COMPARE(
            clipboard->text(QClipboard::Selection), QString::fromUtf16(u"x\ny\u2028z\u00A0\r\n"));
    }

    void aPasteLargerThanMemoryIsReportedAndChangesNothing() {
#if defined(__SANITIZE_ADDRESS__) || defined(__has_feature)
#if defined(__SANITIZE_ADDRESS__) || __has_feature(address_sanitizer)
        QSKIP("AddressSanitizer reserves more address space than the limit here leaves");
#endif
#endif
        box->setText(u"kept"_s);
        // 160 MB of UTF-8, which the box decodes itself, with 64 MiB of address space left.
        auto* offer = new QMimeData;
        offer->setData(u"text/plain;charset=utf-8"_s, QByteArray(160'000'000, 'a'));
        QGuiApplication::clipboard()->setMimeData(offer);
        QFile statm(u"/proc/self/statm"_s);
        QVERIFY(statm.open(QIODevice::ReadOnly));
        const rlim_t used = statm.readAll().split(' ').value(0).toULongLong() * getpagesize();
        rlimit limit {};
        QCOMPARE(getrlimit(RLIMIT_AS, &limit), 0);
        const rlimit tight { used + (rlim_t(64) << 20), limit.rlim_max };
        QCOMPARE(setrlimit(RLIMIT_AS, &tight), 0);
        quorvel::runtime::answerNextReport();
        key(Qt::Key_V, Qt::ControlModifier);
        setrlimit(RLIMIT_AS, &limit);
        QGuiApplication::clipboard()->clear();
        QCOMPARE(quorvel::runtime::takeAnsweredReports(),
            std::vector { quorvel::runtime::ErrorNumber::OutOfMemory });
        QCOMPARE(box->text(), u"kept"_s);
        key(Qt::Key_Z, Qt::ControlModifier); // the paste left no undo step of its own
        QCOMPARE(box->text(), QString());
    }

    void aPlainEditorIsNoTextBox() {
        // The runtime finds a window's text boxes by their type.
        QWidget window;
        new QPlainTextEdit(&window);
        new TextBox(&window);
        QCOMPARE(window.findChildren<TextBox*>().size(), 1);
    }

    void setTextIsOneUndoStepWithTheCaretAtTheStart() {
        paste(QStringLiteral("typed"));
        box->setText(u"set\nby code");
        QCOMPARE(box->text(), QStringLiteral("set\nby code"));
        QCOMPARE(box->control().caret().position, 0);
        QCOMPARE(box->control().caret().anchor, 0);
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("typed"));
    }

    // The control does its work over an editor that was never shown: each step of `script`
    // ("insert:text", "select:anchor,position", "replace:from,to,text", "set:text", "undo", "redo")
    // runs in turn, and the text and the caret ("anchor,position") come out as given.
    void theControlEditsWithoutAShownWidget_data() {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caret");
        const QString breaks = QString::fromUtf16(u"a\nb\rc\r\nd\u2029e\uFDD0f\u2028g");
        // clang-format off
        QTest::newRow("every break, undone and redone") << QStringList { u"insert:"_s + breaks, u"undo"_s, u"redo"_s } << breaks << u"13,13"_s;
        QTest::newRow("undo brings back the selection") << QStringList { u"insert:abcdef"_s, u"select:1,4"_s, u"insert:X"_s, u"undo"_s } << u"abcdef"_s << u"1,4"_s;
        QTest::newRow("a replace keeps the caret by its text") << QStringList { u"insert:abcdef"_s, u"select:5,5"_s, u"replace:0,2,\r\n\n"_s } << u"\r\n\ncdef"_s << u"5,5"_s;
        QTest::newRow("a new edit in place of one undone") << QStringList { u"insert:ab"_s, u"select:0,2"_s, u"insert:cd"_s, u"undo"_s, u"select:1,1"_s, u"insert:X"_s, u"undo"_s, u"redo"_s } << u"aXb"_s << u"2,2"_s;
        QTest::newRow("set text, undone, redone") << QStringList { u"insert:ab"_s, u"set:x\ry"_s, u"undo"_s, u"redo"_s } << u"x\ry"_s << u"0,0"_s;
        // clang-format on
    }
    void theControlEditsWithoutAShownWidget() {
        QFETCH(QStringList, script);
        QFETCH(QString, text);
        QFETCH(QString, caret);
        TextBox unshown;
        quorvel::runtime::TextControl& control = unshown.control();
        for (const QString& step : script) {
            const QString how = step.section(u':', 0, 0), what = step.section(u':', 1);
            const QStringList at = what.split(u',');
            if (how == u"insert")
                control.insert(what);
            else if (how == u"select")
                control.select(at[0].toInt(), at[1].toInt());
            else if (how == u"replace")
                control.replace(at[0].toInt(), at[1].toInt(), what.section(u',', 2));
            else if (how == u"set")
                unshown.setText(what);
            else
                how == u"undo" ? control.undo() : control.redo();
        }
        QVERIFY(!unshown.isVisible());
        QCOMPARE(unshown.text(), text);
        QCOMPARE(u"%1,%2"_s.arg(control.caret().anchor).arg(control.caret().position), caret);
    }
};

QTEST_MAIN(TextBoxTest)
#include "textbox_test.moc"
