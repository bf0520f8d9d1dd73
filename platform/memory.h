// Working memory of the renderer. Every buffer is taken through allocate(); when the
// heap cannot supply it a std::bad_alloc rises to the program's entry point, which
// stops the program through outOfMemoryStop.
#pragma once

#include <cstddef>
#include <functional>
#include <new>
#include <vector>

#include "platform/host.h"

namespace vornel {

inline constexpr const char* kOutOfMemoryText = "Out of memory! \nSystem will be terminated.";
inline constexpr const char* kOutOfMemoryCaption = "System Error";
// The status the process ends with after running out of memory.
inline constexpr int kOutOfMemoryExitStatus = 3;

// Largest single working buffer; larger requests are treated as a failed allocation.
inline constexpr std::size_t kMaxAllocation = std::size_t{4} << 30;

// A zero-filled buffer of count elements; throws std::bad_alloc when it cannot be had.
template <class T>
std::vector<T> allocate(std::size_t count) {
  if (count > kMaxAllocation / sizeof(T)) throw std::bad_alloc();
  return std::vector<T>(count);
}

// Tells the user and ends the process with a non-zero status.
[[noreturn]] void outOfMemoryStop(Host& host);

// Runs body; a std::bad_alloc escaping from it ends the program through outOfMemoryStop.
int runGuarded(Host& host, const std::function<int()>& body);

}  // namespace vornel
