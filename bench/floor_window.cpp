// The least a Qt 6 program with a window does, as the floor e2e_bench measures the start
// and the idle memory against: a main window with one Japanese label, shown at once.
// Run by e2e_bench; alone: build/bench/floor_window
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Floor"));
  window.setCentralWidget(new QLabel(QStringLiteral("クリップボードの履歴"), &window));
  window.resize(480, 360);
  window.show();
  return app.exec();
}
