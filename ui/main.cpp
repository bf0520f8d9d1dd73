// hellovornel: the desktop window. Usage: hellovornel [--app-dir DIR] [FILE.vrn]
#include <QApplication>
#include <QStringList>
#include <iostream>
#include <new>

#include "platform/memory.h"
#include "render/engine.h"
#include "ui/logic/sheet.h"
#include "ui/main_property.h"
#include "ui/qt_host.h"

namespace {

// Running out of memory inside any command ends the program the one way the engine
// knows, instead of unwinding through Qt's event loop.
class Application : public QApplication {
 public:
  Application(int& argc, char** argv, vornel::Host& host) : QApplication(argc, argv), host_(host) {}
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
      vornel::outOfMemoryStop(host_);
    }
  }

 private:
  vornel::Host& host_;
};

}  // namespace

int main(int argc, char** argv) {
  vornel::QtHost host;
  Application app(argc, argv, host);
  QApplication::setApplicationName("hellovornel");
  QApplication::setApplicationDisplayName(vornel::kWindowTitle);
  QApplication::setDesktopFileName("hellovornel");

  vornel::StartOptions options;
  QString project;
  const QStringList args = QApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--app-dir" && i + 1 < args.size()) {
      options.appDirOption = args[++i].toStdString();
    } else if (args[i] == "--help" || args[i] == "-h") {
      std::cout << "usage: hellovornel [--app-dir DIR] [FILE.vrn]\n";
      return 0;
    } else if (project.isEmpty() && !args[i].startsWith("--")) {
      project = args[i];
    } else {
      std::cerr << "hellovornel: unknown argument '" << args[i].toStdString() << "'\n";
      return 2;
    }
  }

  return vornel::runGuarded(host, [&] {
    vornel::Engine engine(host);
    vornel::startEngine(engine, options);
    vornel::startWindowJob(engine);
    vornel::MainProperty sheet(engine, host);
    sheet.show();
    if (!project.isEmpty())
      sheet.activatePage(vornel::openProjectPath(engine, project.toStdString()));
    return QApplication::exec();
  });
}
