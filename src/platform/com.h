// COM on the calling thread: a single-threaded apartment, entered and left in pairs. The Win32 implementation
// initialises COM; where there is none (the portable builds) nothing is entered.
#pragma once

namespace tw {

class ICom {
 public:
  virtual ~ICom() = default;
  // Enters a single-threaded apartment on the calling thread, or one more level of the one it is in; true
  // when Leave must balance it.
  virtual bool Enter() = 0;
  virtual void Leave() = 0;
};

// One level of COM on the calling thread for the scope's life; nothing without COM.
class ComApartment {
 public:
  explicit ComApartment(ICom* com) : com_(com), entered_(com && com->Enter()) {}
  ~ComApartment() {
    if (entered_) com_->Leave();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  ICom* com_;
  bool entered_;
};

}  // namespace tw
