// A model-based random test of the text box: random sequences of real events (typed keys, every
// Enter, pastes by each path, drops, input-method commits, selections, Backspace, Delete, cut,
// copy, undo, redo, set and clear) go to the real widget and to a plain model of its text and
// caret; after every step the two must agree to the code unit.
//
// QUORVEL_MODEL_STEPS sets the number of steps (default 20000), QUORVEL_MODEL_SEED the seed.

#include "runtime/textbox.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QTextDocument>
#include <QtTest>

#include <random>
#include <vector>

using quorvel::runtime::TextBox;
using namespace Qt::StringLiterals;

namespace {

// The model: the text as a sequence of units, each a code unit or a whole line break, so that a
// unit is one caret position; its exact text is the concatenation.
struct Unit {
    char16_t c; // the code unit, or the first code unit of a break
    bool crlf; // a CR LF break
    bool isBreak;
    friend bool operator==(const Unit&, const Unit&) = default;
};

bool breaks(char16_t c) {
    return c == u'\r' || c == u'\n' || c == u'\u2029' || c == u'\uFDD0' || c == u'\uFDD1';
}

std::vector<Unit> units(const QString& text) {
    std::vector<Unit> out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool crlf = c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
        out.push_back({ c, crlf, breaks(c) });
        i += crlf;
    }
    return out;
}

struct Model {
    std::vector<Unit> text;
    int caret = 0, anchor = 0;

    QString exact() const {
        QString s;
        for (const Unit& u : text) {
            s += QChar(u.c);
            if (u.crlf)
                s += u'\n';
        }
        return s;
    }
    // The document's own form: every break one U+2029.
    QString raw() const {
        QString s;
        for (const Unit& u : text)
            s += u.isBreak ? QChar(u'\u2029') : QChar(u.c);
        return s;
    }
    int from() const { return std::min(caret, anchor); }
    int to() const { return std::max(caret, anchor); }
    bool selected() const { return caret != anchor; }
    QString selection() const {
        Model part;
        part.text.assign(text.begin() + from(), text.begin() + to());
        return part.exact();
    }
    void replace(int a, int b, const QString& with) {
        const std::vector<Unit> inserted = units(with);
        text.erase(text.begin() + a, text.begin() + b);
        text.insert(text.begin() + a, inserted.begin(), inserted.end());
        caret = anchor = a + static_cast<int>(inserted.size());
    }
    void replaceSelection(const QString& with) { replace(from(), to(), with); }
    bool highAt(int i) const { return i >= 0 && i < size() && QChar(text[i].c).isHighSurrogate(); }
    bool lowAt(int i) const { return i >= 0 && i < size() && QChar(text[i].c).isLowSurrogate(); }
    int size() const { return static_cast<int>(text.size()); }
    int next(int p) const { return std::min(size(), p + (highAt(p) && lowAt(p + 1) ? 2 : 1)); }
    int previous(int p) const { return std::max(0, p - (lowAt(p - 1) && highAt(p - 2) ? 2 : 1)); }
};

QString show(const QString& text) {
    QString shown;
    for (QChar c : text)
        shown += c.unicode() < 0x7F && c.isPrint() ? QString(c) : u"<%1>"_s.arg(c.unicode(), 0, 16);
    return shown;
}

} // namespace

class TextBoxModelTest : public QObject {
    Q_OBJECT

    std::mt19937 random;
    TextBox* box = nullptr;
    Model model;
    QString clipboard;
    std::vector<Model> history; // every state the text has been in, for undo and redo
    std::vector<QString> recent;

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

    QString randomText(int maxUnits) {
        static const QString pieces[] = { u"\r"_s, u"\n"_s, u"\r\n"_s, QString(QChar(0x2028)),
            QString(QChar(0x2029)), QString(QChar(0x3000)), QString(QChar(0x00A0)),
            QString(QChar(0xFDD0)), QString(QChar(0xFDD1)), QString::fromUtf16(u"\U0001F600"),
            QString::fromUtf16(u"\U00020B9F"), u"a"_s, u"Z"_s, u" "_s, u"\t"_s, u"あ"_s, u"カ"_s,
            u"ｶ"_s, u"漢"_s, u"字"_s };
        QString s;
        for (int n = pick(maxUnits + 1); n > 0; --n)
            s += pieces[pick(std::size(pieces))];
        return s;
    }

    void key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(box, k, m); }

    void typeText(const QString& text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
        QCoreApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text);
        QCoreApplication::sendEvent(box, &release);
    }

    void setCaret(int position, int anchor) {
        QTextCursor cursor = box->textCursor();
        cursor.setPosition(anchor);
        cursor.setPosition(position, QTextCursor::KeepAnchor);
        box->setTextCursor(cursor);
        model.caret = position;
        model.anchor = anchor;
    }

    // A caret position that does not split a surrogate pair.
    int randomPosition() {
        int p = pick(model.size() + 1);
        return model.lowAt(p) && model.highAt(p - 1) ? p - 1 : p;
    }

    void drop(const QString& text) {
        QMimeData data;
        data.setText(text);
        const QPoint at = box->cursorRect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(box->viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(box->viewport(), &move);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(box->viewport(), &dropped);
    }

    // One random step, applied to the widget and to the model. Returns what it did.
    QString step() {
        switch (pick(22)) {
        case 0:
        case 1:
        case 2: {
            static const char16_t* typed[]
                = { u"a", u"Q", u"あ", u"漢", u"\u3000", u"ｶ", u"\U0001F600", u"\u2028" };
            const QString text = QString::fromUtf16(typed[pick(std::size(typed))]);
            typeText(text);
            model.replaceSelection(text);
            return u"type"_s;
        }
        case 3: {
            static const Qt::KeyboardModifiers mods[]
                = { Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::KeypadModifier };
            const Qt::KeyboardModifiers m = mods[pick(4)];
            key(m == Qt::KeypadModifier ? Qt::Key_Enter : Qt::Key_Return, m);
            model.replaceSelection(u"\r\n"_s);
            return u"enter"_s;
        }
        case 4:
        case 5: {
            const QString text = randomText(12);
            QGuiApplication::clipboard()->setText(text);
            clipboard = text;
            switch (pick(3)) {
            case 0:
                key(Qt::Key_V, Qt::ControlModifier);
                break;
            case 1:
                key(Qt::Key_Insert, Qt::ShiftModifier);
                break;
            case 2: {
                std::unique_ptr<QMenu> menu(box->createStandardContextMenu());
                for (QAction* action : menu->actions())
                    if (action->objectName() == u"edit-paste")
                        action->trigger();
                break;
            }
            }
            model.replaceSelection(text);
            return u"paste"_s;
        }
        case 6: {
            const QString text = randomText(8);
            if (model.selected())
                setCaret(model.caret, model.caret);
            drop(text);
            // The drop lands where the pointer is, next to the caret: where exactly (the caret at
            // the end of a wrapped line has two places on screen) the widget says; the rest must
            // follow the model.
            const int at = box->textCursor().position() - static_cast<int>(units(text).size());
            model.replace(at, at, text);
            return u"drop"_s;
        }
        case 7: {
            const QString text = randomText(6);
            QInputMethodEvent composing(u"かんじ"_s, {});
            QCoreApplication::sendEvent(box, &composing);
            // Composing replaces the selection, an undo step of its own.
            if (model.selected()) {
                model.replaceSelection({});
                history.push_back(model);
            }
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QCoreApplication::sendEvent(box, &commit);
            model.replaceSelection(text);
            return u"input method"_s;
        }
        case 8:
        case 9:
            setCaret(randomPosition(), randomPosition());
            return u"select"_s;
        case 10:
        case 11:
            key(Qt::Key_Backspace);
            if (model.selected())
                model.replaceSelection({});
            else if (model.caret > 0)
                model.replace(model.previous(model.caret), model.caret, {});
            return u"backspace"_s;
        case 12:
            key(Qt::Key_Delete);
            if (model.selected())
                model.replaceSelection({});
            else if (model.caret < model.size())
                model.replace(model.caret, model.next(model.caret), {});
            return u"delete"_s;
        case 13: {
            const bool shift = pick(2);
            const bool right = pick(2);
            if (model.selected() && !shift)
                return u"nothing"_s;
            key(right ? Qt::Key_Right : Qt::Key_Left, shift ? Qt::ShiftModifier : Qt::NoModifier);
            model.caret = right ? model.next(model.caret) : model.previous(model.caret);
            if (!shift)
                model.anchor = model.caret;
            return u"arrow"_s;
        }
        case 14:
            pick(2) ? key(Qt::Key_C, Qt::ControlModifier)
                    : key(Qt::Key_Insert, Qt::ControlModifier);
            if (model.selected())
                clipboard = model.selection();
            return u"copy"_s;
        case 15:
            pick(2) ? key(Qt::Key_X, Qt::ControlModifier) : key(Qt::Key_Delete, Qt::ShiftModifier);
            if (model.selected()) {
                clipboard = model.selection();
                model.replaceSelection({});
            }
            return u"cut"_s;
        case 16:
            if (clipboard.isNull())
                return u"nothing"_s;
            QGuiApplication::clipboard()->setText(clipboard);
            key(Qt::Key_V, Qt::ControlModifier);
            model.replaceSelection(clipboard);
            return u"paste back"_s;
        case 17:
        case 18:
            key(Qt::Key_Z, Qt::ControlModifier);
            return u"undo"_s;
        case 19:
            pick(2) ? key(Qt::Key_Y, Qt::ControlModifier)
                    : key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            return u"redo"_s;
        case 20: {
            const QString text = pick(4) ? randomText(30) : QString();
            box->setText(text);
            model.replace(0, model.size(), text);
            model.caret = model.anchor = 0;
            return u"set text"_s;
        }
        default:
            if (pick(2)) {
                key(Qt::Key_Home, Qt::ControlModifier);
                model.caret = model.anchor = 0;
            } else {
                key(Qt::Key_End, Qt::ControlModifier);
                model.caret = model.anchor = model.size();
            }
            return u"start or end"_s;
        }
    }

    // Undo and redo bring back an earlier state: the document's form names it, and the exact text
    // must be that state's, break by break.
    bool adoptEarlierState() {
        const QString raw = box->document()->toRawText();
        const QString exact = box->text();
        for (auto it = history.rbegin(); it != history.rend(); ++it) {
            if (it->raw() == raw && it->exact() == exact) {
                model.text = it->text;
                const QTextCursor cursor = box->textCursor();
                model.caret = cursor.position();
                model.anchor = cursor.anchor();
                return true;
            }
        }
        return false;
    }

private slots:
    void widgetFollowsTheModel() {
        const int steps = qEnvironmentVariableIsSet("QUORVEL_MODEL_STEPS")
            ? qEnvironmentVariableIntValue("QUORVEL_MODEL_STEPS")
            : 20000;
        const unsigned seed = qEnvironmentVariableIsSet("QUORVEL_MODEL_SEED")
            ? qEnvironmentVariableIntValue("QUORVEL_MODEL_SEED")
            : 20261207u;
        random.seed(seed);
        TextBox widget;
        box = &widget;
        widget.resize(300, 200);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        history.push_back(model);

        for (int i = 0; i < steps; ++i) {
            const QString did = step();
            recent.push_back(did + u" -> "_s + show(widget.text()));
            if (recent.size() > 6)
                recent.erase(recent.begin());
            const QString where = u"seed %1, step %2 (%3)"_s.arg(seed).arg(i).arg(did);
            if (did == u"undo" || did == u"redo") {
                if (!adoptEarlierState()) {
                    QString seen;
                    for (auto it = history.rbegin();
                         it != history.rend() && it - history.rbegin() < 4; ++it)
                        seen += u"\n  was "_s + show(it->exact());
                    for (const QString& r : recent)
                        seen += u"\n  step "_s + r;
                    QFAIL(qPrintable(
                        where + u": not an earlier state: "_s + show(widget.text()) + seen));
                }
            } else {
                QVERIFY2(widget.text() == model.exact(),
                    qPrintable(where
                        + u": text %1, model %2"_s.arg(show(widget.text()), show(model.exact()))));
                const QTextCursor cursor = widget.textCursor();
                QVERIFY2(cursor.position() == model.caret && cursor.anchor() == model.anchor,
                    qPrintable(where
                        + u": caret %1/%2, model %3/%4"_s.arg(cursor.position())
                              .arg(cursor.anchor())
                              .arg(model.caret)
                              .arg(model.anchor)));
            }
            QVERIFY2(QGuiApplication::clipboard()->text() == clipboard,
                qPrintable(where
                    + u": clipboard %1, model %2"_s.arg(
                        show(QGuiApplication::clipboard()->text()), show(clipboard))));
            if (history.empty() || !(history.back().text == model.text))
                history.push_back(model);
            // Keep the texts and the history small: a fresh start now and then.
            if (model.size() > 400 || history.size() > 3000) {
                widget.setText(u"");
                widget.document()->clearUndoRedoStacks();
                model = {};
                history.assign(1, model);
            }
        }
    }
};

QTEST_MAIN(TextBoxModelTest)
#include "textbox_model_test.moc"
