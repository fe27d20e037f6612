// The yardstick: a Qt widget program that shows one window of Mirvane's size and gives the
// same start-up marks as the programs ("main", "app", "run", "loop", then "painted
// Minimal"), each "<what> <CLOCK_MONOTONIC ms>". With VYN_BENCH_TEXT set it also writes one
// line of text, which is what the font stack costs a window that shows any.
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <time.h>

namespace {
void mark(const char* what) {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    std::printf("%s %lld.%03ld\n", what, static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000,
                (ts.tv_nsec / 1000) % 1000);
    std::fflush(stdout);
}

class Window : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(0x0C, 0x21, 0x38));
        if (std::getenv("VYN_BENCH_TEXT")) p.drawText(20, 40, QStringLiteral("Ruvozava Corvala"));
        if (reported_) return;
        reported_ = true;
        mark("painted Minimal");
    }

private:
    bool reported_ = false;
};
}  // namespace

int main(int argc, char** argv) {
    mark("main");
    QApplication app(argc, argv);
    mark("app");
    Window w;
    w.resize(514, 289);
    mark("run");
    w.show();
    QTimer::singleShot(0, [] { mark("loop"); });
    return app.exec();
}
