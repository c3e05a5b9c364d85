// The typed client of a running CDeviceThread: each call is one synchronous
// request of DeviceMessages.h with its message number and result unchanged.
// The conversions between typed values and message parameters live here and
// nowhere else.
#pragma once

#include "DeviceClient.h"

class CDeviceThread;

class CDeviceClient : public DeviceClient {
 public:
  // thread must outlive the client; a thread that does not run fails every
  // request (IsStopped answers true, Count 0).
  explicit CDeviceClient(CDeviceThread& thread) : thread_(thread) {}

  bool Initialise(std::u16string& error) override;
  bool IsBusy(bool& busy) override;
  bool Cancel() override;
  bool ReadInfo(const DeviceRequest& request, std::u16string& error) override;
  bool ReadMelody(const DeviceRequest& request, std::u16string& error) override;
  bool AddMelody(const DeviceRequest& request, std::u16string& error) override;
  bool Clear(const DeviceRequest& request, std::u16string& error) override;
  bool SetMode(const DeviceRequest& request, std::u16string& error) override;
  bool LoadMelody(const std::string& path, std::u16string& error) override;
  bool LoadSet(const std::string& path, std::u16string& error) override;
  bool SaveSet(const std::string& path, std::u16string& error) override;
  LONG Count() override;
  bool Play() override;
  bool Stop() override;
  bool IsStopped() override;
  bool ReopenPort(std::u16string& error) override;

 private:
  // A request with an error text out and an optional record or path in.
  bool WithError(UINT message, std::u16string& error, const void* in = nullptr);
  // A request that writes one 32-bit value; false when it fails.
  bool Value(UINT message, LONG& value);

  CDeviceThread& thread_;
};
