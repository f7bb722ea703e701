#include "handlers.h"

#include "announcements.h"
#include "lifetime.h"
#include "testing.h"
#include "toolkit.h"

#include <new>
#include <string>
#include <utility>

namespace quorvel::runtime {

namespace {
int answers = 0; // error reports answered beforehand, by a test
std::vector<ErrorNumber> answered;
std::u16string title = u"quorvel";
} // namespace

std::u16string_view programTitle() {
    return title;
}

void setProgramTitle(std::u16string_view name) {
    title = name;
}

void report(const RuntimeError& error, const Form* form) {
    if (answers > 0) {
        --answers;
        answered.push_back(error.number());
        return;
    }
    toolkit::showErrorReport(form ? windowOf(*form) : nullptr, programTitle(),
        "実行時エラー '" + std::to_string(static_cast<int>(error.number())) + "':\n\n"
            + error.description());
}

void call(const Form* form, const std::function<void()>& handler) {
    if (lifetime::ended())
        return;
    try {
        toolkit::settleInput();
        announcements::Handler running;
        handler();
        for (const auto& [label, caption] : running.ended())
            toolkit::announce(label, caption);
    } catch (const RuntimeError& error) {
        report(error, form);
    } catch (const std::bad_alloc&) {
        report(RuntimeError(ErrorNumber::OutOfMemory), form);
    } catch (...) {
        report(RuntimeError(ErrorNumber::Internal), form);
    }
}

void answerNextReport() {
    ++answers;
}

std::vector<ErrorNumber> takeAnsweredReports() {
    answers = 0;
    return std::exchange(answered, {});
}

} // namespace quorvel::runtime
