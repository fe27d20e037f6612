// The yardstick: a Qt widget program that shows one window of Mirvane's size and reports
// its first paint as Mirvane's recorder does ("painted Minimal <CLOCK_MONOTONIC ms>").
#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <cstdio>
#include <time.h>

namespace {
class Window : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), QColor(0x0C, 0x21, 0x38));
        if (reported_) return;
        reported_ = true;
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        std::printf("painted Minimal %lld\n", static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000);
        std::fflush(stdout);
    }

private:
    bool reported_ = false;
};
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Window w;
    w.resize(514, 289);
    w.show();
    return app.exec();
}
