// The typed client of a running CDeviceThread: each call is one synchronous
// request of DeviceMessages.h with its message number and result unchanged,
// over the shared request-client base (where the parameter conversions live).
#pragma once

#include "CDeviceThread.h"
#include "DeviceClient.h"
#include "common/RequestClient.h"

class CDeviceClient : public DeviceClient, private nv::RequestClient {
 public:
  // thread must outlive the client; a thread that does not run fails every
  // request (IsStopped answers true, Count 0).
  explicit CDeviceClient(CDeviceThread& thread) : RequestClient(thread.Thread()) {}

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
  template <class In = char>
  bool WithError(UINT message, std::u16string& error, const In* in = nullptr) const;
};
