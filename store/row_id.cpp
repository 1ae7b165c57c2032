#include "store/row_id.h"

#include <cstdint>
#include <ctime>
#include <mutex>

#include "platform/calendar_time.h"
#include "platform/host_identity.h"

namespace {
std::mutex& RowIdMutex() {
  static std::mutex mutex;
  return mutex;
}

std::uint32_t counter = 0;
char hostName[500] = "noHostName";
bool hostNameKnown = false;
int processId = 0;

// Until the socket library starts once, ids carry "noHostName" and the next id tries again.
void LookUpHostName() {
  if (hostNameKnown || !StartSocketLibrary()) return;
  ReadHostName(hostName, sizeof hostName);
  StopSocketLibrary();
  hostNameKnown = true;
}
}  // namespace

HRESULT MakeRowId(tString& out) {
  std::lock_guard<std::mutex> lock(RowIdMutex());
  if (processId == 0) processId = CurrentProcessId();
  LookUpHostName();
  std::time_t now = std::time(nullptr);
  tString time(CalendarTime(now).c_str());
  time.RemoveAllWhiteSpace();
  return out.Format("%lu-%s@%s-%d", static_cast<unsigned long>(counter++), time.c_str(), hostName, processId);
}
