// A model-based random test of the text box: random sequences of real events (typed keys and words,
// every Enter, pastes by each path and of each kind of offer, drops, input-method commits,
// assistive tools' edits, selections, Backspace, Delete, cut, copy, undo, redo, and the box's own
// and Qt's text-setting functions) go to the real widget and to a plain model of its text and
// caret; after every step the two must agree to the code unit. Undo must bring back exactly the
// state before the step it undoes, and redo the state after it. A paste from another program may
// still be on its way when the next step comes (its text handed over from another thread, a moment
// later): the model puts it in first, where the caret was when it was asked for.
//
// QUORVEL_MODEL_STEPS sets the number of steps (default 20000), QUORVEL_MODEL_SEED the seed.

#include "runtime/qt/clipboard/offer_reader.h"
#include "runtime/qt/clipboard/offered_text.h"
#include "runtime/qt/testing.h"
#include "runtime/qt/textbox/editor.h"
#include "runtime/qt/textbox/textbox.h"
#include "runtime/qt/textbox/textbox_accessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextDocument>
#include <QtTest>

#include <chrono>
#include <map>
#include <numeric>
#include <optional>
#include <random>
#include <thread>
#include <vector>

using quorvel::runtime::IncomingText;
using quorvel::runtime::TextBox;
using quorvel::runtime::TextControl;
using quorvel::runtime::X11Transfer;
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
    // An edit made elsewhere than at the caret: the caret and the anchor keep their places in the
    // text around it, and one inside or at the edit ends after it.
    void edit(int a, int b, const QString& with) {
        const int caretWas = caret, anchorWas = anchor;
        replace(a, b, with);
        const int added = caret - a;
        const auto follow = [&](int p) {
            return p < a ? p : p > b ? p - (b - a) + added : a + added;
        };
        caret = follow(caretWas);
        anchor = follow(anchorWas);
    }
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

// Text as X11 compound text: ASCII as it is, the right half of Latin-1 and JIS X 0208 each after
// their escape sequence, everything else in UTF-8 segments.
QByteArray compoundText(const QString& text) {
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const qsizetype length = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString one = text.sliced(i, length);
        const QByteArray jis = QStringEncoder("EUC-JP").encode(one);
        const bool inJis = jis.size() == 2 && QStringDecoder("EUC-JP").decode(jis) == one;
        if (c.unicode() < 0x80 && one != u"\u007F")
            out += char(c.unicode());
        else if (c.unicode() >= 0xA0 && c.unicode() <= 0xFF)
            out += "\x1B-A" + QByteArray(1, char(c.unicode()));
        else if (inJis && uchar(jis[0]) >= 0xA1 && uchar(jis[1]) >= 0xA1)
            out += "\x1B$)B" + jis;
        else
            out += "\x1B%G" + one.toUtf8() + "\x1B%@";
        i += length - 1;
    }
    return out;
}

} // namespace

class TextBoxModelTest : public QObject {
    Q_OBJECT

    std::mt19937 random;
    TextBox* box = nullptr;
    Model model;
    QString clipboard;
    // The state before and after each undo step: undo brings back the first, redo the second.
    std::vector<std::pair<Model, Model>> undone, redone;
    std::vector<Model> between; // states a step passed through that end undo steps of their own
    std::vector<QString> recent;
    // A paste from another program still on its way: where the caret was when it was asked for,
    // and its text (none when the owner gave no text).
    struct OnItsWay {
        int caret, anchor;
        std::optional<QString> text;
    };
    std::optional<OnItsWay> onItsWay;
    std::shared_ptr<IncomingText> nextIncoming; // what the next paste takes as on its way
    std::thread owner; // the other program, handing its text over a moment later

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

    QString randomText(int maxUnits) {
        static const QString pieces[] = { u"\r"_s, u"\n"_s, u"\r\n"_s, QString(QChar(0x2028)),
            QString(QChar(0x2029)), QString(QChar(0x3000)), QString(QChar(0x00A0)),
            QString(QChar(0xFDD0)), QString(QChar(0xFDD1)), QString(QChar(0xFEFF)),
            QString::fromUtf16(u"\U0001F600"), QString::fromUtf16(u"\U00020B9F"), u"a"_s, u"Z"_s,
            u" "_s, u"\t"_s, u"あ"_s, u"カ"_s, u"ｶ"_s, u"漢"_s, u"字"_s };
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
        box->control().select(anchor, position);
        model.caret = position;
        model.anchor = anchor;
    }

    // A caret position that does not split a surrogate pair.
    int randomPosition() {
        int p = pick(model.size() + 1);
        return model.lowAt(p) && model.highAt(p - 1) ? p - 1 : p;
    }

    void drop(std::unique_ptr<QMimeData> offer) {
        QMimeData& data = *offer;
        const QPoint at = editorOf(*box).caretRect(box->control().caret().position).center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(viewportOf(*box), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(viewportOf(*box), &move);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(viewportOf(*box), &dropped);
    }

    // Text offered as the program offers it, or the way other programs offer it: as UTF-8 bytes
    // (a leading byte-order mark must survive), as text/plain;charset=utf-8 only, or as X11
    // compound text only. libX11 decodes compound text through an X display: with none at hand,
    // no compound text is offered.
    const bool compoundTextDecodes = !quorvel::runtime::textOfBytes("a", "COMPOUND_TEXT").isNull();
    std::unique_ptr<QMimeData> offer(const QString& text, bool oddly) {
        auto data = std::make_unique<QMimeData>();
        if (!oddly) {
            data->setText(text);
            return data;
        }
        switch (pick(compoundTextDecodes ? 3 : 2)) {
        case 0: // as most programs offer it, under both names
            data->setData(u"text/plain"_s, text.toUtf8());
            data->setData(u"text/plain;charset=utf-8"_s, text.toUtf8());
            break;
        case 1:
            data->setData(u"text/plain;charset=utf-8"_s, text.toUtf8());
            break;
        default:
            data->setData(u"COMPOUND_TEXT"_s, compoundText(text));
            break;
        }
        return data;
    }
    QString randomOffered(int maxUnits) {
        return pick(2) ? u"\uFEFF"_s + randomText(maxUnits) : randomText(maxUnits);
    }

    // The user waits: the paste on its way goes in by itself.
    static void idle() {
        const QDeadlineTimer patience(10'000);
        while (quorvel::runtime::pasteOnItsWay() && !patience.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    QAccessibleEditableTextInterface* assistiveTool() {
        // They reach the box where the focus is, its editor.
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(box->focusProxy());
        return access ? access->editableTextInterface() : nullptr;
    }

    // The steps, each applied to the widget and to the model; each returns what it did.

    QString typeStep() {
        // A character, or a word of a few, which Qt makes one undo step.
        static const char16_t* typed[]
            = { u"a", u"Q", u"あ", u"漢", u"\u3000", u"ｶ", u"\U0001F600", u"\u2028" };
        const int letters = pick(2) ? 1 : 2 + pick(3);
        for (int i = 0; i < letters; ++i) {
            const QString text = QString::fromUtf16(typed[pick(std::size(typed))]);
            typeText(text);
            model.replaceSelection(text);
        }
        return letters == 1 ? u"type"_s : u"type a word"_s;
    }

    QString enterStep() {
        static const Qt::KeyboardModifiers mods[]
            = { Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::KeypadModifier };
        const Qt::KeyboardModifiers m = mods[pick(4)];
        key(m == Qt::KeypadModifier ? Qt::Key_Enter : Qt::Key_Return, m);
        model.replaceSelection(u"\r\n"_s);
        return u"enter"_s;
    }

    QString pasteStep() {
        const bool oddly = !pick(3);
        const QString text = oddly ? randomOffered(12) : randomText(12);
        QGuiApplication::clipboard()->setMimeData(offer(text, oddly).release());
        clipboard = QGuiApplication::clipboard()->text();
        switch (pick(3)) {
        case 0:
            key(Qt::Key_V, Qt::ControlModifier);
            break;
        case 1:
            key(Qt::Key_Insert, Qt::ShiftModifier);
            break;
        case 2: {
            std::unique_ptr<QMenu> menu(contextMenuOf(*box));
            for (QAction* action : menu->actions())
                if (action->objectName() == u"edit-paste")
                    action->trigger();
            break;
        }
        }
        model.replaceSelection(text);
        return u"paste"_s;
    }

    QString dropStep() {
        if (model.selected()) { // a drop lands at a caret, not on a selection
            setCaret(model.caret, model.caret);
            return u"select"_s;
        }
        const bool oddly = !pick(3);
        const QString text = oddly ? randomOffered(8) : randomText(8);
        drop(offer(text, oddly));
        // The drop lands where the pointer is, next to the caret: where exactly (the caret at
        // the end of a wrapped line has two places on screen) the widget says; the rest must
        // follow the model.
        const int at = box->control().caret().position - static_cast<int>(units(text).size());
        model.replace(at, at, text);
        return u"drop"_s;
    }

    QString inputMethodStep() {
        const QString text = randomText(6);
        QInputMethodEvent composing(u"かんじ"_s, {});
        QCoreApplication::sendEvent(box, &composing);
        // Composing replaces the selection, an undo step of its own.
        if (model.selected()) {
            model.replaceSelection({});
            between.push_back(model);
        }
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QCoreApplication::sendEvent(box, &commit);
        model.replaceSelection(text);
        return u"input method"_s;
    }

    QString selectStep() {
        setCaret(randomPosition(), randomPosition());
        return u"select"_s;
    }

    // a selection that runs to the end, where a final line break may be
    QString selectToTheEndStep() {
        setCaret(model.size(), randomPosition());
        return u"select to the end"_s;
    }

    QString backspaceStep() {
        key(Qt::Key_Backspace);
        if (model.selected())
            model.replaceSelection({});
        else if (model.caret > 0)
            model.replace(model.previous(model.caret), model.caret, {});
        return u"backspace"_s;
    }

    QString deleteForwardStep() {
        key(Qt::Key_Delete);
        if (model.selected())
            model.replaceSelection({});
        else if (model.caret < model.size())
            model.replace(model.caret, model.next(model.caret), {});
        return u"delete"_s;
    }

    QString arrowStep() {
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

    QString copyStep() {
        pick(2) ? key(Qt::Key_C, Qt::ControlModifier) : key(Qt::Key_Insert, Qt::ControlModifier);
        if (model.selected())
            clipboard = model.selection();
        return u"copy"_s;
    }

    QString cutStep() {
        pick(2) ? key(Qt::Key_X, Qt::ControlModifier) : key(Qt::Key_Delete, Qt::ShiftModifier);
        if (model.selected()) {
            clipboard = model.selection();
            model.replaceSelection({});
        }
        return u"cut"_s;
    }

    QString pasteBackStep() {
        if (clipboard.isNull())
            return u"nothing"_s;
        QGuiApplication::clipboard()->setText(clipboard);
        key(Qt::Key_V, Qt::ControlModifier);
        model.replaceSelection(clipboard);
        return u"paste back"_s;
    }

    QString undoStep() {
        key(Qt::Key_Z, Qt::ControlModifier);
        return u"undo"_s;
    }

    QString redoStep() {
        pick(2) ? key(Qt::Key_Y, Qt::ControlModifier)
                : key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        return u"redo"_s;
    }

    QString setTextStep() {
        const QString text = pick(4) ? randomText(30) : QString();
        pick(2) ? box->setText(text) : box->setText(QStringView(text));
        model.replace(0, model.size(), text);
        model.caret = model.anchor = 0;
        return u"set text"_s;
    }

    QString assistiveEditStep() {
        // Assistive tools insert, replace and delete at positions of their own.
        QAccessibleEditableTextInterface* tool = assistiveTool();
        if (!tool)
            return u"no assistive interface"_s;
        const int from = randomPosition();
        const int to = std::max(from, randomPosition());
        const QString text = randomText(6);
        switch (pick(3)) {
        case 0:
            tool->insertText(from, text);
            model.edit(from, from, text);
            break;
        case 1:
            tool->replaceText(from, to, text);
            model.edit(from, to, text);
            break;
        default:
            tool->deleteText(from, to);
            model.edit(from, to, {});
            break;
        }
        return u"assistive edit"_s;
    }

    QString insertOrAppendStep() {
        const QString text = randomText(8);
        if (pick(2)) {
            box->control().insert(text);
            model.replaceSelection(text);
        } else {
            // Appended after a line break, as a program adds a line.
            const QString line = model.size() == 0 ? text : u"\r\n"_s + text;
            box->control().replace(TextControl::end, TextControl::end, line);
            model.edit(model.size(), model.size(), line);
        }
        return u"insert or append"_s;
    }

    QString clearStep() {
        if (pick(4)) // now and then: it forgets the undo history
            return u"nothing"_s;
        box->control().clear();
        model = {};
        return u"clear"_s;
    }

    QString pasteFromAnotherProgramStep() {
        // Another program's text, offered as UTF-8 or as compound text, or no text at all; it
        // has come already, or comes from the other program's thread a moment later.
        const QString text = randomOffered(12);
        X11Transfer given;
        if (pick(8)) {
            const bool compound = compoundTextDecodes && pick(3) == 0;
            given = { X11Transfer::End::Given, compound ? "COMPOUND_TEXT" : "UTF8_STRING",
                (compound ? compoundText(text) : text.toUtf8()).toStdString() };
        }
        auto incoming = std::make_shared<IncomingText>(quorvel::runtime::X11Selection::Clipboard);
        if (pick(2)) {
            incoming->finish(given);
        } else {
            if (owner.joinable())
                owner.join();
            owner = std::thread([incoming, given, ms = pick(3)] {
                std::this_thread::sleep_for(std::chrono::milliseconds(ms));
                incoming->finish(given);
            });
        }
        // The other program has the clipboard: Qt's data for it stands in for its offer.
        QGuiApplication::clipboard()->setText(text);
        clipboard = text;
        nextIncoming = incoming;
        pick(2) ? key(Qt::Key_V, Qt::ControlModifier) : key(Qt::Key_Insert, Qt::ShiftModifier);
        if (std::exchange(nextIncoming, nullptr))
            return u"paste not asked for"_s;
        onItsWay = { model.caret, model.anchor,
            given.end == X11Transfer::End::Given ? std::optional(text) : std::nullopt };
        return u"paste on its way"_s;
    }

    QString waitStep() {
        idle();
        return u"wait"_s;
    }

    QString startOrEndStep() {
        if (pick(2)) {
            key(Qt::Key_Home, Qt::ControlModifier);
            model.caret = model.anchor = 0;
        } else {
            key(Qt::Key_End, Qt::ControlModifier);
            model.caret = model.anchor = model.size();
        }
        return u"start or end"_s;
    }

    // The steps and how often each comes, out of the sum of the weights; a step is picked by a
    // number below that sum, in this order (so that a seed gives the same steps as before).
    struct Step {
        int weight;
        const char* name;
        QString (TextBoxModelTest::*run)();
    };
    static constexpr Step steps[] = {
        { 3, "type", &TextBoxModelTest::typeStep },
        { 1, "enter", &TextBoxModelTest::enterStep },
        { 2, "paste", &TextBoxModelTest::pasteStep },
        { 1, "drop", &TextBoxModelTest::dropStep },
        { 1, "input method", &TextBoxModelTest::inputMethodStep },
        { 2, "select", &TextBoxModelTest::selectStep },
        { 2, "backspace", &TextBoxModelTest::backspaceStep },
        { 1, "delete", &TextBoxModelTest::deleteForwardStep },
        { 1, "arrow", &TextBoxModelTest::arrowStep },
        { 1, "copy", &TextBoxModelTest::copyStep },
        { 1, "cut", &TextBoxModelTest::cutStep },
        { 1, "paste back", &TextBoxModelTest::pasteBackStep },
        { 2, "undo", &TextBoxModelTest::undoStep },
        { 1, "redo", &TextBoxModelTest::redoStep },
        { 1, "set text", &TextBoxModelTest::setTextStep },
        { 1, "assistive edit", &TextBoxModelTest::assistiveEditStep },
        { 1, "insert or append", &TextBoxModelTest::insertOrAppendStep },
        { 1, "clear", &TextBoxModelTest::clearStep },
        { 2, "paste on its way", &TextBoxModelTest::pasteFromAnotherProgramStep },
        { 1, "wait", &TextBoxModelTest::waitStep },
        { 1, "select to the end", &TextBoxModelTest::selectToTheEndStep },
        { 2, "start or end", &TextBoxModelTest::startOrEndStep },
    };

    // One random step. Returns what it did.
    QString step() {
        int n = pick(std::accumulate(std::begin(steps), std::end(steps), 0,
            [](int sum, const Step& step) { return sum + step.weight; }));
        for (const Step& step : steps) {
            if (n < step.weight)
                return (this->*step.run)();
            n -= step.weight;
        }
        return {};
    }

    QString check(const QString& where) const {
        const quorvel::runtime::Caret cursor = box->control().caret();
        if (box->text() != model.exact())
            return where + u": text %1, model %2"_s.arg(show(box->text()), show(model.exact()));
        if (cursor.position != model.caret || cursor.anchor != model.anchor)
            return where
                + u": caret %1/%2, model %3/%4"_s.arg(cursor.position)
                      .arg(cursor.anchor)
                      .arg(model.caret)
                      .arg(model.anchor);
        return {};
    }

private slots:
    // Assistive tools reach the box through its own interface, as they do in the program.
    void initTestCase() {
        quorvel::runtime::makeTextBoxesAccessible();
        quorvel::runtime::setTransferForTests(
            [this](const QMimeData&) { return std::exchange(nextIncoming, nullptr); });
    }

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
        // Qt decides what is one undo step: it says so each time it adds one.
        int undoSteps = 0;
        connect(&widget.control(), &TextControl::undoStepAdded, this, [&] { ++undoSteps; });

        std::map<QString, int> done; // steps by what they did, said at the end
        for (int i = 0; i < steps; ++i) {
            // A paste on its way goes in before whatever comes next, as an undo step of its own
            // when it changes the text.
            undoSteps = 0;
            int pasteSteps = 0;
            if (onItsWay) {
                const Model asked = model;
                if (onItsWay->text) {
                    model.caret = onItsWay->caret;
                    model.anchor = onItsWay->anchor;
                    model.replaceSelection(*onItsWay->text);
                }
                if (model.text != asked.text) {
                    undone.emplace_back(asked, model);
                    redone.clear();
                    pasteSteps = 1;
                }
                onItsWay.reset();
            }
            const Model before = model;
            between.clear();
            const QString did = step();
            QVERIFY(did != u"paste not asked for");
            ++done[did];
            if (did != u"paste on its way")
                idle(); // a step that did nothing to the box: the paste goes in meanwhile
            if (owner.joinable() && did != u"paste on its way")
                owner.join();
            undoSteps -= pasteSteps;
            const QString where = u"seed %1, step %2 (%3)"_s.arg(seed).arg(i).arg(did);
            if (did == u"undo" || did == u"redo") {
                // Back to exactly the state before the step undone, or after the step redone.
                auto& from = did == u"undo" ? undone : redone;
                auto& to = did == u"undo" ? redone : undone;
                if (!from.empty()) {
                    to.push_back(from.back());
                    model = did == u"undo" ? from.back().first : from.back().second;
                    from.pop_back();
                }
            } else if (did == u"clear") { // the undo history goes too
                undone.clear();
                redone.clear();
            } else if (undoSteps > 0) {
                // New undo steps: the state before each; a step merged into the last one (typing
                // goes on) adds none.
                between.insert(between.begin(), before);
                between.push_back(model);
                for (int k = 0; k < undoSteps && k + 1 < static_cast<int>(between.size()); ++k)
                    undone.emplace_back(between[k], between[k + 1]);
                undone.back().second = model;
                redone.clear();
            } else if (model.text != before.text) {
                if (!undone.empty()) // typing goes on: one undo step
                    undone.back().second = model;
                redone.clear();
            }
            recent.push_back(did + u" -> "_s + show(widget.text()));
            if (recent.size() > 6)
                recent.erase(recent.begin());
            QString failure = check(where);
            if (!failure.isEmpty()) {
                for (const QString& r : recent)
                    failure += u"\n  step "_s + r;
                QFAIL(qPrintable(failure));
            }
            QVERIFY2(QGuiApplication::clipboard()->text() == clipboard,
                qPrintable(where
                    + u": clipboard %1, model %2"_s.arg(
                        show(QGuiApplication::clipboard()->text()), show(clipboard))));
            // Keep the texts and the history small: a fresh start now and then.
            if (model.size() > 400 || undone.size() > 3000) {
                widget.control().clear();
                model = {};
                undone.clear();
                redone.clear();
            }
        }
        if (owner.joinable())
            owner.join();
        QString summary;
        for (const auto& [what, times] : done)
            summary += u"%1 %2, "_s.arg(what).arg(times);
        qInfo("%s", qPrintable(summary));
        if (!compoundTextDecodes)
            qInfo("no X display to decode compound text: none was offered");
    }
};

QTEST_MAIN(TextBoxModelTest)
#include "textbox_model_test.moc"
