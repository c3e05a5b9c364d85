// The device thread's requests as typed calls. The programmer's windows,
// dialogs and flows talk to the device thread only through this interface;
// CDeviceClient serves it over the thread's message table, tests put a fake
// in its place. Every call waits for its answer.
#pragma once

#include <string>

#include "DeviceMessages.h"

class DeviceClient {
 public:
  virtual ~DeviceClient() = default;

  // Makes the thread's objects (preview sample, bell) and empties the melody
  // list. False with error set when an object cannot be made.
  virtual bool Initialise(std::u16string& error) = 0;
  // Whether the bell runs a worker operation; false (busy unset) when there
  // is no bell object to ask.
  virtual bool IsBusy(bool& busy) = 0;
  // Cancels the bell's running operation at its next progress point; false
  // when there is no bell object.
  virtual bool Cancel() = 0;

  // Device requests: each first waits until the bell's last worker has
  // finished (mode setting excepted). The status read, melody read and
  // append start a worker operation that reports to request.window; request
  // and its info must live until that operation's last message. False with
  // error set (possibly empty) when the request fails.
  virtual bool ReadInfo(const DeviceRequest& request, std::u16string& error) = 0;
  virtual bool ReadMelody(const DeviceRequest& request, std::u16string& error) = 0;
  virtual bool AddMelody(const DeviceRequest& request, std::u16string& error) = 0;
  virtual bool Clear(const DeviceRequest& request, std::u16string& error) = 0;
  virtual bool SetMode(const DeviceRequest& request, std::u16string& error) = 0;

  // The melody list: a melody file or a set file (UTF-8 paths) replaces it
  // only when read whole; the list saved as a set file. False with error set.
  virtual bool LoadMelody(const std::string& path, std::u16string& error) = 0;
  virtual bool LoadSet(const std::string& path, std::u16string& error) = 0;
  virtual bool SaveSet(const std::string& path, std::u16string& error) = 0;
  // The number of list melodies; 0 when the thread does not run.
  virtual LONG Count() = 0;

  // Preview of the first list melody. Play and Stop are false when the list
  // is empty; IsStopped is true then.
  virtual bool Play() = 0;
  virtual bool Stop() = 0;
  virtual bool IsStopped() = 0;

  // A new bell object on the port the setting names now; false with error
  // set when it cannot be made (no bell object then).
  virtual bool ReopenPort(std::u16string& error) = 0;
};
