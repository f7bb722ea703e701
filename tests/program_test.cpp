// The program as main() starts it, and the runtime under its windows: the start and the end, how
// the windows' lives meet, and the binding of a form's members to its design.

#include "runtime/program.h"
#include "runtime/qt/window.h"
#include "test_window.h"
#include "ui/form1.h"
#include "ui/frm_about.h"
#include "ui/project.h"
#include "window_cases.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

using namespace quorvel;

namespace {
const QString note = runtime::toQString(tests::note);

ui::Form1& mainForm() {
    return runtime::defaultInstance<ui::Form1>();
}
ui::frmAbout& aboutForm() {
    return runtime::defaultInstance<ui::frmAbout>();
}
bool onScreen(const runtime::Form& form) {
    return form.isLoaded() && form.window()->isVisible();
}

// Runs the program as main() does, with step run once its event loop has started. A program
// still running after ten seconds is ended with exit code 2, so no test waits for ever on it.
int runProgram(const std::function<void()>& step) {
    QTimer::singleShot(0, step);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    watchdog.start(10'000);
    const int code = runtime::ThunRTMain(ui::project());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}

// Forms whose members match the test window's design or not.
using runtime::Control;
using tests::testDesign;
using tests::TestWindow;
struct MissingMember : runtime::Form {
    MissingMember()
        : Form(testDesign) { }
    Control<runtime::TextBox> Text1 { *this, "Text1" };
};
struct MemberWithoutEntry : TestWindow {
    Control<runtime::Label> C { *this, "C" };
};
struct MemberOfAnotherKind : runtime::Form {
    MemberOfAnotherKind()
        : Form(testDesign) { }
    Control<runtime::TextBox> Text1 { *this, "Text1" };
    Control<runtime::Label> Run { *this, "Run" };
};
struct TwoMembersOneName : TestWindow {
    Control<runtime::TextBox> Text1Again { *this, "Text1" };
};
using Make = std::unique_ptr<runtime::Form> (*)();
template <typename F> std::unique_ptr<runtime::Form> make() {
    return std::make_unique<F>();
}
} // namespace

Q_DECLARE_METATYPE(Make)

class ProgramTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void endItemEndsTheProgram() {
        bool shown = false;
        QString label2;
        const int code = runProgram([&] {
            shown = onScreen(mainForm());
            label2 = mainForm().Label2->caption();
            mainForm().end->trigger();
        });
        QCOMPARE(code, 0);
        QVERIFY(shown);
        QCOMPARE(label2, note);
        // Named to the desktop, and Qt's own texts in Japanese.
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("jp.example.quorvel"));
        QCOMPARE(
            QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
    }

    void closingTheLastWindowEndsTheProgram() {
        QCOMPARE(runProgram([] { mainForm().window()->close(); }), 0);
        QCOMPARE(runtime::toQString(runtime::programTitle()), QStringLiteral("クオルベル"));
    }

    void endClosesBothWindows() {
        bool aboutShown = false;
        const int code = runProgram([&] {
            mainForm().about->trigger();
            aboutShown = onScreen(aboutForm());
            mainForm().end->trigger();
        });
        QCOMPARE(code, 0);
        QVERIFY(aboutShown);
    }

    void closingTheMainWindowFirstLeavesTheProgramRunning() {
        bool aboutStillOpen = false;
        const int code = runProgram([&] {
            mainForm().about->trigger();
            mainForm().window()->close();
            QTimer::singleShot(50, [&] {
                aboutStillOpen = onScreen(aboutForm());
                if (aboutStillOpen)
                    QTest::mouseClick(aboutForm().cmdOK, Qt::LeftButton);
            });
        });
        QCOMPARE(code, 0);
        QVERIFY(aboutStillOpen);
    }

    void windowsDestroyedWithoutUnloadAreUnloaded() {
        {
            ui::Form1 form;
            form.Show();
            delete form.window();
            QVERIFY(!form.isLoaded());
            // Loads afresh, with its members bound to the new window.
            form.Show();
            QCOMPARE(form.Label2->caption(), note);
            delete form.window();
        } // the form is no longer among the loaded ones when it goes

        bool aboutShown = false;
        const int code = runProgram([&] {
            mainForm().about->trigger();
            aboutShown = onScreen(aboutForm());
            delete mainForm().window();
            runtime::End(); // unloads the About window; the main window is no longer loaded
        });
        QCOMPARE(code, 0);
        QVERIFY(aboutShown);
    }

    void membersOfAnUnloadedFormAreNotThere() {
        // Using one loads no hidden window, which would keep the program running unseen.
        ui::frmAbout about;
        QVERIFY_THROWS_EXCEPTION(runtime::RuntimeError, about.Text1->text());
        QVERIFY(!about.isLoaded());
    }

    void theErrorReportOutlivesTheWindowItStandsOver() {
        ui::Form1 form;
        form.Show();
        QVERIFY(QTest::qWaitForWindowActive(form.window()));
        bool overTheWindow = false;
        // While the report is shown, its window goes (destroyed by its owner, say).
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            overTheWindow = box && box->parentWidget() == form.window();
            if (overTheWindow)
                delete form.window();
            else if (box)
                box->close();
        });
        runtime::report(runtime::RuntimeError(runtime::ErrorNumber::Overflow));
        QVERIFY(overTheWindow);
        QVERIFY(!form.isLoaded());
    }

    // A handler fails while another window is active (an accessibility Press, or a window activated
    // between the click and the report): the report is owned by the failing window.
    void theErrorReportIsOwnedByTheWindowWhoseHandlerFailed() {
        TestWindow failing([](TestWindow&) { runtime::raise(runtime::ErrorNumber::Overflow); });
        failing.Show();
        ui::Form1 other;
        other.Show();
        QVERIFY(QTest::qWaitForWindowActive(other.window()));
        QWidget* owner = nullptr;
        QTimer::singleShot(0, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                owner = box->parentWidget();
                box->close();
            }
        });
        failing.Run->click();
        QCOMPARE(owner, static_cast<QWidget*>(failing.window()));
    }

    void membersMustMatchTheDesign_data() {
        QTest::addColumn<Make>("make");
        QTest::addColumn<QString>("fault"); // empty: loads
        QTest::newRow("matching") << &make<TestWindow> << QString();
        QTest::newRow("design entry without member")
            << &make<MissingMember> << "Run is in the design but has no member";
        QTest::newRow("member without design entry")
            << &make<MemberWithoutEntry> << "C is a member but not in the design";
        QTest::newRow("member of another kind")
            << &make<MemberOfAnotherKind> << "Run's member is not of the kind its design builds";
        QTest::newRow("two members of one name")
            << &make<TwoMembersOneName> << "Text1 is the name of two members";
    }

    void membersMustMatchTheDesign() {
        QFETCH(Make, make);
        QFETCH(QString, fault);
        const std::unique_ptr<runtime::Form> form = make();
        if (fault.isEmpty()) {
            form->Show();
            QVERIFY(form->isLoaded());
            return;
        }
        QTest::ignoreMessage(
            QtCriticalMsg, qPrintable(QStringLiteral("internal error: Test: ") + fault));
        QVERIFY_THROWS_EXCEPTION(runtime::RuntimeError, form->Show());
        QVERIFY(!form->isLoaded());
    }
};

QTEST_MAIN(ProgramTest)

#include "program_test.moc"
