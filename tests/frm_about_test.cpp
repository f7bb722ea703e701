// The About window through real events, and how it lives beside the main window.

#include "runtime/controls.h"
#include "runtime/program.h"
#include "runtime/textbox.h"
#include "ui/form1.h"
#include "ui/frm_about.h"
#include "ui/project.h"

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace quorvel;
using runtime::TextBox;

namespace {
const QString contact = QStringLiteral(
    "ホームページ：\r\nhttps://quorvel.example.jp/\r\nEメール：\r\nquorvel@example.jp");

QWidget* topLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}

template <typename T = QWidget> T* in(QWidget* window, const char* name) {
    auto* found = window ? window->findChild<T*>(QString::fromUtf8(name)) : nullptr;
    if (!found)
        qFatal("no control %s", name);
    return found;
}
} // namespace

class AboutTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ui::Form1> main;

    QWidget* openAbout() {
        in<QAction>(main->window(), "about")->trigger();
        QWidget* about = topLevel("frmAbout");
        if (about && !QTest::qWaitForWindowExposed(about))
            return nullptr;
        return about;
    }
    static int aboutWindows() {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += w->objectName() == u"frmAbout" && w->isVisible();
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
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels"); // at 96 dots per inch
        QTest::newRow("cmdOK") << "cmdOK" << QRect(288, 176, 87, 23);
        QTest::newRow("picIcon sizes itself to 32 x 32 in a 1-pixel border")
            << "picIcon" << QRect(16, 16, 34, 34);
        QTest::newRow("lblDescription") << "lblDescription" << QRect(70, 75, 259, 22);
        QTest::newRow("lblTitle") << "lblTitle" << QRect(70, 16, 299, 24);
        QTest::newRow("lblVersion") << "lblVersion" << QRect(70, 52, 259, 15);
        QTest::newRow("Text1") << "Text1" << QRect(16, 144, 265, 57);
        QTest::newRow("white line, 2 pixels") << "Line1(0)" << QRect(8, 136, 371, 2);
        QTest::newRow("gray line in front") << "Line1(1)" << QRect(8, 136, 372, 1);
    }

    void designMatchesTheLayout() {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        QWidget* about = openAbout();
        QVERIFY(about);
        QCOMPARE(in(about, name.toUtf8().constData())->geometry(), pixels);
    }

    void designCaptionsFontsAndFrame() {
        QWidget* about = openAbout();
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(in(about, "client")->size(), QSize(384, 210));
        QCOMPARE(about->minimumSize(), about->maximumSize()); // not resizable
        const Qt::WindowFlags flags = about->windowFlags();
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QCOMPARE(about->windowType(), Qt::Tool); // kept out of the taskbar
        QCOMPARE(about->geometry().topLeft(), QPoint(156, 129));
        QVERIFY(!about->windowIcon().isNull());

        QCOMPARE(in<runtime::Label>(about, "lblTitle")->caption(),
            QString::fromUtf16(u"クオルベル\u3000(quorvel.exe)"));
        QCOMPARE(in<runtime::Label>(about, "lblVersion")->caption(),
            QStringLiteral("Ver 1.02  (1998/10/16)"));
        QCOMPARE(QFontInfo(in(about, "lblTitle")->font()).pixelSize(), 16);
        QCOMPARE(QFontInfo(in(about, "lblVersion")->font()).pixelSize(), 13);
        QCOMPARE(
            in(about, "lblDescription")->palette().color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(in<TextBox>(about, "Text1")->text(), contact);
        QVERIFY(in(about, "cmdOK")->hasFocus());
    }

    void controlsReachScreenReadersByName() {
        QWidget* about = openAbout();
        const std::pair<const char*, QString> names[] = {
            { "cmdOK", QStringLiteral("OK") },
            { "picIcon", QStringLiteral("アイコン") },
            { "lblDescription", QStringLiteral("テキスト文字列の数をカウントします。") },
            { "Text1", QStringLiteral("連絡先") },
        };
        for (const auto& [control, name] : names)
            QCOMPARE(
                QAccessible::queryAccessibleInterface(in(about, control))->text(QAccessible::Name),
                name);
    }

    void aboutTwiceShowsOneWindowThatKeepsItsEdits() {
        QWidget* about = openAbout();
        auto* text = in<TextBox>(about, "Text1");
        text->setFocus();
        QTest::keyClicks(text, "edit");
        QCOMPARE(openAbout(), about);
        QCOMPARE(aboutWindows(), 1);
        QCOMPARE(text->text(), QStringLiteral("edit") + contact);
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
        QWidget* about = openAbout();
        auto* text = in<TextBox>(about, "Text1");
        text->setFocus();
        QTest::keyClicks(text, "lost");
        switch (way) {
        case 0:
            QTest::mouseClick(in(about, "cmdOK"), Qt::LeftButton);
            break;
        case 1:
            QTest::keyClick(text, Qt::Key_Escape);
            break;
        case 2:
            QTest::keyClick(text, Qt::Key_Return);
            break;
        case 3:
            about->close();
            break;
        }
        QCOMPARE(aboutWindows(), 0);
        QVERIFY(main->isLoaded());
        // Loaded afresh: the edits are gone and the contact text is back.
        QCOMPARE(in<TextBox>(openAbout(), "Text1")->text(), contact);
    }

    void ctrlEnterBreaksTheLineInTheTextBox() {
        auto* text = in<TextBox>(openAbout(), "Text1");
        text->setFocus();
        QTest::keyClick(text, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(text->text(), QStringLiteral("\r\n") + contact);
        QCOMPARE(aboutWindows(), 1);
    }

    void mainWindowWorksWhileAboutIsOpen() {
        QVERIFY(openAbout());
        QWidget* window = main->window();
        auto* text1 = in<TextBox>(window, "Text1");
        text1->setText(u"\u3000ab\r\n");
        QTest::mouseClick(in(window, "Check1"), Qt::LeftButton, {}, QPoint(5, 8));
        QTest::mouseClick(in(window, "Command1"), Qt::LeftButton);
        QCOMPARE(in<runtime::Label>(window, "Label1")->caption(), QStringLiteral("3"));
        QTest::mouseClick(in(window, "Command2"), Qt::LeftButton);
        QCOMPARE(text1->text(), QString());
        QCOMPARE(aboutWindows(), 1);
    }
};

// The program as main() starts it, with both windows.
class LifetimeTest : public QObject {
    Q_OBJECT

private slots:
    void endClosesBothWindows() {
        QTimer::singleShot(0, [] {
            QWidget* main = topLevel("Form1");
            in<QAction>(main, "about")->trigger();
            QVERIFY(topLevel("frmAbout"));
            in<QAction>(main, "end")->trigger();
        });
        QCOMPARE(runtime::ThunRTMain(ui::project()), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void closingTheMainWindowFirstLeavesTheProgramRunning() {
        bool aboutStillOpen = false;
        QTimer::singleShot(0, [&] {
            QWidget* main = topLevel("Form1");
            in<QAction>(main, "about")->trigger();
            main->close();
            QTimer::singleShot(50, [&] {
                QWidget* about = topLevel("frmAbout");
                aboutStillOpen = about != nullptr;
                if (about)
                    QTest::mouseClick(in(about, "cmdOK"), Qt::LeftButton);
            });
        });
        QCOMPARE(runtime::ThunRTMain(ui::project()), 0);
        QVERIFY(aboutStillOpen);
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    AboutTest about;
    LifetimeTest lifetime;
    return QTest::qExec(&about, argc, argv) | QTest::qExec(&lifetime, argc, argv);
}

#include "frm_about_test.moc"
