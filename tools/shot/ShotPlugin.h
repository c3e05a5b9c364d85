// A Qt generic plugin that photographs a program's window off screen: the
// demo starts a program with
//   QT_PLUGIN_PATH=<build>/plugins QT_QPA_GENERIC_PLUGINS=nvshot:/path/out.png
// and, once the program has shown its window and settled, the plugin saves
// the largest visible top-level window as a PNG and ends the program's event
// loop. NV_SHOT_DELAY_MS sets the wait (default 2000 ms).
#pragma once

#include <QGenericPlugin>
#include <QObject>
#include <QString>

class ShotPlugin : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "nvshot.json")

 public:
  // pngPath: the PNG file to write (the plugin argument).
  QObject* create(const QString& key, const QString& pngPath) override;
};

// The object the plugin leaves in the program: it waits, shoots and quits.
class ShotTaker : public QObject {
  Q_OBJECT

 public:
  explicit ShotTaker(QString path);

 private:
  void Shoot();

  QString path_;
};
