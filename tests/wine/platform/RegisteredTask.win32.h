// Reads a task back through the Task Scheduler interfaces, as another program would see it.
#pragma once

#include <windows.h>

#include <taskschd.h>

#include <optional>
#include <string>

#include "platform/win32/ComPtr.h"

namespace ql::test {

// The definition of the task of that name in the scheduler's root folder as the scheduler gives
// it back; nothing when there is no such task.
inline std::optional<std::wstring> RegisteredTaskXml(const char16_t* name) {
  win32::ComApartment apartment;
  win32::ComPtr<ITaskService> service;
  win32::ComPtr<ITaskFolder> folder;
  win32::ComPtr<IRegisteredTask> task;
  VARIANT none;
  VariantInit(&none);
  win32::UniqueBstr xml;
  if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                              win32::PutVoid(service))) ||
      FAILED(service.get()->Connect(none, none, none, none)) ||
      FAILED(service.get()->GetFolder(win32::MakeBstr(u"\\").get(), folder.put())) ||
      FAILED(folder.get()->GetTask(win32::MakeBstr(name).get(), task.put())) ||
      FAILED(task.get()->get_Xml(xml.put())))
    return std::nullopt;
  return std::wstring(xml.get(), SysStringLen(xml.get()));
}

}  // namespace ql::test
