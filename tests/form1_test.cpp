// The main window through its real widgets: design, counting by clicks, pastes through the real
// clipboard, the Overflow report, and the program's end.

#include "runtime/controls.h"
#include "runtime/program.h"
#include "runtime/textbox.h"
#include "ui/form1.h"
#include "ui/project.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace quorvel;
using runtime::CheckBox;
using runtime::Label;
using runtime::TextBox;

namespace {
const QString note
    = QStringLiteral("上のﾃｷｽﾄﾎﾞｯｸｽに、ﾃｷｽﾄを貼り付けて、カウント実行ボタンを押して下さい。"
                     "\r全角１文字も半角１文字も同じ、１カウントです。");
}

class Form1Test : public QObject {
    Q_OBJECT

    std::unique_ptr<ui::Form1> form;
    QWidget* window = nullptr;

    template <typename T = QWidget> T* find(const char* name) {
        auto* found = dynamic_cast<T*>(window->findChild<QObject*>(QString::fromUtf8(name)));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    TextBox* text1() { return find<TextBox>("Text1"); }
    Label* label1() { return find<Label>("Label1"); }
    void clickCount() { QTest::mouseClick(find("Command1"), Qt::LeftButton); }
    void paste(const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(text1(), Qt::Key_V, Qt::ControlModifier);
    }

private slots:
    void init() {
        form = std::make_unique<ui::Form1>();
        form->Show();
        window = form->window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    void cleanup() {
        runtime::setErrorReport({});
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void designPlacesControlsInTwips_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels"); // at 96 dots per inch: 15 twips a pixel
        QTest::newRow("Command1") << "Command1" << QRect(0, 8, 89, 25);
        QTest::newRow("Label1") << "Label1" << QRect(96, 8, 73, 25);
        QTest::newRow("Text1") << "Text1" << QRect(0, 40, 433, 145);
        QTest::newRow("Command2") << "Command2" << QRect(176, 8, 89, 25);
        QTest::newRow("Label2") << "Label2" << QRect(0, 192, 433, 33);
        QTest::newRow("Check1") << "Check1" << QRect(288, 8, 145, 17);
    }

    void designPlacesControlsInTwips() {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        QCOMPARE(find(name.toUtf8().constData())->geometry(), pixels);
    }

    void designCaptionsFontsAndMenu() {
        QCOMPARE(window->windowTitle(), QStringLiteral("クオルベル"));
        QCOMPARE(find("client")->size(), QSize(437, 226));
        QCOMPARE(find<QPushButton>("Command1")->text(), QStringLiteral("カウント実行"));
        QCOMPARE(find<QPushButton>("Command2")->text(), QStringLiteral("テキストクリア"));
        QCOMPARE(find<CheckBox>("Check1")->text(), QStringLiteral("全角ｽﾍﾟｰｽをｶｳﾝﾄする"));

        // "ＭＳ 明朝" 9.75 pt is a Japanese serif face of 13 pixels; the default face is Japanese.
        for (const char* name : { "Label1", "Text1" }) {
            const QFontInfo info(find(name)->font());
            QVERIFY2(info.family() == u"IPAMincho" || info.family() == u"Noto Serif CJK JP",
                qPrintable(info.family()));
            QCOMPARE(info.pixelSize(), 13);
        }
        const QString gothic = QFontInfo(find("Command1")->font()).family();
        QVERIFY2(
            gothic.startsWith(u"IPA") || gothic.startsWith(u"Noto Sans CJK"), qPrintable(gothic));

        auto* file = find<QMenu>("file");
        QCOMPARE(file->title(), QStringLiteral("file"));
        const QList<QAction*> items = file->actions();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0]->objectName(), QStringLiteral("about"));
        QCOMPARE(items[0]->text(), QStringLiteral("about"));
        QCOMPARE(items[1]->objectName(), QStringLiteral("end"));
        QCOMPARE(items[1]->text(), QStringLiteral("end"));
        for (QAction* item : items)
            QVERIFY(item->shortcut().isEmpty());
    }

    void startsWithEmptyDisplayAndTwoLineNote() {
        QCOMPARE(label1()->caption(), QString());
        QCOMPARE(text1()->text(), QString());
        QCOMPARE(find<CheckBox>("Check1")->value(), 0);
        auto* label2 = find<Label>("Label2");
        QCOMPARE(label2->caption(), note); // keeps its lone CR ...
        QCOMPARE(label2->text().count(u'\n'), 1); // ... and shows it as a line break
    }

    void countsTypedTextWithEveryEnter() {
        QTest::keyClicks(text1(), "ab");
        QTest::keyClick(text1(), Qt::Key_Return);
        QTest::keyClick(text1(), Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClick(text1(), Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClick(text1(), Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClicks(text1(), "cd");
        QCOMPARE(text1()->text(), QStringLiteral("ab\r\n\r\n\r\n\r\ncd"));
        clickCount();
        QCOMPARE(label1()->caption(), QStringLiteral("4"));
        QCOMPARE(label1()->text(), QStringLiteral("4"));
    }

    void countsPastedText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("count");
        QTest::newRow("empty box") << "" << false << "0";
        QTest::newRow("pasted CR LF is a line break") << "ab\r\ncd" << false << "4";
        QTest::newRow("pasted lone LF counts") << "ab\ncd" << false << "5";
        QTest::newRow("pasted lone CR counts") << "ab\rcd" << false << "5";
        QTest::newRow("CR CR LF keeps the first CR") << "\r\r\n" << false << "1";
        QTest::newRow("LF CR is no pair") << "\n\r" << false << "2";
        QTest::newRow("U+2028 and U+2029 count")
            << QString::fromUtf16(u"a\u2028b\u2029c") << false << "5";
        QTest::newRow("full-width space unchecked")
            << QString::fromUtf16(u"\uFF21\u3000\uFF22") << false << "2";
        QTest::newRow("full-width space checked")
            << QString::fromUtf16(u"\uFF21\u3000\uFF22") << true << "3";
        QTest::newRow("no-break space and tab") << QString::fromUtf16(u"\u00A0\t") << false << "2";
        QTest::newRow("surrogate pair counts two")
            << QString::fromUtf16(u"\U0001F600") << false << "2";
        QTest::newRow("frame marks are ordinary")
            << QString::fromUtf16(u"\uFDD0\uFDD1") << false << "2";
    }

    void countsPastedText() {
        QFETCH(QString, text);
        QFETCH(bool, checked);
        QFETCH(QString, count);
        if (checked)
            QTest::mouseClick(find("Check1"), Qt::LeftButton, {}, QPoint(5, 8));
        QCOMPARE(find<CheckBox>("Check1")->value(), checked ? 1 : 0);
        paste(text);
        QCOMPARE(text1()->text(), text);
        clickCount();
        QCOMPARE(label1()->caption(), count);
    }

    void countsTextStillBeingComposed_data() {
        QTest::addColumn<bool>("press"); // the accessibility Press: the focus stays in the box
        QTest::newRow("click") << false;
        QTest::newRow("accessibility press") << true;
    }

    void countsTextStillBeingComposed() {
        QFETCH(bool, press);
        QVERIFY(QTest::qWaitForWindowActive(window));
        text1()->setFocus();
        QInputMethodEvent composing(QStringLiteral("かな"), {});
        QCoreApplication::sendEvent(text1(), &composing);
        if (press) {
            QAccessibleInterface* button = QAccessible::queryAccessibleInterface(find("Command1"));
            button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        } else {
            clickCount();
        }
        QTRY_COMPARE(label1()->caption(), QStringLiteral("2"));
        QCOMPARE(text1()->text(), QStringLiteral("かな"));
        QCOMPARE(QApplication::focusWidget() == text1(), press);
        // An input method that commits the same composition a moment later (ibus) does not enter
        // it twice; what is composed next is entered as usual.
        QInputMethodEvent cleared, late, next;
        late.setCommitString(QStringLiteral("かな"));
        next.setCommitString(QStringLiteral("かな"));
        for (QInputMethodEvent* event : { &cleared, &late, &next })
            QCoreApplication::sendEvent(text1(), event);
        QCOMPARE(
            text1()->text(), press ? QStringLiteral("かなかな") : QStringLiteral("かなかなかな"));
    }

    void shiftInsertPastesExactly() {
        const QString text = QStringLiteral("x\ny\r");
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(text1(), Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(text1()->text(), text);
    }

    void clearEmptiesTextButKeepsCount() {
        paste("abc");
        clickCount();
        QTest::mouseClick(find("Command2"), Qt::LeftButton);
        QCOMPARE(text1()->text(), QString());
        QCOMPARE(label1()->caption(), QStringLiteral("3"));
    }

    void checkBoxAndTypingDoNotRecount() {
        paste(QString::fromUtf16(u"\u3000\u3000a"));
        clickCount();
        QCOMPARE(label1()->caption(), QStringLiteral("1"));
        QTest::mouseClick(find("Check1"), Qt::LeftButton, {}, QPoint(5, 8));
        QTest::keyClicks(text1(), "zz");
        QCOMPARE(label1()->caption(), QStringLiteral("1"));
        clickCount();
        QCOMPARE(label1()->caption(), QStringLiteral("5"));
    }

    void backspaceAfterLineBreakDeletesCrLf() {
        QTest::keyClicks(text1(), "a");
        QTest::keyClick(text1(), Qt::Key_Return);
        QTest::keyClick(text1(), Qt::Key_Backspace);
        QCOMPARE(text1()->text(), QStringLiteral("a"));
    }

    void tabMovesFocusAndEscDoesNothing() {
        QVERIFY(find("Command1")->hasFocus());
        const char* order[] = { "Text1", "Command2", "Check1", "Command1" };
        for (const char* name : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY2(find(name)->hasFocus(), name);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(text1(), Qt::Key_Escape);
        QCOMPARE(text1()->text(), QString());
        QVERIFY(form->isLoaded());
        QVERIFY(window->isVisible());
    }

    void controlsReachScreenReadersByName() {
        const std::pair<const char*, QString> names[] = {
            { "Command1", QStringLiteral("カウント実行") },
            { "Command2", QStringLiteral("テキストクリア") },
            { "Check1", QStringLiteral("全角ｽﾍﾟｰｽをｶｳﾝﾄする") },
            { "Text1", QStringLiteral("カウントするテキスト") },
        };
        for (const auto& [control, name] : names) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(find(control));
            QVERIFY(accessible);
            QCOMPARE(accessible->text(QAccessible::Name), name);
        }
        paste("abc");
        clickCount();
        QCOMPARE(QAccessible::queryAccessibleInterface(label1())->text(QAccessible::Name),
            QStringLiteral("3"));
    }

    void resizingLeavesControlsInPlace() {
        const QRect before = text1()->geometry();
        window->resize(800, 600);
        QCOMPARE(text1()->geometry(), before);
    }

    void overflowIsReportedAndNothingIsLost() {
        std::vector<runtime::ErrorNumber> reported;
        runtime::setErrorReport([&](const runtime::RuntimeError& e) {
            reported.push_back(e.number());
            QCOMPARE(label1()->caption(), QStringLiteral("0")); // shown before the count ran
        });
        const QString text = QStringLiteral("\r\n").repeated(16384) + QStringLiteral("abc");
        paste(text);
        clickCount();
        QCOMPARE(reported, std::vector { runtime::ErrorNumber::Overflow });
        QCOMPARE(label1()->caption(), QStringLiteral("0"));
        QVERIFY(form->isLoaded() && window->isVisible());
        QCOMPARE(text1()->text(), text);

        // The window goes on working: one break fewer is within the limits.
        QTest::keyClick(text1(), Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(text1(), Qt::Key_Delete);
        clickCount();
        QCOMPARE(label1()->caption(), QStringLiteral("3"));
        QCOMPARE(reported.size(), 1u);
    }

    void overflowFromFullWidthSpacesOnlyWhenUnchecked() {
        int reports = 0;
        runtime::setErrorReport([&](const runtime::RuntimeError&) { ++reports; });
        paste(QString(32768, QChar(0x3000)));
        clickCount();
        QCOMPARE(reports, 1);
        QTest::mouseClick(find("Check1"), Qt::LeftButton, {}, QPoint(5, 8));
        clickCount();
        QCOMPARE(reports, 1);
        QCOMPARE(label1()->caption(), QStringLiteral("32768"));
    }

    void defaultReportIsAMessageBoxTheUserCloses() {
        paste(QStringLiteral("\r\n").repeated(20000));
        QString shown, title;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown = box->text();
            title = box->windowTitle();
            QTest::keyClick(box, Qt::Key_Return);
        });
        clickCount();
        QVERIFY2(shown.contains(u"6") && shown.contains(u"オーバーフロー"), qPrintable(shown));
        QCOMPARE(title, runtime::programTitle());
        QVERIFY(form->isLoaded());
        QCOMPARE(text1()->text().size(), 40000);
    }
};

// The program as started by main(): its end from the menu and from the close box.
class ProgramTest : public QObject {
    Q_OBJECT

    static QWidget* mainWindow() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == u"Form1" && w->isVisible())
                return w;
        return nullptr;
    }

private slots:
    void endItemEndsTheProgram() {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            QWidget* window = mainWindow();
            QVERIFY(window);
            QCOMPARE(window->findChild<runtime::Label*>("Label2")->caption(), note);
            window->findChild<QAction*>("end")->trigger();
            ran = true;
        });
        QCOMPARE(runtime::ThunRTMain(ui::project()), 0);
        QVERIFY(ran);
        // Named to the desktop, and Qt's own texts in Japanese.
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("jp.example.quorvel"));
        QCOMPARE(
            QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void closingTheLastWindowEndsTheProgram() {
        QTimer::singleShot(0, [&] { mainWindow()->close(); });
        QCOMPARE(runtime::ThunRTMain(ui::project()), 0);
        QCOMPARE(runtime::programTitle(), QStringLiteral("クオルベル"));
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Form1Test form1;
    ProgramTest program;
    return QTest::qExec(&form1, argc, argv) | QTest::qExec(&program, argc, argv);
}

#include "form1_test.moc"
