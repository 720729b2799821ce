// Task scheduler adapter: the Task Scheduler 2.0 interfaces (Windows Vista and later) through COM.
#include <windows.h>

#include <taskschd.h>

#include <vector>

#include "platform/win32/ComPtr.h"
#include "platform/win32/Win32Platform.h"

namespace ql::win32 {

namespace {

UniqueBstr Text(const AnsiString& text) {
  return MakeBstr(Win32CodePage().ToWide(text));
}

// The scheduler's root folder on this machine, connected as the current user.
ComPtr<ITaskFolder> RootFolder() {
  ComPtr<ITaskService> service;
  ComPtr<ITaskFolder> folder;
  VARIANT none;
  VariantInit(&none);
  const UniqueBstr root = MakeBstr(u"\\");
  if (SUCCEEDED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_ITaskService, PutVoid(service))) &&
      SUCCEEDED(service.get()->Connect(none, none, none, none)))
    service.get()->GetFolder(root.get(), folder.put());
  return folder;
}

}  // namespace

AnsiString Win32TaskScheduler::CurrentUser() {
  UniqueHandleNull token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
    return AnsiString();
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size))
    return AnsiString();
  const PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
  char name[256] = {};
  char domain[256] = {};
  DWORD nameLength = sizeof name;
  DWORD domainLength = sizeof domain;
  SID_NAME_USE use{};
  if (!LookupAccountSidA(nullptr, sid, name, &nameLength, domain, &domainLength, &use))
    return AnsiString();
  return AnsiString(domain) + "\\" + name;
}

// The definition is handed over as text: Wine's scheduler takes it whole this way, while it
// refuses a logon trigger and a run level set through the definition's interfaces.
bool Win32TaskScheduler::RegisterTask(const AnsiString& name, const AnsiString& xml) {
  const ComApartment apartment;
  if (!apartment.Usable())
    return false;
  const ComPtr<ITaskFolder> folder = RootFolder();
  const UniqueBstr taskName = Text(name);
  const UniqueBstr definition = Text(xml);
  if (!folder || !taskName || !definition)
    return false;
  VARIANT none;
  VariantInit(&none);
  ComPtr<IRegisteredTask> registered;
  return SUCCEEDED(
      folder.get()->RegisterTask(taskName.get(), definition.get(), TASK_CREATE_OR_UPDATE, none,
                                 none, TASK_LOGON_INTERACTIVE_TOKEN, none, registered.put()));
}

bool Win32TaskScheduler::DeleteTask(const AnsiString& name) {
  const ComApartment apartment;
  if (!apartment.Usable())
    return false;
  const ComPtr<ITaskFolder> folder = RootFolder();
  const UniqueBstr taskName = Text(name);
  if (!folder || !taskName)
    return false;
  const HRESULT result = folder.get()->DeleteTask(taskName.get(), 0);
  return SUCCEEDED(result) || result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

}  // namespace ql::win32
