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

std::string RowIdTime(std::time_t when) {
  std::string calendar = CalendarTime(when);
  // ctime pads a one-digit day with a blank; the id keeps two digits.
  if (calendar.size() > 8 && calendar[8] == ' ') calendar[8] = '0';
  tString time(calendar.c_str());
  time.RemoveAllWhiteSpace();
  return time.c_str();
}

HRESULT MakeRowId(tString& out) {
  std::lock_guard<std::mutex> lock(RowIdMutex());
  if (processId == 0) processId = CurrentProcessId();
  LookUpHostName();
  const std::string time = RowIdTime(std::time(nullptr));
  return out.Format("%lu-%s@%s-%d", static_cast<unsigned long>(counter++), time.c_str(), hostName, processId);
}
