// Wiping of key material that the optimiser may not drop as a dead store.
#pragma once

#include <cstddef>
#include <string.h>  // explicit_bzero (glibc)

namespace vellorax::crypt {

inline void SecureZero(void* data, std::size_t size) noexcept { explicit_bzero(data, size); }

// Zeroes one object's bytes when the scope ends, also on an exception.
// REQUIRES: T is trivially copyable (plain arrays, words).
template <typename T>
class TWipeOnExit {
 public:
  explicit TWipeOnExit(T& object) noexcept : object_(object) {}
  ~TWipeOnExit() { SecureZero(&object_, sizeof(T)); }
  TWipeOnExit(const TWipeOnExit&) = delete;
  TWipeOnExit& operator=(const TWipeOnExit&) = delete;

 private:
  T& object_;
};

}  // namespace vellorax::crypt
