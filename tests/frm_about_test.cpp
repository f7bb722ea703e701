// The About window through real events, reached by its members, beside the main window.

#include "runtime/program.h"
#include "runtime/qt/testing.h"
#include "runtime/qt/window.h"
#include "ui/form1.h"
#include "ui/frm_about.h"

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QtTest>

using namespace quorvel;
using namespace Qt::StringLiterals;

namespace {
const QString contact = QStringLiteral(
    "ホームページ：\r\nhttps://quorvel.example.jp/\r\nEメール：\r\nquorvel@example.jp");

// A control of the window, picked in a data row by its member.
using Pick = QWidget* (*)(ui::frmAbout&);
template <auto member> QWidget* pick(ui::frmAbout& form) {
    return form.*member;
}
template <int index> QWidget* line(ui::frmAbout& form) {
    return &form.Line1[index];
}
} // namespace

Q_DECLARE_METATYPE(Pick)

class AboutTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ui::Form1> main;

    static ui::frmAbout& about() { return runtime::defaultInstance<ui::frmAbout>(); }
    // Opens the About window from the menu; null unless it is then loaded and on screen.
    ui::frmAbout* openAbout() {
        main->about->trigger();
        if (!about().isLoaded() || !QTest::qWaitForWindowExposed(about().window()))
            return nullptr;
        return &about();
    }
    // The windows on screen besides the main window.
    int aboutWindows() {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += w != main->window() && w->isWindow() && w->isVisible();
        return n;
    }

private slots:
    void init() {
        main = std::make_unique<ui::Form1>();
        main->Show();
        QVERIFY(QTest::qWaitForWindowExposed(main->window()));
    }

    void cleanup() {
        runtime::discardInstances();
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void designMatchesTheLayout_data() {
        QTest::addColumn<Pick>("control");
        QTest::addColumn<QRect>("pixels"); // at 96 dots per inch
        QTest::newRow("cmdOK") << &pick<&ui::frmAbout::cmdOK> << QRect(288, 176, 87, 23);
        QTest::newRow("picIcon sizes itself to 32 x 32 in a 1-pixel border")
            << &pick<&ui::frmAbout::picIcon> << QRect(16, 16, 34, 34);
        QTest::newRow("lblDescription")
            << &pick<&ui::frmAbout::lblDescription> << QRect(70, 75, 259, 22);
        QTest::newRow("lblTitle") << &pick<&ui::frmAbout::lblTitle> << QRect(70, 16, 299, 24);
        QTest::newRow("lblVersion") << &pick<&ui::frmAbout::lblVersion> << QRect(70, 52, 259, 15);
        QTest::newRow("Text1") << &pick<&ui::frmAbout::Text1> << QRect(16, 144, 265, 57);
        QTest::newRow("white line, 2 pixels") << &line<0> << QRect(8, 136, 371, 2);
        QTest::newRow("gray line in front") << &line<1> << QRect(8, 136, 372, 1);
    }

    void designMatchesTheLayout() {
        QFETCH(Pick, control);
        QFETCH(QRect, pixels);
        ui::frmAbout* about = openAbout();
        QVERIFY(about);
        QCOMPARE(control(*about)->geometry(), pixels);
    }

    void designCaptionsFontsAndFrame() {
        ui::frmAbout* about = openAbout();
        QVERIFY(about);
        QWidget* window = about->window();
        QCOMPARE(window->windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(about->cmdOK->parentWidget()->size(), QSize(384, 210)); // the client area
        QCOMPARE(window->minimumSize(), window->maximumSize()); // not resizable
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QCOMPARE(window->windowType(), Qt::Tool); // kept out of the taskbar
        QCOMPARE(window->geometry().topLeft(), QPoint(156, 129));
        QVERIFY(!window->windowIcon().isNull());

        QCOMPARE(about->lblTitle->caption(), QString::fromUtf16(u"クオルベル\u3000(quorvel.exe)"));
        QCOMPARE(about->lblVersion->caption(), QStringLiteral("Ver 1.02  (1998/10/16)"));
        QCOMPARE(QFontInfo(about->lblTitle->font()).pixelSize(), 16);
        QCOMPARE(QFontInfo(about->lblVersion->font()).pixelSize(), 13);
        QCOMPARE(about->lblDescription->palette().color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(about->Text1->text(), contact);
        QVERIFY(about->cmdOK->hasFocus());
    }

    void controlsReachScreenReadersByName() {
        ui::frmAbout* about = openAbout();
        QVERIFY(about);
        const std::pair<QWidget*, QString> names[] = {
            { about->cmdOK, QStringLiteral("OK") },
            { about->picIcon, QStringLiteral("アイコン") },
            { about->lblDescription, QStringLiteral("テキスト文字列の数をカウントします。") },
            { about->Text1, QStringLiteral("連絡先") },
        };
        for (const auto& [control, name] : names)
            QCOMPARE(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name), name);
    }

    void aboutTwiceShowsOneWindowThatKeepsItsEdits() {
        ui::frmAbout* about = openAbout();
        QVERIFY(about);
        about->Text1->setFocus();
        QTest::keyClicks(about->Text1, "edit");
        QCOMPARE(openAbout(), about);
        QCOMPARE(aboutWindows(), 1);
        QCOMPARE(about->Text1->text(), QStringLiteral("edit") + contact);
    }

    void okEscEnterAndTheCloseBoxUnloadIt_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("click OK") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("Enter in the text box") << 2;
        QTest::newRow("close box") << 3;
    }

    void okEscEnterAndTheCloseBoxUnloadIt() {
        QFETCH(int, way);
        ui::frmAbout* about = openAbout();
        QVERIFY(about);
        runtime::TextBox* text = about->Text1;
        text->setFocus();
        QTest::keyClicks(text, "lost");
        switch (way) {
        case 0:
            QTest::mouseClick(about->cmdOK, Qt::LeftButton);
            break;
        case 1:
            QTest::keyClick(text, Qt::Key_Escape);
            break;
        case 2:
            QTest::keyClick(text, Qt::Key_Return);
            break;
        case 3:
            about->window()->close();
            break;
        }
        QCOMPARE(aboutWindows(), 0);
        QVERIFY(!about->isLoaded());
        QVERIFY(main->isLoaded());
        // Loaded afresh: the edits are gone and the contact text is back.
        QVERIFY(openAbout());
        QCOMPARE(about->Text1->text(), contact);
    }

    void ctrlEnterBreaksTheLineInTheTextBox() {
        ui::frmAbout* about = openAbout();
        QVERIFY(about);
        about->Text1->setFocus();
        QTest::keyClick(about->Text1, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(about->Text1->text(), QStringLiteral("\r\n") + contact);
        QCOMPARE(aboutWindows(), 1);
    }

    void textComposedInOneWindowStaysThere_data() {
        QTest::addColumn<bool>("inAbout"); // composed in the About window's box, else the main one
        QTest::addColumn<bool>("click"); // the other window's focus is on its button at first
        QTest::newRow("About, then the main window") << true << false;
        QTest::newRow("main, then the About window") << false << false;
        QTest::newRow("main, then a click in the About window's box") << false << true;
    }

    // A composition ended by going to the other window is entered once, where it was composed;
    // the copy that ibus then sends into the box that has the focus is dropped.
    void textComposedInOneWindowStaysThere() {
        QFETCH(bool, inAbout);
        QFETCH(bool, click);
        QVERIFY(QTest::qWaitForWindowActive(main->window()));
        main->Text1->setFocus();
        ui::frmAbout* about = openAbout();
        QVERIFY(about);
        QVERIFY(QTest::qWaitForWindowActive(about->window()));
        about->Text1->setFocus();
        QTest::keyClick(about->Text1, Qt::Key_End, Qt::ControlModifier);
        runtime::TextBox* composed = inAbout ? about->Text1 : main->Text1;
        runtime::TextBox* other = inAbout ? main->Text1 : about->Text1;
        if (click)
            about->cmdOK->setFocus();
        if (!inAbout) {
            main->window()->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(main->window()));
        }
        QVERIFY(composed->hasFocus());
        QInputMethodEvent composing(QStringLiteral("かな"), {});
        QCoreApplication::sendEvent(composed, &composing);
        other->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(other->window()));
        // The click that made the window active also moves the focus into the box, before the
        // input method's copy comes.
        if (click) {
            QCoreApplication::processEvents();
            QWidget* window = other->window();
            QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                viewportOf(*other)->mapTo(window, viewportOf(*other)->rect().center()));
        }
        QVERIFY(other->hasFocus());
        QInputMethodEvent nothing, late;
        late.setCommitString(QStringLiteral("かな"));
        for (QInputMethodEvent* event : { &nothing, &late })
            QCoreApplication::sendEvent(other, event);
        QCOMPARE(about->Text1->text(), inAbout ? contact + u"かな"_s : contact);
        QCOMPARE(main->Text1->text(), inAbout ? QString() : u"かな"_s);
    }

    void mainWindowWorksWhileAboutIsOpen() {
        QVERIFY(openAbout());
        main->Text1->setText(u"\u3000ab\r\n");
        QTest::mouseClick(main->Check1, Qt::LeftButton, {}, QPoint(5, 8));
        QTest::mouseClick(main->Command1, Qt::LeftButton);
        QCOMPARE(main->Label1->caption(), QStringLiteral("3"));
        QTest::mouseClick(main->Command2, Qt::LeftButton);
        QCOMPARE(main->Text1->text(), QString());
        QCOMPARE(aboutWindows(), 1);
    }
};

QTEST_MAIN(AboutTest)

#include "frm_about_test.moc"
