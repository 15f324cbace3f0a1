#pragma once
// A component's reference to another component, whatever their owners: assigning registers the
// holder for the free notification, whose Notification(opRemove) then calls Forget.

#include "platform/rtl/Classes.h"

template <class T>
class TComponentRef {
 public:
  explicit TComponentRef(TComponent* Holder) : holder_(Holder) {}
  TComponentRef(const TComponentRef&) = delete;
  TComponentRef& operator=(const TComponentRef& Other) { return *this = Other.p_; }
  TComponentRef& operator=(T* Value) {
    if (Value && Value != p_) Value->FreeNotification(holder_);
    p_ = Value;
    return *this;
  }
  operator T*() const { return p_; }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  // For Notification: forgets the reference when it is the component going.
  void Forget(TComponent* Going) {
    if (p_ && static_cast<TComponent*>(p_) == Going) p_ = nullptr;
  }

 private:
  TComponent* holder_;
  T* p_ = nullptr;
};
