#include "LogonTask.h"

#include "ComScope.h"
#include "Handles.h"

#include <taskschd.h>
#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

namespace {

// The task's definition, UTF-16 with its byte-order mark, as resource 1 of type RCDATA.
std::wstring TaskDefinition()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<const wchar_t*>(&TaskDefinition), &module);
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(10)); // RT_RCDATA
    const HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const auto* text = loaded != nullptr ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
    const DWORD characters = resource != nullptr ? SizeofResource(module, resource) / sizeof(wchar_t) : 0;
    if (text == nullptr || characters < 2 || text[0] != 0xFEFF) {
        return {};
    }
    return std::wstring(text + 1, characters - 1);
}

HRESULT RootFolder(ComPtr<ITaskFolder>& folder) noexcept
{
    ComPtr<ITaskService> service;
    HRESULT result = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                      reinterpret_cast<void**>(service.GetAddressOf()));
    if (SUCCEEDED(result)) {
        const VARIANT none{}; // VT_EMPTY: this machine, the caller's account
        result = service->Connect(none, none, none, none);
    }
    const tl::unique_bstr root(SysAllocString(L"\\"));
    if (SUCCEEDED(result)) {
        result = root ? service->GetFolder(root.get(), folder.GetAddressOf()) : E_OUTOFMEMORY;
    }
    return result;
}

} // namespace

HRESULT RegisterLogonTask() noexcept
{
    const ComScope com;
    if (!com.Usable()) {
        return E_UNEXPECTED;
    }
    try {
        const tl::unique_bstr definition(SysAllocString(TaskDefinition().c_str()));
        const tl::unique_bstr name(SysAllocString(LogonTaskName));
        if (!definition || !name || SysStringLen(definition.get()) == 0) {
            return E_UNEXPECTED;
        }
        ComPtr<ITaskFolder> folder;
        HRESULT result = RootFolder(folder);
        if (SUCCEEDED(result)) {
            // The principal is the definition's: the Users group, at the highest run level
            // each member has.
            const VARIANT none{};
            ComPtr<IRegisteredTask> task;
            result = folder->RegisterTask(name.get(), definition.get(), TASK_CREATE_OR_UPDATE, none, none,
                                          TASK_LOGON_GROUP, none, task.GetAddressOf());
        }
        return result;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT RemoveLogonTask() noexcept
{
    const ComScope com;
    if (!com.Usable()) {
        return E_UNEXPECTED;
    }
    const tl::unique_bstr name(SysAllocString(LogonTaskName));
    if (!name) {
        return E_OUTOFMEMORY;
    }
    ComPtr<ITaskFolder> folder;
    HRESULT result = RootFolder(folder);
    if (SUCCEEDED(result)) {
        result = folder->DeleteTask(name.get(), 0);
    }
    return result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ? S_OK : result;
}
