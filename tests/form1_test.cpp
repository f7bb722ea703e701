// The main window through its real widgets, reached by its members: design, counting by clicks,
// pastes through the real clipboard (and, on X11, from other programs that answer slowly) and the
// Overflow report.

#include "runtime/program.h"
#include "runtime/qt/clipboard/offer_reader.h"
#include "runtime/qt/input/composition_guard.h"
#include "runtime/qt/testing.h"
#include "runtime/qt/window.h"
#include "runtime/testing.h"
#include "ui/form1.h"
#include "ui/frm_about.h"
#include "window_cases.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QtTest>

using namespace quorvel;
using namespace Qt::StringLiterals;

namespace {
// The large paste from another program: 38 あ and an LF on each line (CR LF breaks, as many,
// would overflow the count).
constexpr int bigLines = (64 << 20) / (38 * 3 + 1);
QString bigText() {
    return (QString(38, QChar(u'\u3042')) + u"\n"_s).repeated(bigLines);
}

const QString note = runtime::toQString(tests::note);

// A control of the window, picked in a data row by its member.
using Pick = QWidget* (*)(ui::Form1&);
template <auto member> QWidget* pick(ui::Form1& form) {
    return form.*member;
}
} // namespace

Q_DECLARE_METATYPE(Pick)

class Form1Test : public QObject {
    Q_OBJECT

    std::unique_ptr<ui::Form1> form;
    QWidget* window = nullptr;

    void clickCount() { QTest::mouseClick(form->Command1, Qt::LeftButton); }
    static ui::frmAbout& about() { return runtime::defaultInstance<ui::frmAbout>(); }
    void clickCheck1() { QTest::mouseClick(form->Check1, Qt::LeftButton, {}, QPoint(5, 8)); }
    void paste(const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(form->Text1, Qt::Key_V, Qt::ControlModifier);
    }

private slots:
    void init() {
        form = std::make_unique<ui::Form1>();
        form->Show();
        window = form->window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    void cleanup() {
        runtime::takeAnsweredReports();
        runtime::setTransferForTests(nullptr);
        runtime::discardInstances();
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void designPlacesControlsInTwips_data() {
        QTest::addColumn<Pick>("control");
        QTest::addColumn<QRect>("pixels"); // at 96 dots per inch: 15 twips a pixel
        QTest::newRow("Command1") << &pick<&ui::Form1::Command1> << QRect(0, 8, 89, 25);
        QTest::newRow("Label1") << &pick<&ui::Form1::Label1> << QRect(96, 8, 73, 25);
        QTest::newRow("Text1") << &pick<&ui::Form1::Text1> << QRect(0, 40, 433, 145);
        QTest::newRow("Command2") << &pick<&ui::Form1::Command2> << QRect(176, 8, 89, 25);
        QTest::newRow("Label2") << &pick<&ui::Form1::Label2> << QRect(0, 192, 433, 33);
        QTest::newRow("Check1") << &pick<&ui::Form1::Check1> << QRect(288, 8, 145, 17);
    }

    void designPlacesControlsInTwips() {
        QFETCH(Pick, control);
        QFETCH(QRect, pixels);
        QCOMPARE(control(*form)->geometry(), pixels);
    }

    void fontsAreJapanese() {
        const QStringList families = QFontDatabase::families();
        if (!families.contains(QStringLiteral("IPAMincho"))
            && !families.contains(QStringLiteral("Noto Serif CJK JP")))
            QSKIP("no Japanese serif face here (scripts/setup.sh installs fonts-ipafont-mincho)");
        // "ＭＳ 明朝" is a Japanese serif face; the default face is a Japanese sans.
        for (QWidget* control : std::initializer_list<QWidget*> { form->Label1, form->Text1 }) {
            const QString family = QFontInfo(control->font()).family();
            QVERIFY2(family == u"IPAMincho" || family == u"Noto Serif CJK JP", qPrintable(family));
        }
        const QString gothic = QFontInfo(form->Command1->font()).family();
        QVERIFY2(
            gothic.startsWith(u"IPA") || gothic.startsWith(u"Noto Sans CJK"), qPrintable(gothic));
    }

    void designCaptionsFontsAndMenu() {
        QCOMPARE(window->windowTitle(), QStringLiteral("クオルベル"));
        QCOMPARE(form->Command1->parentWidget()->size(), QSize(437, 226)); // the client area
        QCOMPARE(form->Command1->text(), QStringLiteral("カウント実行"));
        QCOMPARE(form->Command2->text(), QStringLiteral("テキストクリア"));
        QCOMPARE(form->Check1->text(), QStringLiteral("全角ｽﾍﾟｰｽをｶｳﾝﾄする"));

        // "ＭＳ 明朝" 9.75 pt is 13 pixels.
        for (QWidget* control : std::initializer_list<QWidget*> { form->Label1, form->Text1 })
            QCOMPARE(QFontInfo(control->font()).pixelSize(), 13);

        QCOMPARE(form->file->title(), QStringLiteral("file"));
        const QList<QAction*> items = form->file->actions();
        QCOMPARE(items, (QList<QAction*> { form->about, form->end }));
        QCOMPARE(items[0]->text(), QStringLiteral("about"));
        QCOMPARE(items[1]->text(), QStringLiteral("end"));
        for (QAction* item : items)
            QVERIFY(item->shortcut().isEmpty());
    }

    void startsWithEmptyDisplayAndTwoLineNote() {
        QCOMPARE(form->Label1->caption(), QString());
        QCOMPARE(form->Text1->text(), QString());
        QCOMPARE(form->Check1->value(), 0);
        QCOMPARE(form->Label2->caption(), note); // keeps its lone CR ...
        QCOMPARE(form->Label2->text().count(u'\n'), 1); // ... and shows it as a line break
    }

    void countsTypedTextWithEveryEnter() {
        QTest::keyClicks(form->Text1, "ab");
        QTest::keyClick(form->Text1, Qt::Key_Return);
        QTest::keyClick(form->Text1, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClick(form->Text1, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClick(form->Text1, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClicks(form->Text1, "cd");
        QCOMPARE(form->Text1->text(), QStringLiteral("ab\r\n\r\n\r\n\r\ncd"));
        clickCount();
        QCOMPARE(form->Label1->caption(), QStringLiteral("4"));
        QCOMPARE(form->Label1->text(), QStringLiteral("4"));
    }

    void countsPastedText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("check"); // Check1 set to it by code first
        QTest::addColumn<bool>("click"); // then Check1 clicked once
        QTest::addColumn<QString>("count");
        for (const tests::PastedCount& row : tests::pastedCounts())
            QTest::newRow(row.name) << runtime::toQString(row.text) << row.check << row.click
                                    << runtime::toQString(row.count);
    }

    void countsPastedText() {
        QFETCH(QString, text);
        QFETCH(int, check);
        QFETCH(bool, click);
        QFETCH(QString, count);
        form->Check1->setValue(static_cast<runtime::Integer>(check));
        if (click)
            clickCheck1();
        QCOMPARE(form->Check1->value(), click ? (check == 1 ? 0 : 1) : check);
        paste(text);
        QCOMPARE(form->Text1->text(), text);
        clickCount();
        QCOMPARE(form->Label1->caption(), count);
    }

    // Ends the composition はい in Text1 as a row says: a click on カウント実行, an accessibility
    // Press of カウント実行 or テキストクリア (the focus stays in the box), a click in the box, or
    // the focus moved by the program.
    void endComposition(const QString& ending) {
        QVERIFY(QTest::qWaitForWindowActive(window));
        form->Text1->setFocus();
        QInputMethodEvent composing(QStringLiteral("はい"), {});
        QCoreApplication::sendEvent(form->Text1, &composing);
        QCOMPARE(form->Text1->text(), QString());
        if (ending == u"click count") {
            clickCount();
        } else if (ending.startsWith(u"press")) {
            QWidget* button = ending == u"press count" ? form->Command1 : form->Command2;
            QAccessible::queryAccessibleInterface(button)->actionInterface()->doAction(
                QAccessibleActionInterface::pressAction());
            // The Press clicks the button a moment later; its handler runs once the composition
            // has ended.
            QTRY_VERIFY(runtime::CompositionGuard::instance().state()
                != runtime::CompositionGuard::State::Composing);
        } else if (ending == u"click in the box") {
            QTest::mouseClick(viewportOf(*form->Text1), Qt::LeftButton, {}, QPoint(200, 100));
        } else {
            form->Check1->setFocus();
        }
    }

    // What the input method, the program or the user does next, in a row's words.
    void then(const QString& step) {
        QObject* focus = QGuiApplication::focusObject();
        const auto send = [focus](const QString& commit) {
            QInputMethodEvent event;
            event.setCommitString(commit);
            QCoreApplication::sendEvent(focus, &event);
        };
        if (step == u"late copy") { // ibus clears its composition, then commits it again
            send({});
            send(QStringLiteral("はい"));
        } else if (step == u"nothing") {
            send({});
        } else if (step.startsWith(u"commit ")) {
            send(step.sliced(7));
        } else if (step == u"compose and commit") {
            QInputMethodEvent composing(QStringLiteral("はい"), {});
            QCoreApplication::sendEvent(focus, &composing);
            send(QStringLiteral("はい"));
        } else if (step == u"type x") {
            QTest::keyClick(form->Text1, Qt::Key_X);
        } else if (step == u"press Shift") { // and hold it, as before a capital
            QTest::keyPress(form->Text1, Qt::Key_Shift);
        } else if (step == u"paste ペ from the menu, on its way") {
            // Asked for at the click in the box, before the ending: its text comes later.
            QGuiApplication::clipboard()->setText(u"ours"_s);
            runtime::setTransferForTests([](const QMimeData&) {
                auto incoming
                    = std::make_shared<runtime::IncomingText>(runtime::X11Selection::Clipboard);
                incoming->finish({ runtime::X11Transfer::End::Given, "UTF8_STRING", "ペ" });
                return incoming;
            });
            const std::unique_ptr<QMenu> menu(contextMenuOf(*form->Text1));
            for (QAction* action : menu->actions())
                if (action->objectName() == u"edit-paste")
                    action->trigger();
            runtime::setTransferForTests(nullptr);
        } else if (step == u"the paste goes in") {
            QTRY_VERIFY(!runtime::pasteOnItsWay());
        } else if (step == u"program empties the box") {
            form->Text1->setText(u"");
        } else if (step == u"focus away and back") {
            form->Check1->setFocus();
            form->Text1->setFocus();
        } else if (step == u"deadline passes") {
            QTRY_COMPARE_WITH_TIMEOUT(runtime::CompositionGuard::instance().state(),
                runtime::CompositionGuard::State::Idle, 10'000);
        } else {
            QFAIL(qPrintable(u"no step "_s + step));
        }
    }

    void compositionEndedOtherwiseIsEnteredOnce_data() {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("text");
        const QString once = QStringLiteral("はい");
        const QString twice = QStringLiteral("はいはい");
        const QStringList late { u"late copy"_s };
        QTest::newRow("click カウント実行") << "click count" << late << once;
        QTest::newRow("Press カウント実行") << "press count" << late << once;
        QTest::newRow("Press テキストクリア") << "press clear" << late << QString();
        QTest::newRow("click in the box") << "click in the box" << late << once;
        QTest::newRow("focus moved") << "focus moved" << late << once;
        // The copy never comes (fcitx5, or an ibus engine that drops its composition when reset):
        // the same word entered next is entered.
        QTest::newRow("nothing, the box emptied, はい")
            << "press count"
            << QStringList { u"nothing"_s, u"nothing"_s, u"nothing"_s, u"program empties the box"_s,
                   u"commit はい"_s }
            << once;
        QTest::newRow("はい composed again")
            << "click in the box" << QStringList { u"compose and commit"_s } << twice;
        QTest::newRow("x typed, はい")
            << "press count" << QStringList { u"type x"_s, u"commit はい"_s }
            << QStringLiteral("はいxはい");
        QTest::newRow("focus away and back, はい")
            << "press count" << QStringList { u"focus away and back"_s, u"commit はい"_s } << twice;
        QTest::newRow("deadline, はい")
            << "click in the box" << QStringList { u"deadline passes"_s, u"commit はい"_s }
            << twice;
        // A modifier pressed alone, and a paste asked for before that goes in now, are not the
        // user going on: the late copy is still dropped.
        QTest::newRow("Shift pressed alone, the late copy")
            << "click in the box" << QStringList { u"press Shift"_s, u"late copy"_s } << once;
        QTest::newRow("a paste going in, the late copy")
            << "click in the box"
            << QStringList { u"paste ペ from the menu, on its way"_s, u"the paste goes in"_s,
                   u"late copy"_s }
            << QStringLiteral("はいペ");
    }

    void compositionEndedOtherwiseIsEnteredOnce() {
        QFETCH(QString, ending);
        QFETCH(QStringList, after);
        QFETCH(QString, text);
        endComposition(ending);
        if (QTest::currentTestFailed())
            return;
        // What a click handler read is what the box showed.
        if (ending.endsWith(u"count"))
            QCOMPARE(form->Label1->caption(), QStringLiteral("2"));
        QCOMPARE(
            form->Text1->hasFocus(), ending.startsWith(u"press") || ending == u"click in the box");
        for (const QString& step : after) {
            then(step);
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(form->Text1->text(), text);
    }

    // What the user does while a paste from another X11 program is still on its way
    // (tests/x11_owner.c, answering after a delay) takes effect after the paste, in the user's
    // order: each step of a row is a real action, and the text and the display are read at once
    // after the last, without waiting for the owner.
    void actionsAfterAPasteKeepTheirOrder_data() {
        QTest::addColumn<QStringList>("owner"); // x11_owner's arguments
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("text"); // of Text1 after the steps
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("beeps"); // pastes given up
        const QStringList slow { u"clipboard"_s, u"UTF8_STRING"_s, u"750"_s, u"data"_s,
            u"50505050"_s }; // PPPP, 1.5 s after the paste (two answers)
        QStringList slowSelection = slow;
        slowSelection[0] = u"primary"_s;
        const QStringList silent { u"clipboard"_s, u"UTF8_STRING"_s, u"600000"_s, u"data"_s,
            u"50"_s };
        const QStringList slowTargets { u"clipboard"_s, u"UTF8_STRING"_s, u"3000"_s, u"data"_s,
            u"50"_s };
        const QStringList picture { u"clipboard"_s, u"image/png"_s, u"0"_s, u"data"_s,
            u"89504e47"_s };
        // 64 MiB of Japanese lines in UTF-8, in pieces of 256 KiB every 31 ms: about 8 s.
        const QStringList inPieces { u"-pieces"_s, u"262144"_s, u"31"_s, u"clipboard"_s,
            u"UTF8_STRING"_s, u"0"_s, u"data"_s,
            u"e38182"_s.repeated(38) + u"0a*"_s + QString::number(bigLines) };
        QTest::newRow("a, Ctrl+V, b, count")
            << slow << QStringList { u"type a"_s, u"Ctrl+V"_s, u"type b"_s, u"count"_s }
            << u"aPPPPb"_s << u"6"_s << 0;
        QTest::newRow("xy, Ctrl+V, clear")
            << slow
            << QStringList { u"type xy"_s, u"Ctrl+V"_s, u"clear"_s, u"past the owner's answer"_s }
            << QString() << QString() << 0;
        QTest::newRow("xy, Ctrl+V, Ctrl+A")
            << slow
            << QStringList { u"type xy"_s, u"Ctrl+V"_s, u"Ctrl+A"_s, u"past the owner's answer"_s }
            << u"xyPPPP"_s << QString() << 0;
        QTest::newRow("Ctrl+V, file → about, typing there")
            << slow << QStringList { u"Ctrl+V"_s, u"about"_s, u"type q in About"_s } << u"PPPP"_s
            << QString() << 0;
        QTest::newRow("middle-click, a key")
            << slowSelection << QStringList { u"middle-click"_s, u"type b"_s } << u"PPPPb"_s
            << QString() << 0;
        QTest::newRow("an owner that never answers: given up, then the key")
            << silent << QStringList { u"Ctrl+V"_s, u"type b"_s } << u"b"_s << QString() << 1;
        QTest::newRow("the context menu while the owner is slow to say what it offers")
            << slowTargets << QStringList { u"context menu"_s } << QString() << QString() << 0;
        QTest::newRow("Paste from the context menu when the owner offers no text")
            << picture << QStringList { u"type xy"_s, u"context menu Paste"_s, u"count"_s }
            << u"xy"_s << u"2"_s << 0;
        QTest::newRow("64 MiB in pieces over 8 s, count")
            << inPieces << QStringList { u"Ctrl+V"_s, u"count"_s } << bigText()
            << QString::number(39 * bigLines) << 0;
    }
    void actionsAfterAPasteKeepTheirOrder() {
        QFETCH(QStringList, owner);
        QFETCH(QStringList, steps);
        QFETCH(QString, text);
        QFETCH(QString, display);
        QFETCH(int, beeps);
        if (QGuiApplication::platformName() != u"xcb")
            QSKIP("the offers of other programs need a real X server");
        QVERIFY(QTest::qWaitForWindowActive(window));
        const QClipboard::Mode mode
            = owner.contains(u"primary"_s) ? QClipboard::Selection : QClipboard::Clipboard;
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(u"ours"_s, mode);
        QProcess process;
        process.start(QStringLiteral(X11_OWNER), owner);
        const auto end = qScopeGuard([&] {
            process.kill();
            process.waitForFinished();
        });
        QVERIFY(process.waitForStarted());
        QTRY_VERIFY(!(mode == QClipboard::Selection ? clipboard->ownsSelection()
                                                    : clipboard->ownsClipboard()));
        runtime::takeBeeps();
        form->Text1->setFocus();
        for (const QString& step : steps) {
            if (step.startsWith(u"type ") && !step.endsWith(u"About")) {
                QTest::keyClicks(form->Text1, qPrintable(step.sliced(5)));
            } else if (step == u"Ctrl+V") {
                QTest::keyClick(form->Text1, Qt::Key_V, Qt::ControlModifier);
            } else if (step == u"Ctrl+A") {
                QTest::keyClick(form->Text1, Qt::Key_A, Qt::ControlModifier);
            } else if (step == u"middle-click") {
                QTest::mouseClick(viewportOf(*form->Text1), Qt::MiddleButton, {}, QPoint(5, 5));
            } else if (step == u"count") {
                clickCount();
            } else if (step == u"clear") {
                QTest::mouseClick(form->Command2, Qt::LeftButton);
            } else if (step == u"about") {
                form->about->trigger();
                QVERIFY(about().isLoaded());
            } else if (step == u"type q in About") {
                QTest::keyClicks(about().Text1, "q");
                QVERIFY(about().Text1->text().contains(u'q'));
            } else if (step == u"past the owner's answer") {
                QTest::qWait(2000); // nothing more comes
            } else if (step == u"context menu Paste") {
                const std::unique_ptr<QMenu> menu(contextMenuOf(*form->Text1));
                for (QAction* action : menu->actions())
                    if (action->objectName() == u"edit-paste")
                        action->trigger();
            } else if (step == u"context menu") {
                // Whether the paste can be offered is not asked of the slow owner.
                QElapsedTimer opening;
                opening.start();
                QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                    viewportOf(*form->Text1)->mapToGlobal(QPoint(5, 5)));
                QCoreApplication::sendEvent(viewportOf(*form->Text1), &event);
                QVERIFY2(opening.elapsed() < 1000, qPrintable(QString::number(opening.elapsed())));
                QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
                QApplication::activePopupWidget()->close();
            } else {
                QFAIL(qPrintable(u"no step "_s + step));
            }
        }
        QVERIFY2(form->Text1->text() == text,
            qPrintable(form->Text1->text().left(40) + u" / "_s + text.left(40)));
        QCOMPARE(form->Label1->caption(), display);
        QCOMPARE(runtime::takeBeeps(), beeps);
    }

    void shiftInsertPastesExactly() {
        const QString text = QStringLiteral("x\ny\r");
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(form->Text1, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(form->Text1->text(), text);
    }

    void clearEmptiesTextButKeepsCount() {
        paste("abc");
        clickCount();
        QTest::mouseClick(form->Command2, Qt::LeftButton);
        QCOMPARE(form->Text1->text(), QString());
        QCOMPARE(form->Label1->caption(), QStringLiteral("3"));
    }

    void checkBoxAndTypingDoNotRecount() {
        paste(QString::fromUtf16(u"\u3000\u3000a"));
        clickCount();
        QCOMPARE(form->Label1->caption(), QStringLiteral("1"));
        clickCheck1();
        QTest::keyClicks(form->Text1, "zz");
        QCOMPARE(form->Label1->caption(), QStringLiteral("1"));
        clickCount();
        QCOMPARE(form->Label1->caption(), QStringLiteral("5"));
    }

    void backspaceAfterLineBreakDeletesCrLf() {
        QTest::keyClicks(form->Text1, "a");
        QTest::keyClick(form->Text1, Qt::Key_Return);
        QTest::keyClick(form->Text1, Qt::Key_Backspace);
        QCOMPARE(form->Text1->text(), QStringLiteral("a"));
    }

    void tabMovesFocusAndEscDoesNothing() {
        QVERIFY(form->Command1->hasFocus());
        QWidget* const order[] = { form->Text1, form->Command2, form->Check1, form->Command1 };
        for (QWidget* control : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY2(control->hasFocus(), qPrintable(control->objectName()));
        }
        // And back: Shift+Tab leaves the text box too.
        for (QWidget* control : std::initializer_list<QWidget*> {
                 form->Check1, form->Command2, form->Text1, form->Command1 }) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QVERIFY2(control->hasFocus(), qPrintable(control->objectName()));
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(form->Text1, Qt::Key_Escape);
        QCOMPARE(form->Text1->text(), QString());
        QVERIFY(form->isLoaded());
        QVERIFY(window->isVisible());
    }

    void controlsReachScreenReadersByName() {
        const std::pair<QWidget*, QString> names[] = {
            { form->Command1, QStringLiteral("カウント実行") },
            { form->Command2, QStringLiteral("テキストクリア") },
            { form->Check1, QStringLiteral("全角ｽﾍﾟｰｽをｶｳﾝﾄする") },
            { form->Text1, QStringLiteral("カウントするテキスト") },
        };
        for (const auto& [control, name] : names) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY(accessible);
            QCOMPARE(accessible->text(QAccessible::Name), name);
        }
        paste("abc");
        clickCount();
        QCOMPARE(QAccessible::queryAccessibleInterface(form->Label1)->text(QAccessible::Name),
            QStringLiteral("3"));
    }

    void resizingLeavesControlsInPlace() {
        const QRect before = form->Text1->geometry();
        window->resize(800, 600);
        QCOMPARE(form->Text1->geometry(), before);
    }

    void overflowIsReportedAndNothingIsLost() {
        const QString text = runtime::toQString(tests::pairsPastTheLimit());
        paste(text);
        runtime::answerNextReport();
        clickCount();
        QCOMPARE(runtime::takeAnsweredReports(), std::vector { runtime::ErrorNumber::Overflow });
        QCOMPARE(form->Label1->caption(), QStringLiteral("0")); // shown before the count ran
        QVERIFY(form->isLoaded() && window->isVisible());
        QCOMPARE(form->Text1->text(), text);

        // The window goes on working: one break fewer is within the limits.
        QTest::keyClick(form->Text1, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(form->Text1, Qt::Key_Delete);
        runtime::answerNextReport();
        clickCount();
        QCOMPARE(form->Label1->caption(), QStringLiteral("3"));
        QVERIFY(runtime::takeAnsweredReports().empty());
    }

    void overflowFromFullWidthSpacesOnlyWhenUnchecked() {
        paste(runtime::toQString(tests::spacesPastTheLimit()));
        runtime::answerNextReport();
        clickCount();
        QCOMPARE(runtime::takeAnsweredReports(), std::vector { runtime::ErrorNumber::Overflow });
        clickCheck1();
        runtime::answerNextReport();
        clickCount();
        QVERIFY(runtime::takeAnsweredReports().empty());
        QCOMPARE(form->Label1->caption(), QStringLiteral("32768"));
    }

    void defaultReportIsAMessageBoxTheUserCloses() {
        paste(QStringLiteral("\r\n").repeated(20000));
        // The user reads the box and presses Enter; what was shown is checked once it is closed.
        bool boxShown = false;
        QString shown, title;
        QTimer user;
        user.setInterval(10);
        QObject::connect(&user, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            user.stop();
            boxShown = true;
            shown = box->text();
            title = box->windowTitle();
            QTest::keyClick(box, Qt::Key_Return);
        });
        user.start();
        clickCount();
        user.stop();
        QVERIFY(boxShown);
        QVERIFY2(shown.contains(u"6") && shown.contains(u"オーバーフロー"), qPrintable(shown));
        QCOMPARE(title, runtime::toQString(runtime::programTitle()));
        QVERIFY(form->isLoaded());
        QCOMPARE(form->Text1->text().size(), 40000);
    }
};

QTEST_MAIN(Form1Test)

#include "form1_test.moc"
