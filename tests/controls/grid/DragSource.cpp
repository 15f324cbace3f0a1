// A tiny program of the tests' own for trying drag and drop between processes under a display
// server: dragging from its upper half starts a drag of a file and a text; what is dropped on its
// lower half is written to standard output, one line per format, the text as UTF-8 in hex.
//   drag_source FILE TEXT
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {
class Window : public QWidget {
 public:
  Window(QString file, QString text) : file_(std::move(file)), text_(std::move(text)) {
    setAcceptDrops(true);
    setWindowTitle("drag source");
    resize(240, 200);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(0, 0, width(), height() / 2, QColor(0xB0, 0xD0, 0xFF));
    p.fillRect(0, height() / 2, width(), height() - height() / 2, dropped_ ? QColor(0xB0, 0xFF, 0xB0) : Qt::white);
    p.drawText(QRect(0, 0, width(), height() / 2), Qt::AlignCenter, "drag from here");
    p.drawText(QRect(0, height() / 2, width(), height() / 2), Qt::AlignCenter, dropped_ ? "dropped" : "drop here");
  }
  void mousePressEvent(QMouseEvent* e) override { press_ = e->position().toPoint(); }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (!(e->buttons() & Qt::LeftButton) || press_.y() >= height() / 2) return;
    if ((e->position().toPoint() - press_).manhattanLength() < QApplication::startDragDistance()) return;
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(file_)});
    mime->setData("text/plain;charset=utf-8", text_.toUtf8());
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const Qt::DropAction a = drag->exec(Qt::CopyAction | Qt::MoveAction);
    std::printf("drag ended %d\n", int(a));
    std::fflush(stdout);
  }
  void dragEnterEvent(QDragEnterEvent* e) override { e->acceptProposedAction(); }
  void dragMoveEvent(QDragMoveEvent* e) override {
    if (e->position().y() >= height() / 2) e->acceptProposedAction();
    else e->ignore();
  }
  void dropEvent(QDropEvent* e) override {
    for (const QString& f : e->mimeData()->formats()) std::printf("format %s\n", f.toUtf8().constData());
    const QByteArray utf8 = e->mimeData()->data("text/plain;charset=utf-8");
    std::printf("utf8 %s\n", utf8.toHex().constData());
    std::printf("text %s\n", e->mimeData()->text().toUtf8().constData());
    std::fflush(stdout);
    dropped_ = true;
    update();
    e->acceptProposedAction();
  }

 private:
  QString file_, text_;
  QPoint press_;
  bool dropped_ = false;
};
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: drag_source FILE TEXT\n");
    return 2;
  }
  Window w(QString::fromLocal8Bit(argv[1]), QString::fromUtf8(argv[2]));
  w.move(900, 400);
  w.show();
  return app.exec();
}
