// The base of a program's typed client of its request thread. A derived
// client gives each request one method with typed in- and out-values; the
// message numbers and the 32-bit results stay as the thread's table has
// them, and the pointer-to-parameter conversions live here and nowhere else.
//
//   class DocClient : public nv::RequestClient {
//    public:
//     using RequestClient::RequestClient;
//     LONG Count() const { LONG count = 0; Get(DOCM_GET_COUNT, count); return count; }
//     bool Open(const char* path, CStringU& error) const { return Exchange(DOCM_OPEN, error, path) != 0; }
//   };
#pragma once

#include <type_traits>

#include "common/RequestThread.h"

namespace nv {

class RequestClient {
 public:
  // thread must outlive the client; a thread that does not run answers 0.
  explicit RequestClient(RequestThread& thread) : thread_(&thread) {}

  RequestThread& Thread() const { return *thread_; }

 protected:
  // A request without parameters. Returns the handler's result; 0 when the
  // thread does not run or does not know message.
  LONG Call(UINT message) const { return thread_->Send(message, 0, 0); }

  // A request whose only parameter is a number (an index) in the second
  // parameter. Returns the handler's result.
  LONG CallWith(UINT message, LONG value) const { return thread_->Send(message, 0, static_cast<LPARAM>(value)); }

  // A request whose only parameter is a record or a NUL-terminated text the
  // handler reads through the second parameter. Returns the handler's result.
  template <class In>
  LONG Put(UINT message, const In* in) const {
    return thread_->Send(message, 0, InParam(in));
  }

  // A request that writes out (through the first parameter), with an
  // optional number in the second. out keeps its value when the request
  // fails before writing it. Returns the handler's result.
  template <class Out>
  LONG Get(UINT message, Out& out, LONG value = 0) const {
    return thread_->Send(message, OutParam(&out), static_cast<LPARAM>(value));
  }

  // A request that reads in (a record or text; null allowed where the
  // request says so) and writes out. Returns the handler's result.
  template <class Out, class In>
  LONG Exchange(UINT message, Out& out, const In* in) const {
    return thread_->Send(message, OutParam(&out), InParam(in));
  }

 private:
  template <class Out>
  static WPARAM OutParam(Out* out) {
    static_assert(!std::is_const_v<Out>, "an out-value must be writable");
    return reinterpret_cast<WPARAM>(out);
  }
  template <class In>
  static LPARAM InParam(const In* in) {
    return reinterpret_cast<LPARAM>(in);
  }

  RequestThread* thread_;
};

}  // namespace nv
