#include "CDeviceClient.h"

#include "common/CStringU.h"

template <class In>
bool CDeviceClient::WithError(UINT message, std::u16string& error, const In* in) const {
  CStringU text;
  if (Exchange(message, text, in) != 0) return true;
  error = std::u16string(text.View());
  return false;
}

bool CDeviceClient::Initialise(std::u16string& error) {
  return WithError(DEVM_INITIALISE, error);
}

bool CDeviceClient::IsBusy(bool& busy) {
  LONG value = 0;
  if (Get(DEVM_IS_BUSY, value) == 0) return false;
  busy = value != 0;
  return true;
}

bool CDeviceClient::Cancel() {
  return Call(DEVM_CANCEL) != 0;
}

bool CDeviceClient::ReadInfo(const DeviceRequest& request, std::u16string& error) {
  return WithError(DEVM_READ_INFO, error, &request);
}

bool CDeviceClient::ReadMelody(const DeviceRequest& request, std::u16string& error) {
  return WithError(DEVM_READ_MELODY, error, &request);
}

bool CDeviceClient::AddMelody(const DeviceRequest& request, std::u16string& error) {
  return WithError(DEVM_ADD_MELODY, error, &request);
}

bool CDeviceClient::Clear(const DeviceRequest& request, std::u16string& error) {
  return WithError(DEVM_CLEAR, error, &request);
}

bool CDeviceClient::SetMode(const DeviceRequest& request, std::u16string& error) {
  return WithError(DEVM_SET_MODE, error, &request);
}

bool CDeviceClient::LoadMelody(const std::string& path, std::u16string& error) {
  return WithError(DEVM_LOAD_MELODY, error, path.c_str());
}

bool CDeviceClient::LoadSet(const std::string& path, std::u16string& error) {
  return WithError(DEVM_LOAD_SET, error, path.c_str());
}

bool CDeviceClient::SaveSet(const std::string& path, std::u16string& error) {
  return WithError(DEVM_SAVE_SET, error, path.c_str());
}

LONG CDeviceClient::Count() {
  LONG count = 0;
  return Get(DEVM_GET_COUNT, count) != 0 ? count : 0;
}

bool CDeviceClient::Play() {
  return Call(DEVM_PLAY) != 0;
}

bool CDeviceClient::Stop() {
  return Call(DEVM_STOP) != 0;
}

bool CDeviceClient::IsStopped() {
  LONG stopped = 1;
  return Get(DEVM_IS_STOPPED, stopped) == 0 || stopped != 0;
}

bool CDeviceClient::ReopenPort(std::u16string& error) {
  return WithError(DEVM_REOPEN_PORT, error);
}
