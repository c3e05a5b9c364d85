#include "CPortSetting.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "platform/Registry.h"
#include "portix/PortSetting.h"

std::string CPortSetting::Read() {
  return portix::PortSetting::Read();
}

bool CPortSetting::Write(const std::string& setting) {
  HKEY key = nullptr;
  if (RegCreateKeyEx(HKEY_CURRENT_USER, portix::kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                     &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG result = RegSetValueEx(key, portix::kPortValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(setting.c_str()),
                                    static_cast<DWORD>(setting.size() + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

bool CPortSetting::IsDefault(const std::string& setting) {
  return setting == portix::kDefaultPort;
}

std::string CPortSetting::Virtual(const QString& path, int newImageSize) {
  const QString trimmed = path.trimmed();
  if (trimmed.isEmpty() || !QFileInfo(trimmed).isAbsolute() || trimmed.contains(QLatin1Char('?'))) return {};
  return "virtual:" + QFile::encodeName(trimmed).toStdString() + "?size=" + std::to_string(newImageSize);
}

bool CPortSetting::IsDevicePath(const QString& text) {
  static const QRegularExpression kDevice(QStringLiteral("^/dev/(parport|i2c-)[0-9]+$"));
  return kDevice.match(text.trimmed()).hasMatch();
}

QString CPortSetting::Describe(const std::string& setting) {
  portix::PortSetting parsedPort;
  if (!portix::PortSetting::Parse(setting, &parsedPort))
    return QStringLiteral("неверный порт \"%1\"").arg(QString::fromStdString(setting));
  const QString path = QFile::decodeName(parsedPort.path.c_str());
  // The image's folder would crowd the title; its name tells it apart.
  if (parsedPort.kind == portix::PortSetting::Kind::kVirtual) {
    return QStringLiteral("виртуальный звонок %1").arg(QFileInfo(path).fileName());
  }
  return QStringLiteral("порт %1").arg(path);
}
