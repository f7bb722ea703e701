// The text box with a whole novel, beside a bare QPlainTextEdit given the same text.
//
// For each size (1, 8, 32 MiB of UTF-16) and shape (Japanese with CR LF breaks every ~40 units,
// the same with LF breaks as pasted from a Linux program, one paragraph with no break) it
// measures, for the text box: a paste through the clipboard, reading the exact text, a key press
// at the end, and the peak memory; for the bare widget: setPlainText, toPlainText, the same key
// press and its peak memory. Each case runs in a process of its own, so that peak memory is its
// own; the parent prints the table with the ratios.
//
//   QT_QPA_PLATFORM=offscreen build/release/bench/textbox_bench [MiB ...]

#include "runtime/qt/textbox/textbox.h"
#include "texts.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QProcess>
#include <QtTest>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using quorvel::runtime::TextControl;

template <typename F> double milliseconds(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

template <typename F> double fastest(int times, F&& f) {
    double best = 1e300;
    for (int i = 0; i < times; ++i)
        best = std::min(best, milliseconds(f));
    return best;
}

long peakKiB() {
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QString novel(int mib, const QString& shape) {
    const std::size_t units = static_cast<std::size_t>(mib) * 1024 * 1024 / 2;
    const std::u16string text = quorvel::bench::japanese(units, shape == u"none" ? 1u << 30 : 40u);
    QString result = QString::fromStdU16String(text);
    if (shape == u"lf")
        result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}

// The median time of a key press (the caret at the end of the text), until its repaint is done.
double keyPress(QWidget& widget) {
    // Nine presses, or three when each takes seconds (one long paragraph).
    std::vector<double> times;
    double spent = 0;
    while (times.size() < 9 && (times.size() < 3 || spent < 3000)) {
        times.push_back(milliseconds([&] {
            QTest::keyClick(&widget, Qt::Key_A);
            widget.repaint();
        }));
        spent += times.back();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// One case, in this process: prints "paste read key peakMiB".
int runCase(const QString& widgetKind, int mib, const QString& shape) {
    const QString text = novel(mib, shape);
    const long before = peakKiB();
    double paste = 0, read = 0, key = 0;
    if (widgetKind == u"bare") {
        QPlainTextEdit widget;
        widget.resize(433, 145);
        widget.show();
        paste = milliseconds([&] {
            widget.setPlainText(text);
            widget.repaint();
        });
        read = fastest(5, [&] { (void)widget.toPlainText(); });
        widget.moveCursor(QTextCursor::End);
        key = keyPress(widget);
    } else {
        quorvel::runtime::TextBox widget;
        widget.resize(433, 145);
        widget.show();
        QGuiApplication::clipboard()->setText(text);
        paste = milliseconds([&] {
            QTest::keyClick(&widget, Qt::Key_V, Qt::ControlModifier);
            widget.repaint();
        });
        if (widget.text() != text)
            qFatal("the text box changed the text");
        QGuiApplication::clipboard()->clear();
        // Every read is a fresh one: a change (here, to the end of the text) drops the box's
        // remembered text.
        read = 1e300;
        for (int i = 0; i < 5; ++i) {
            widget.control().select(TextControl::end, TextControl::end);
            widget.control().insert(u"x");
            widget.control().undo();
            read = std::min(read, milliseconds([&] { (void)widget.text(); }));
        }
        widget.control().select(TextControl::end, TextControl::end);
        key = keyPress(widget);
    }
    std::printf("%.2f %.3f %.3f %.1f\n", paste, read, key, (peakKiB() - before) / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() == 5 && args[1] == u"--case")
        return runCase(args[2], args[3].toInt(), args[4]);

    QList<int> sizes;
    for (const QString& arg : args.mid(1))
        sizes << arg.toInt();
    if (sizes.isEmpty())
        sizes = { 1, 8, 32 };

    std::printf("| text | paste | exact text | key | peak memory |\n|---|---|---|---|---|\n");
    for (int mib : sizes) {
        for (const char* shape : { "crlf", "lf", "none" }) {
            QList<double> figures[2];
            for (int i = 0; i < 2; ++i) {
                QProcess child;
                child.start(args[0],
                    { QStringLiteral("--case"), i ? QStringLiteral("box") : QStringLiteral("bare"),
                        QString::number(mib), QString::fromLatin1(shape) });
                child.waitForFinished(-1);
                for (const QByteArray& figure : child.readAllStandardOutput().trimmed().split(' '))
                    figures[i] << figure.toDouble();
                if (figures[i].size() != 4)
                    qFatal("a case failed: %s", child.readAllStandardError().constData());
            }
            const auto cell = [&](int k, const char* unit) {
                return QStringLiteral("%1 %2 / %3 %2 = **%4×**")
                    .arg(figures[1][k], 0, 'f', 1)
                    .arg(QString::fromLatin1(unit))
                    .arg(figures[0][k], 0, 'f', 1)
                    .arg(figures[1][k] / figures[0][k], 0, 'f', 2);
            };
            std::printf("| %d MiB %s | %s | %s | %s | %s |\n", mib, shape,
                qPrintable(cell(0, "ms")), qPrintable(cell(1, "ms")), qPrintable(cell(2, "ms")),
                qPrintable(cell(3, "MiB")));
            std::fflush(stdout);
        }
    }
}
