#include "dsm/DsmSettings.h"

#include <QSettings>

namespace {

constexpr const char* kGroup = "DataSourceManager";
constexpr int kDefaultStallSeconds = 60;

// Device names hold ':' and '/', which must not split the key.
QString DeviceKey(const std::string& deviceName) {
  return "ScanSource/" + QString::fromLatin1(QByteArray::fromStdString(deviceName).toHex());
}

QString Read(const QString& key) {
  QSettings settings;
  settings.beginGroup(kGroup);
  return settings.value(key).toString();
}

void Write(const QString& key, const std::string& value) {
  QSettings settings;
  settings.beginGroup(kGroup);
  settings.setValue(key, QString::fromStdString(value));
}

}  // namespace

std::string DsmSettings::DefaultDevice() {
  return Read("DefaultSource").toStdString();
}

void DsmSettings::SetDefaultDevice(const std::string& deviceName) {
  Write("DefaultSource", deviceName);
}

std::optional<SaneDeviceInfo> DsmSettings::RememberedDefault() {
  QSettings settings;
  settings.beginGroup(kGroup);
  const std::string name = settings.value("DefaultSource").toString().toStdString();
  if (name.empty() ||
      settings.value("DefaultSourceListedAs").toString() != QString::fromStdString(name))
    return std::nullopt;  // chosen, but never seen in a listing under that name
  return SaneDeviceInfo{name, settings.value("DefaultSourceVendor").toString().toStdString(),
                        settings.value("DefaultSourceModel").toString().toStdString(),
                        settings.value("DefaultSourceType").toString().toStdString()};
}

void DsmSettings::RememberDefault(const SaneDeviceInfo& device) {
  QSettings settings;
  settings.beginGroup(kGroup);
  settings.setValue("DefaultSource", QString::fromStdString(device.name));
  settings.setValue("DefaultSourceListedAs", QString::fromStdString(device.name));
  settings.setValue("DefaultSourceVendor", QString::fromStdString(device.vendor));
  settings.setValue("DefaultSourceModel", QString::fromStdString(device.model));
  settings.setValue("DefaultSourceType", QString::fromStdString(device.type));
}

std::string DsmSettings::ScanSource(const std::string& deviceName) {
  return Read(DeviceKey(deviceName)).toStdString();
}

void DsmSettings::SetScanSource(const std::string& deviceName, const std::string& source) {
  Write(DeviceKey(deviceName), source);
}

std::chrono::milliseconds DsmSettings::StallTimeout() {
  QSettings settings;
  settings.beginGroup(kGroup);
  bool valid = false;
  const double seconds =
      settings.value("StallTimeoutSeconds", kDefaultStallSeconds).toDouble(&valid);
  const double used = valid && seconds > 0 ? seconds : kDefaultStallSeconds;
  return std::chrono::milliseconds(static_cast<long long>(used * 1000));
}
