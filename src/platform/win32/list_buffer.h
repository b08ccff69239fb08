// IP Helper's listings (GetAdaptersAddresses, GetAdaptersInfo) answer ERROR_BUFFER_OVERFLOW with the size
// they need. Adapters can come and go between two calls, so the needed size can grow again: the buffer is
// grown to what was asked and the call repeated, a bounded number of times.
#pragma once

#include <windows.h>

#include <vector>

namespace tw::win {

constexpr ULONG kFirstListBufferSize = 15360;
constexpr int kListAttempts = 4;

// list(data, &size) fills data (size bytes) or sets size to what it needs and returns ERROR_BUFFER_OVERFLOW.
// Returns the last call's status; on ERROR_SUCCESS the listing is in buffer.
template <typename List>
ULONG ListInto(std::vector<unsigned char>& buffer, List list) {
  ULONG size = kFirstListBufferSize;
  ULONG status = ERROR_BUFFER_OVERFLOW;
  for (int attempt = 0; attempt < kListAttempts && status == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer.assign(size, 0);
    status = list(buffer.data(), &size);
  }
  return status;
}

}  // namespace tw::win
