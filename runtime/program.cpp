#include "program.h"

#include "strings.h"
#include "textbox.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include <algorithm>
#include <map>
#include <new>
#include <utility>

using namespace Qt::StringLiterals;

namespace quorvel::runtime {

namespace {
struct State {
    QString title = QStringLiteral("quorvel");
    std::vector<Form*> loaded;
    std::map<std::type_index, std::unique_ptr<Form>> instances;
    int answers = 0; // error reports answered beforehand, by a test
    std::vector<ErrorNumber> answered;
    bool running = false; // the event loop of ThunRTMain runs
    bool ended = false; // End() was called: no further handler runs
};

State& state() {
    static State s;
    return s;
}

// The error report: a modal message box with the error's number and description, closed with OK,
// unless a test answered it beforehand.
void reportError(const RuntimeError& error) {
    State& s = state();
    if (s.answers > 0) {
        --s.answers;
        s.answered.push_back(error.number());
        return;
    }
    const QString text = QStringLiteral("実行時エラー '%1':\n\n%2")
                             .arg(static_cast<int>(error.number()))
                             .arg(QString::fromUtf8(error.description()));
    QMessageBox box(
        QMessageBox::Critical, programTitle(), text, QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("errorReport"));
    box.exec();
}

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

int ThunRTMain(const Project& project) {
    State& s = state();
    s.title = toQString(project.title);
    s.ended = false;
    QApplication::setApplicationName(toQString(project.name));
    QApplication::setApplicationVersion(toQString(project.version));
    QGuiApplication::setDesktopFileName(toQString(project.desktopFileName));
    speakJapanese();
    QApplication::setQuitOnLastWindowClosed(false);
    call([&] { project.startup().Show(); });
    int code = 0;
    if (!s.loaded.empty() && !s.ended) {
        s.running = true;
        code = QApplication::exec();
        s.running = false;
    }
    discardInstances();
    s.ended = false;
    return code;
}

void End() {
    State& s = state();
    s.ended = true;
    while (!s.loaded.empty())
        s.loaded.back()->Unload();
    if (s.running)
        QCoreApplication::exit(0);
}

void call(const std::function<void()>& handler) {
    if (state().ended)
        return;
    try {
        handler();
    } catch (const RuntimeError& error) {
        reportError(error);
    } catch (const std::bad_alloc&) {
        reportError(RuntimeError(ErrorNumber::OutOfMemory));
    } catch (...) {
        reportError(RuntimeError(ErrorNumber::Internal));
    }
}

void commitFocusedComposition() {
    if (auto* box = dynamic_cast<TextBox*>(QApplication::focusWidget()))
        box->commitComposition();
}

void answerNextReport() {
    ++state().answers;
}

std::vector<ErrorNumber> takeAnsweredReports() {
    State& s = state();
    s.answers = 0;
    return std::exchange(s.answered, {});
}

QString programTitle() {
    return state().title;
}

void discardInstances() {
    state().instances.clear();
}

void formLoaded(Form& form) {
    state().loaded.push_back(&form);
}

void formUnloaded(Form& form) {
    State& s = state();
    std::erase(s.loaded, &form);
    // The program ends when no window remains loaded.
    if (s.loaded.empty() && s.running)
        QCoreApplication::exit(0);
}

Form& detail::instance(std::type_index type, std::unique_ptr<Form> (*make)()) {
    auto& slot = state().instances[type];
    if (!slot)
        slot = make();
    return *slot;
}

} // namespace quorvel::runtime
