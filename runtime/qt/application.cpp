// The program over Qt: its start, the event loop, and the error report's message box.

#include "display.h"
#include "input/pending_paste.h"
#include "runtime/program.h"
#include "runtime/toolkit.h"
#include "strings.h"
#include "window.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPointer>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace quorvel::runtime {

namespace {
// Qt's own texts (the text box's context menu, message box buttons) in Japanese, like the rest.
void speakJapanese() {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    static QTranslator* qt = nullptr;
    if (qt)
        return;
    qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(QLocale(QLocale::Japanese), u"qtbase"_s, u"_"_s,
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
}
} // namespace

int start(int argc, char* argv[], const Project& project) {
    if (!displayReachable(argc, argv))
        return 1;
    QApplication application(argc, argv);
    return ThunRTMain(project);
}

void toolkit::startProgram(const Project& project) {
    QApplication::setApplicationName(toQString(project.name));
    QApplication::setApplicationVersion(toQString(project.version));
    QGuiApplication::setDesktopFileName(toQString(project.desktopFileName));
    speakJapanese();
    QApplication::setQuitOnLastWindowClosed(false);
}

int toolkit::runEventLoop() {
    return QApplication::exec();
}

void toolkit::quitEventLoop() {
    QCoreApplication::exit(0);
}

void toolkit::settleInput() {
    PendingPaste::settle();
}

void toolkit::showErrorReport(Window* window, std::u16string_view title, std::string_view text) {
    // On the heap, and watched: the window it stands over may be destroyed while it is shown (by
    // End, say), and the box with it.
    QWidget* owner = window ? static_cast<QWidget*>(window) : QApplication::activeWindow();
    QPointer<QMessageBox> box = new QMessageBox(
        QMessageBox::Critical, toQString(title), toQString(text), QMessageBox::Ok, owner);
    box->setObjectName(QStringLiteral("errorReport"));
    box->exec();
    delete box.data();
}

void toolkit::logInternalError(std::string_view message) {
    qCritical("internal error: %.*s", static_cast<int>(message.size()), message.data());
}

} // namespace quorvel::runtime
