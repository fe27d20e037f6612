#include "WindowRecorder.h"

#include "Forms.h"
#include "Internal.h"
#include "platform/Machine.h"
#include "platform/StartupReport.h"

#include <QApplication>
#include <QBitmap>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <set>

namespace {
// Quiet time after the last paint before the windows are saved.
constexpr int kSettleMs = 250;

class Recorder : public QObject {
public:
    Recorder(bool reportPaints, QString snapshotDir)
        : reportPaints_(reportPaints), snapshotDir_(std::move(snapshotDir)) {
        settle_.setSingleShot(true);
        settle_.setInterval(kSettleMs);
        connect(&settle_, &QTimer::timeout, this, [this] { saveAll(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::Paint || grabbing_ || !watched->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(watched);
        TForm* form = classlib::FormOfWidget(w->window());
        if (!form) return false;
        if (reportPaints_ && w == w->window() && painted_.insert(form->Name()).second)
            ReportStartup("painted " + form->Name());
        if (!snapshotDir_.isEmpty()) settle_.start();
        return false;
    }

private:
    void saveAll() {
        grabbing_ = true;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            TForm* form = classlib::FormOfWidget(w);
            if (!form || !w->isVisible()) continue;
            save(w, QString::fromStdString(form->Name()));
        }
        grabbing_ = false;
    }

    void save(QWidget* w, const QString& name) {
        QImage image = w->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        QRegion shape = w->mask();
        if (!shape.isEmpty()) {
            QImage cut(image.size(), QImage::Format_ARGB32);
            cut.fill(Qt::transparent);
            QPainter p(&cut);
            p.setClipRegion(shape);
            // In bands, as every picture here: Qt would blend a taller one on helper threads.
            for (int y = 0; y < image.height(); y += classlib::kPaintBand)
                p.drawImage(QPoint(0, y), image, QRect(0, y, image.width(), classlib::kPaintBand));
            p.end();
            image = cut;
        }
        QString path = snapshotDir_ + "/" + name + ".png";
        QString part = path + ".part";
        if (image.save(part, "PNG"))
            std::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData());
    }

    bool reportPaints_;
    QString snapshotDir_;
    bool grabbing_ = false;
    std::set<AnsiString> painted_;
    QTimer settle_;
};
}  // namespace

void InstallWindowRecorder() {
    bool report = StartupReportWanted();
    QString dir = QString::fromStdString(MachineFile("snapshots"));
    if (!QDir(dir).exists()) dir.clear();
    if (!report && dir.isEmpty()) return;
    auto* recorder = new Recorder(report, dir);
    recorder->setParent(qApp);
    qApp->installEventFilter(recorder);
    if (report) {
        QTimer::singleShot(0, recorder, [] { ReportStartup("loop"); });
    }
}
