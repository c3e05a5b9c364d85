// The base of every component class T: the object's one critical section and
// its one reference count, shared by all its interface parts.
//
// T derives from CObjectBase<T>, ISupportErrorInfo and its own interfaces, in
// its interface map's order, and provides:
//   static const InterfaceEntry<T> interfaceMap[];  // see InterfaceEntry.h
//   HRESULT Initialize();   // optional: runs after construction; a failure
//                           // destroys the object and is returned to the creator
//   void FinalRelease();    // optional: runs when the last reference goes,
//                           // while the object is still whole (stop threads here)
// and implements its interface methods with Run / RunUnlessBusy. CComObject<T>
// supplies IUnknown and ISupportErrorInfo.
#pragma once

#include <new>

#include "ComError.h"
#include "ErrorText.h"
#include "ObjectLock.h"
#include "platform/Kernel.h"

namespace nv {

template <class T>
class CObjectBase {
 public:
  CObjectBase(const CObjectBase&) = delete;
  CObjectBase& operator=(const CObjectBase&) = delete;

  HRESULT Initialize() { return S_OK; }
  void FinalRelease() {}

 protected:
  CObjectBase() { InitializeCriticalSection(&lock_); }
  virtual ~CObjectBase() { DeleteCriticalSection(&lock_); }

  // The method skeleton: holds the object's lock for the whole body and turns
  // every failure raised inside it into the method's result. A ComError with
  // a text installs that text as the thread's error information first; an
  // allocation failure gives E_OUTOFMEMORY, anything else E_UNEXPECTED.
  template <class Body>
  HRESULT Run(Body&& body) noexcept {
    ObjectLock hold(lock_);
    try {
      return body();
    } catch (const ComError& error) {
      if (error.text() != nullptr) SetErrorText(error.text());
      return error.result();
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_UNEXPECTED;
    }
  }

  // As Run, but refused with "Объект занят\n" and E_FAIL while busy is 1.
  // busy is written by interlocked exchange and read here under the lock.
  template <class Body>
  HRESULT RunUnlessBusy(const volatile LONG& busy, Body&& body) noexcept {
    return Run([&]() -> HRESULT {
      if (InterlockedRead(&busy) != 0) Raise(E_FAIL, kBusyText);
      return body();
    });
  }

  CRITICAL_SECTION lock_;
  volatile LONG refCount_ = 0;
};

}  // namespace nv
