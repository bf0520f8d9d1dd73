#include "platform/memory.h"

#include <cstdlib>

namespace vornel {

void outOfMemoryStop(Host& host) {
  host.messageBox(kOutOfMemoryText, kOutOfMemoryCaption, MsgButtons::OkCancel, MsgIcon::Error);
  // Whatever the answer, the process ends; no state is saved. The status is non-zero so
  // that a script sees the failure.
  std::_Exit(kOutOfMemoryExitStatus);
}

int runGuarded(Host& host, const std::function<int()>& body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    outOfMemoryStop(host);
  }
}

}  // namespace vornel
